// The PE export reader on files built here byte by byte: the names come back
// in order, and damaged files are refused without reading outside them.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "pe_exports.h"

namespace {

void Put16(std::vector<uint8_t> &b, size_t at, uint16_t v)
{
    b[at] = v & 0xFF;
    b[at + 1] = v >> 8;
}

void Put32(std::vector<uint8_t> &b, size_t at, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b[at + i] = (v >> (8 * i)) & 0xFF;
}

// A PE32 image with one section (raw offset 0x200 = RVA 0x1000) holding an
// export directory that names the given functions.
struct Image {
    std::vector<uint8_t> bytes;
    size_t exportDir = 0;    // file offset of the export directory
    size_t nameTable = 0;    // file offset of the name pointer table
};

Image MakeImage(const std::vector<std::string> &names, bool withExports = true)
{
    Image img;
    std::vector<uint8_t> &b = img.bytes;
    b.assign(0x400, 0);
    Put16(b, 0, 0x5A4D);
    Put32(b, 0x3C, 0x80);
    Put32(b, 0x80, 0x00004550);
    const size_t coff = 0x84, optional = coff + 20;
    Put16(b, coff, 0x14C);
    Put16(b, coff + 2, 1);
    Put16(b, coff + 16, 224);
    Put16(b, optional, 0x10B);
    Put32(b, optional + 92, 16);
    const size_t section = optional + 224;
    Put32(b, section + 8, 0x200);   // virtual size
    Put32(b, section + 12, 0x1000); // virtual address
    Put32(b, section + 16, 0x200);  // raw size
    Put32(b, section + 20, 0x200);  // raw offset
    if (!withExports)
        return img;

    const uint32_t base = 0x1000, raw = 0x200;
    Put32(b, optional + 96, base);
    Put32(b, optional + 100, 40);
    img.exportDir = raw;
    uint32_t cursor = 40;
    const uint32_t addresses = cursor;
    cursor += 4 * static_cast<uint32_t>(names.size());
    const uint32_t nameTable = cursor;
    cursor += 4 * static_cast<uint32_t>(names.size());
    const uint32_t ordinals = cursor;
    cursor += 2 * static_cast<uint32_t>(names.size());
    const uint32_t moduleName = cursor;
    std::memcpy(&b[raw + cursor], "test.dll", 9);
    cursor += 9;
    img.nameTable = raw + nameTable;
    for (size_t i = 0; i < names.size(); ++i) {
        Put32(b, raw + addresses + 4 * i, 0x1000);
        Put32(b, raw + nameTable + 4 * i, base + cursor);
        Put16(b, raw + ordinals + 2 * i, static_cast<uint16_t>(i));
        std::memcpy(&b[raw + cursor], names[i].c_str(), names[i].size() + 1);
        cursor += static_cast<uint32_t>(names[i].size()) + 1;
    }
    Put32(b, raw + 12, base + moduleName);
    Put32(b, raw + 16, 1);
    Put32(b, raw + 20, static_cast<uint32_t>(names.size()));
    Put32(b, raw + 24, static_cast<uint32_t>(names.size()));
    Put32(b, raw + 28, base + addresses);
    Put32(b, raw + 32, base + nameTable);
    Put32(b, raw + 36, base + ordinals);
    return img;
}

} // namespace

TEST(PeExports, ReadsNamesInTableOrder)
{
    Image img = MakeImage({"BASSOPEN", "BASSPLAY", "DOWNLOADPROC@16"});
    pe::ExportTable t = pe::ReadExports(img.bytes);
    ASSERT_TRUE(t.ok) << t.error;
    EXPECT_TRUE(t.present);
    EXPECT_EQ(t.moduleName, "test.dll");
    EXPECT_EQ(t.functionCount, 3u);
    EXPECT_EQ(t.names, (std::vector<std::string>{"BASSOPEN", "BASSPLAY", "DOWNLOADPROC@16"}));
}

TEST(PeExports, ImageWithoutExportTableIsValidAndEmpty)
{
    pe::ExportTable t = pe::ReadExports(MakeImage({}, false).bytes);
    ASSERT_TRUE(t.ok) << t.error;
    EXPECT_FALSE(t.present);
    EXPECT_TRUE(t.names.empty());
}

TEST(PeExports, EveryTruncationIsRefusedOrReadsOnlyWhatIsThere)
{
    Image img = MakeImage({"ALPHA", "BETA"});
    for (size_t size = 0; size < img.bytes.size(); ++size) {
        // A copy of exactly `size` bytes, so ASan sees any read past it.
        std::vector<uint8_t> cut(img.bytes.begin(), img.bytes.begin() + size);
        pe::ExportTable t = pe::ReadExports(cut.data(), cut.size());
        if (t.ok && t.present) {
            EXPECT_EQ(t.names, (std::vector<std::string>{"ALPHA", "BETA"})) << "size " << size;
        }
    }
}

TEST(PeExports, DamagedTablesAreRefused)
{
    {
        Image img = MakeImage({"ALPHA"});
        img.bytes[0] = 'X';
        EXPECT_FALSE(pe::ReadExports(img.bytes).ok);
    }
    {
        Image img = MakeImage({"ALPHA"});
        Put32(img.bytes, 0x3C, 0xFFFFFFF0); // PE header far past the end
        EXPECT_FALSE(pe::ReadExports(img.bytes).ok);
    }
    {
        Image img = MakeImage({"ALPHA"});
        Put32(img.bytes, img.nameTable, 0x7FFFFFFF); // name outside every section
        pe::ExportTable t = pe::ReadExports(img.bytes);
        EXPECT_FALSE(t.ok);
        EXPECT_FALSE(t.error.empty());
    }
    {
        Image img = MakeImage({"ALPHA"});
        Put32(img.bytes, img.exportDir + 24, 0x7FFFFFFF); // absurd name count
        EXPECT_FALSE(pe::ReadExports(img.bytes).ok);
    }
    {
        // A name that runs to the end of the file without its terminator.
        Image img = MakeImage({"ALPHA"});
        std::memset(&img.bytes[0x300], 'A', 0x100);
        uint32_t nameRva = 0x1000 + 0x100;
        Put32(img.bytes, img.nameTable, nameRva);
        EXPECT_FALSE(pe::ReadExports(img.bytes).ok);
    }
}
