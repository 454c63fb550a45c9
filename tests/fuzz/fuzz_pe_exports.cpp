// Any bytes as a module file: a result or a refusal, never a read outside.
#include <cstddef>
#include <cstdint>

#include "pe_exports.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    pe::ExportTable table = pe::ReadExports(data, size);
    if (!table.ok && table.error.empty())
        __builtin_trap();
    return 0;
}
