// Any command line: the split must stay inside the text, and the document
// and skin must be pieces of it (or the default skin).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "command_line.h"
#include "fuzz_require.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    std::string_view line(reinterpret_cast<const char *>(data), size);
    std::string_view arguments = helpview::ArgumentsOf(line);
    Require(arguments.size() <= line.size());
    Require(line.substr(line.size() - arguments.size()) == arguments);

    auto fields = helpview::SplitFields(arguments);
    Require(!fields.empty());
    size_t total = 0;
    for (const auto &field : fields) {
        Require(arguments.find(field.text) != std::string_view::npos);
        total += field.text.size();
    }
    Require(total <= arguments.size());

    auto chosen = helpview::ChooseDocumentAndSkin(arguments, "default.skl");
    Require(arguments.find(chosen.document) != std::string_view::npos);
    Require(chosen.skinFile == "default.skl" || arguments.find(chosen.skinFile) != std::string_view::npos);
    return 0;
}
