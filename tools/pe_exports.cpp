#include "pe_exports.h"

#include <cstring>

namespace pe {
namespace {

// Longest name we accept; real export names are far shorter.
constexpr size_t MaxNameLength = 4096;
// More names than this means a corrupt table, not a module.
constexpr uint32_t MaxNames = 1u << 16;

class Reader {
public:
    Reader(const uint8_t *data, size_t size) : data_(data), size_(size) {}

    bool U16(size_t offset, uint16_t &value) const
    {
        if (!Fits(offset, 2))
            return false;
        value = static_cast<uint16_t>(data_[offset] | data_[offset + 1] << 8);
        return true;
    }

    bool U32(size_t offset, uint32_t &value) const
    {
        if (!Fits(offset, 4))
            return false;
        value = static_cast<uint32_t>(data_[offset]) | static_cast<uint32_t>(data_[offset + 1]) << 8 |
                static_cast<uint32_t>(data_[offset + 2]) << 16 | static_cast<uint32_t>(data_[offset + 3]) << 24;
        return true;
    }

    // A zero-terminated text that must end inside the file.
    bool Text(size_t offset, std::string &text) const
    {
        if (offset >= size_)
            return false;
        size_t limit = size_ - offset < MaxNameLength ? size_ - offset : MaxNameLength;
        const void *end = std::memchr(data_ + offset, 0, limit);
        if (!end)
            return false;
        text.assign(reinterpret_cast<const char *>(data_ + offset),
                    static_cast<const uint8_t *>(end) - (data_ + offset));
        return true;
    }

    bool Fits(size_t offset, size_t length) const { return offset <= size_ && length <= size_ - offset; }

private:
    const uint8_t *data_;
    size_t size_;
};

struct Section {
    uint32_t virtualAddress;
    uint32_t virtualSize;
    uint32_t rawOffset;
    uint32_t rawSize;
};

// Maps a relative virtual address to a file offset through the section
// table; addresses in no section's raw data have no file offset.
bool FileOffset(const std::vector<Section> &sections, uint32_t rva, size_t &offset)
{
    for (const Section &s : sections) {
        uint32_t extent = s.virtualSize > s.rawSize ? s.virtualSize : s.rawSize;
        if (rva >= s.virtualAddress && rva - s.virtualAddress < extent) {
            uint32_t delta = rva - s.virtualAddress;
            if (delta >= s.rawSize)
                return false;
            offset = static_cast<size_t>(s.rawOffset) + delta;
            return true;
        }
    }
    return false;
}

ExportTable Fail(const char *why)
{
    ExportTable table;
    table.error = why;
    return table;
}

} // namespace

ExportTable ReadExports(const uint8_t *data, size_t size)
{
    Reader file(data, size);
    uint16_t magic = 0;
    if (!file.U16(0, magic) || magic != 0x5A4D)
        return Fail("no MZ header");
    uint32_t peOffset = 0;
    if (!file.U32(0x3C, peOffset))
        return Fail("truncated MZ header");
    uint32_t signature = 0;
    if (!file.U32(peOffset, signature) || signature != 0x00004550)
        return Fail("no PE signature");

    size_t coff = static_cast<size_t>(peOffset) + 4;
    uint16_t machine = 0, sectionCount = 0, optionalSize = 0;
    if (!file.U16(coff, machine) || !file.U16(coff + 2, sectionCount) || !file.U16(coff + 16, optionalSize))
        return Fail("truncated COFF header");
    size_t optional = coff + 20;
    uint16_t optionalMagic = 0;
    if (!file.U16(optional, optionalMagic))
        return Fail("truncated optional header");
    size_t countField, directories;
    if (optionalMagic == 0x10B) {
        countField = optional + 92;
        directories = optional + 96;
    } else if (optionalMagic == 0x20B) {
        countField = optional + 108;
        directories = optional + 112;
    } else {
        return Fail("unknown optional header");
    }

    std::vector<Section> sections;
    size_t sectionTable = optional + optionalSize;
    for (uint16_t i = 0; i < sectionCount; ++i) {
        size_t at = sectionTable + static_cast<size_t>(i) * 40;
        Section s{};
        if (!file.U32(at + 8, s.virtualSize) || !file.U32(at + 12, s.virtualAddress) ||
            !file.U32(at + 16, s.rawSize) || !file.U32(at + 20, s.rawOffset))
            return Fail("truncated section table");
        sections.push_back(s);
    }

    ExportTable table;
    table.ok = true;
    table.machine = machine;
    table.wide = optionalMagic == 0x20B;
    uint32_t directoryCount = 0, exportRva = 0, exportSize = 0;
    if (!file.U32(countField, directoryCount))
        return Fail("truncated optional header");
    if (directoryCount == 0 || !file.U32(directories, exportRva) || !file.U32(directories + 4, exportSize) ||
        exportRva == 0)
        return table; // no export table at all

    size_t dir = 0;
    if (!FileOffset(sections, exportRva, dir) || !file.Fits(dir, 40))
        return Fail("export directory outside the file");
    table.present = true;
    uint32_t nameRva = 0, nameCount = 0, namesRva = 0;
    file.U32(dir + 12, nameRva);
    file.U32(dir + 20, table.functionCount);
    file.U32(dir + 24, nameCount);
    file.U32(dir + 32, namesRva);

    size_t nameAt = 0;
    if (nameRva && FileOffset(sections, nameRva, nameAt))
        file.Text(nameAt, table.moduleName);

    if (nameCount > MaxNames)
        return Fail("implausible number of export names");
    if (nameCount == 0)
        return table;
    size_t names = 0;
    if (!FileOffset(sections, namesRva, names) || !file.Fits(names, static_cast<size_t>(nameCount) * 4))
        return Fail("export name table outside the file");
    for (uint32_t i = 0; i < nameCount; ++i) {
        uint32_t rva = 0;
        size_t at = 0;
        std::string name;
        file.U32(names + static_cast<size_t>(i) * 4, rva);
        if (!FileOffset(sections, rva, at) || !file.Text(at, name))
            return Fail("export name outside the file");
        table.names.push_back(std::move(name));
    }
    return table;
}

ExportTable ReadExports(const std::vector<uint8_t> &file)
{
    return ReadExports(file.data(), file.size());
}

} // namespace pe
