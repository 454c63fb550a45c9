// Reads the export table of a PE file (EXE or DLL) from its bytes. Needs no
// Windows headers, so the export checks can run anywhere; any byte sequence
// gives a result or an error, never a read outside the buffer.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace pe {

struct ExportTable {
    bool ok = false;
    std::string error;              // why the file was refused, when !ok
    uint16_t machine = 0;           // the COFF header's: 0x14C i386, 0x8664 x86-64
    bool wide = false;              // a PE32+ (64-bit) optional header
    bool present = false;           // false: the file has no export table
    std::string moduleName;         // the name the table gives its module
    uint32_t functionCount = 0;     // entries of the address table
    std::vector<std::string> names; // exported names, in table order
};

ExportTable ReadExports(const uint8_t *data, size_t size);
ExportTable ReadExports(const std::vector<uint8_t> &file);

} // namespace pe
