// audiolink.dll's add-on exports as the application calls them: the
// visualisation plug-in search on real folders (links included), the
// visualisation, CD, recording, encoding and sample calls handed to the
// test doubles, and the DirectX probe on the registry of the test prefix.
#include "audiolink_test_support.h"

#include "audiolink.h"

#include <shlwapi.h>

#include <algorithm>
#include <cstring>
#include <functional>

namespace {

using namespace altest;
using Words = std::vector<bassdouble::ArgWord>;

#define ADDON_EXPORTS(X)                                                                          \
    X(BASSVISFINDPLUGINS) X(BASSSONIQUECREATEVIS) X(BASSSONIQUEFREE) X(BASSSONIQUEGETNAME)         \
    X(BASSSONIQUECLICKED) X(BASSSONIQUERESIZE) X(BASSSONIQUERENDER) X(BASSVISGETCONFIG)           \
    X(BASSVISSETCONFIG) X(BASSCDGETDRIVEDESCRIPTION) X(BASSCDGETDRIVELETTER) X(BASSCDGETINFO)     \
    X(BASSCDDOOR) X(BASSCDDOORISOPEN) X(BASSCDDOORISLOCKED) X(BASSCDISREADY) X(BASSCDGETTRACKS)   \
    X(BASSCDGETTRACKLENGTH) X(BASSCDGETID) X(BASSCDSTREAMCREATE) X(BASSCDSTREAMCREATEFILE)        \
    X(BASSCDSTREAMGETTRACK) X(BASSRECORDINIT) X(BASSRECORDSETDEVICE) X(BASSRECORDGETDEVICE)       \
    X(BASSRECORDSTART) X(BASSRECORDFREE) X(BASSRECORDSETINPUT) X(BASSRECORDGETINPUT)              \
    X(BASSRECORDGETINPUTNAME) X(BASSRECORDGETDEVICEDESCRIPTION) X(BASSWMAENCODEGETRATES)          \
    X(BASSWMAENCODEOPENFILE) X(BASSWMAENCODEOPEN) X(BASSWMAENCODEOPENNETWORK)                     \
    X(BASSWMAENCODEOPENPUBLISH) X(BASSWMAENCODEGETPORT) X(BASSWMAENCODESETNOTIFY)                 \
    X(BASSWMAENCODEGETCLIENTS) X(BASSWMAENCODESETTAG) X(BASSWMAENCODEWRITE) X(BASSWMAENCODECLOSE) \
    X(BASSWMAGETIWMREADER) X(BASSENCODESTART) X(BASSENCODEISACTIVE) X(BASSENCODESTOP)             \
    X(BASSSAMPLELOAD) X(BASSDIRECTXVERSION) X(BASSSTRINGFROMPTR)

// audiolink.dll loaded by name, as the application loads it.
class AudioLink : public AudioLinkModule {
public:
    AudioLink() { ADDON_EXPORTS(ALTEST_RESOLVE_EXPORT) }
    ADDON_EXPORTS(ALTEST_EXPORT_MEMBER)
};

Names SplitList(const std::string &list)
{
    Names entries;
    if (list.empty())
        return entries;
    size_t from = 0;
    for (;;) {
        size_t comma = list.find(',', from);
        entries.push_back(list.substr(from, comma - from));
        if (comma == std::string::npos)
            return entries;
        from = comma + 1;
    }
}

Names Sorted(Names names)
{
    std::sort(names.begin(), names.end());
    return names;
}

// ---- The plug-in search ---------------------------------------------------

class PluginSearch : public ::testing::Test {
protected:
    void SetUp() override { bassdouble::Reset(); }

    std::string Find(const std::string &folder) { return Take(al_.BASSVISFINDPLUGINS(folder.c_str(), 0xDEADBEEF)); }

    static void MakeFolder(const std::string &path) { ASSERT_TRUE(CreateDirectoryA(path.c_str(), nullptr)) << path; }
    static void MakeFile(const std::string &path) { ASSERT_TRUE(WriteWholeFile(path, "plug-in")) << path; }

    DoublesOnSearchPath none_{"none"};
    AudioLink al_;
    ScratchFolder root_;
};

TEST_F(PluginSearch, FindsPlainPluginFilesInTheTreeWithLowerCasedNames)
{
    const std::string &root = root_.Path();
    MakeFile(root_ / "Blaze.SVP");
    MakeFile(root_ / "demo.sv");
    MakeFile(root_ / "note.txt");
    MakeFile(root_ / "x.svp");
    ASSERT_TRUE(SetFileAttributesA((root_ / "x.svp").c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE));
    MakeFile(root_ / "Locked.ZVP");
    ASSERT_TRUE(SetFileAttributesA((root_ / "Locked.ZVP").c_str(), FILE_ATTRIBUTE_READONLY));
    MakeFile(root_ / "system.uvs");
    ASSERT_TRUE(SetFileAttributesA((root_ / "system.uvs").c_str(), FILE_ATTRIBUTE_SYSTEM));
    MakeFile(root_ / ".dot.svp");
    MakeFolder(root_ / "Folder.svp");
    MakeFolder(root_ / "Extra");
    MakeFile(root_ / "Extra\\Deep.Uvs");
    MakeFolder(root_ / ".cache");
    MakeFile(root_ / ".cache\\skipped.svp");
    MakeFolder(root_ / "Hidden");
    ASSERT_TRUE(SetFileAttributesA((root_ / "Hidden").c_str(), FILE_ATTRIBUTE_HIDDEN));
    MakeFile(root_ / "Hidden\\kept.zvp");

    const Names expected = Sorted({root + "\\blaze.svp", root + "\\demo.sv", root + "\\locked.zvp",
                                   root + "\\Extra\\deep.uvs", root + "\\Hidden\\kept.zvp"});
    // Trailing backslashes make no difference to the folder or the paths.
    for (const std::string &start : {root, root + "\\", root + "\\\\"}) {
        SCOPED_TRACE(start);
        std::string list = Find(start);
        EXPECT_EQ(Sorted(SplitList(list)), expected) << list;
    }
    SetFileAttributesA((root_ / "Locked.ZVP").c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(PluginSearch, ListsFoldersBeforeTheirSubfoldersWithOneCommaBetween)
{
    const std::string &root = root_.Path();
    EXPECT_EQ(Find(root), "") << "no plug-ins, empty text";
    EXPECT_EQ(Find(root + "\\missing"), "");

    MakeFolder(root_ / "Extra");
    MakeFile(root_ / "Extra\\two.zvp");
    EXPECT_EQ(Find(root), root + "\\Extra\\two.zvp");
    MakeFile(root_ / "one.svp");
    EXPECT_EQ(Find(root), root + "\\one.svp," + root + "\\Extra\\two.zvp");
}

TEST_F(PluginSearch, StopsSixtyFourFoldersDown)
{
    std::string folder = root_.Path();
    for (int depth = 1; depth <= 66; ++depth) {
        folder += "\\d";
        MakeFolder(folder);
        if (depth >= 63)
            MakeFile(folder + "\\level" + std::to_string(depth) + ".svp");
    }
    Names found = SplitList(Find(root_.Path()));
    ASSERT_EQ(found.size(), 2u);
    EXPECT_NE(found[0].find("level63.svp"), std::string::npos) << found[0];
    EXPECT_NE(found[1].find("level64.svp"), std::string::npos) << found[1];
}

// Folders made and removed through the wide functions, which take paths
// longer than the ANSI functions do.
class LongFolder {
public:
    explicit LongFolder(const std::string &path) : wide_(L"\\\\?\\")
    {
        for (char c : path)
            wide_ += wchar_t(c);
        EXPECT_TRUE(CreateDirectoryW(wide_.c_str(), nullptr)) << path;
        HANDLE file = CreateFileW((wide_ + L"\\long.svp").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        EXPECT_NE(file, INVALID_HANDLE_VALUE) << path;
        CloseHandle(file);
    }
    ~LongFolder()
    {
        DeleteFileW((wide_ + L"\\long.svp").c_str());
        RemoveDirectoryW(wide_.c_str());
    }
    LongFolder(const LongFolder &) = delete;
    LongFolder &operator=(const LongFolder &) = delete;

private:
    std::wstring wide_;
};

TEST_F(PluginSearch, FoldersTooLongToSearchAreSkipped)
{
    const std::string &root = root_.Path();
    // The search pattern is the folder, "\" and "*.*": 259 bytes fit.
    size_t room = 259 - (root.size() + 1) - 4;
    std::string fits = root + "\\" + std::string(room, 'f');
    std::string tooLong = root + "\\" + std::string(room + 1, 'g');
    LongFolder fitting(fits), skipped(tooLong);
    MakeFile(root_ / "short.svp");
    EXPECT_EQ(Sorted(SplitList(Find(root))), Sorted({root + "\\short.svp", fits + "\\long.svp"}));
}

using wholefile::IdentityOf;
using wholefile::Wide;

// Names in scripts the code page does not hold, one that best-fit mapping
// turns into another folder's ("Keep＼Inner" into "Keep\Inner"), and plug-in
// files named outside the code page: each is listed by a path that names
// it, never by a best-fit one.
TEST_F(PluginSearch, PluginsNamedOutsideTheCodePageAreListedByPathsThatLoad)
{
    if (GetACP() != 1252)
        GTEST_SKIP() << "these names are chosen for code page 1252 (the Wine test runs'); this machine's is "
                     << GetACP();
    std::wstring root = Wide(root_.Path());
    const std::wstring cyrillic = L"\x0412\x0438\x0437\x0443\x0430\x043b";      // Визуал
    const std::wstring greek = L"\x039c\x03bf\x03c5\x03c3\x03b9\x03ba\x03ae"; // Μουσική
    const std::wstring japanese = L"\x97f3\x697d";                                 // 音楽
    const std::wstring fullwidthSolidus = L"Keep\xff3cInner";
    for (const std::wstring &folder : {cyrillic, greek, japanese, fullwidthSolidus, std::wstring(L"Keep"),
                                       std::wstring(L"Keep\\Inner")})
        ASSERT_TRUE(CreateDirectoryW((root + L"\\" + folder).c_str(), nullptr));
    if (!tempfolder::HasShortName(root + L"\\" + cyrillic))
        GTEST_SKIP() << "the temporary folder's volume makes no short (8.3) names, and only those give these "
                        "folders a path in the code page";
    // A real library image, so that the listed path is shown to load.
    WCHAR system[MAX_PATH] = {};
    GetSystemDirectoryW(system, MAX_PATH);
    const std::wstring glow = L"\x0421\x0438\x044f\x043d\x0438\x0435.svp"; // Сияние.svp
    const std::vector<std::wstring> plugins = {
        root + L"\\" + cyrillic + L"\\" + glow,
        root + L"\\" + greek + L"\\waves.uvs",
        root + L"\\" + japanese + L"\\" + japanese + L".zvp",
        root + L"\\" + fullwidthSolidus + L"\\inner.svp",
        root + L"\\caf\xe9.svp", // in the code page: its own name
    };
    for (const std::wstring &plugin : plugins)
        ASSERT_TRUE(CopyFileW((std::wstring(system) + L"\\version.dll").c_str(), plugin.c_str(), FALSE));

    Names listed = SplitList(Find(root_.Path()));
    ASSERT_EQ(listed.size(), plugins.size()) << Find(root_.Path());
    std::vector<std::string> wanted, found;
    for (const std::wstring &plugin : plugins)
        wanted.push_back(IdentityOf(plugin));
    for (const std::string &path : listed) {
        SCOPED_TRACE(path);
        EXPECT_EQ(path.find('?'), std::string::npos);
        found.push_back(IdentityOf(path));
        HMODULE image = LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        EXPECT_NE(image, nullptr) << "the listed path does not load";
        if (image)
            FreeLibrary(image);
    }
    EXPECT_EQ(Sorted(found), Sorted(wanted));
    EXPECT_NE(std::find(listed.begin(), listed.end(), root_.Path() + "\\caf\xe9.svp"), listed.end());
    EXPECT_EQ(std::find(listed.begin(), listed.end(), root_.Path() + "\\Keep\\Inner\\inner.svp"), listed.end())
        << "a best-fit path, of another folder";
}

// A tree the test's fixture made on the Unix side, reached through Z: and
// named by TARN_LINK_TREE. Plugins holds a.svp and Sub (b.svp); Sub\Back
// links to Plugins, Sub\Up to the tree's root above it, and Outside and
// Again both link to Elsewhere (c.zvp), outside the tree.
TEST_F(PluginSearch, DirectoryLinksAreFollowedOnceAndLoopsEnd)
{
    char named[MAX_PATH] = {};
    DWORD length = GetEnvironmentVariableA("TARN_LINK_TREE", named, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        GTEST_SKIP() << "no tree of folder links to search: the build's test run makes one with Unix links "
                        "and names it in TARN_LINK_TREE";
    std::string tree = named;
    std::replace(tree.begin(), tree.end(), '/', '\\');
    ASSERT_NE(GetFileAttributesA((tree + "\\Plugins\\Sub\\Back").c_str()), INVALID_FILE_ATTRIBUTES)
        << "the fixture made no link tree at " << tree;
    std::string plugins = tree + "\\Plugins";
    Names found = SplitList(Find(plugins));
    ASSERT_EQ(found.size(), 3u) << Find(plugins);
    EXPECT_EQ(found[0], plugins + "\\a.svp");
    // Whichever of the two links comes first leads to Elsewhere; the other
    // and the links back up are not followed again.
    EXPECT_EQ(std::count(found.begin(), found.end(), plugins + "\\Sub\\b.svp"), 1);
    long outside = std::count(found.begin(), found.end(), plugins + "\\Outside\\c.zvp");
    long again = std::count(found.begin(), found.end(), plugins + "\\Again\\c.zvp");
    EXPECT_EQ(outside + again, 1);
}

// ---- Calls handed to the add-ons --------------------------------------------

class AddOnCalls : public ::testing::Test {
protected:
    void SetUp() override { bassdouble::Reset(); }
};

bassdouble::ArgWord Address(const void *pointer)
{
    return reinterpret_cast<bassdouble::ArgWord>(pointer);
}

const char DriveText[] = "Test Drive";
const char IdText[] = "0a0b0c0d";
const char VisName[] = "Blaze";
const DWORD Rates[] = {64000, 128000, 0};
char ReaderObject[8];
char Buffer[16];
char InfoRecord[64];

struct PassThrough {
    const char *entry;
    Words args;                   // what the entry point gets
    bassdouble::ArgWord scripted; // what it answers (an address whole)
    bassdouble::ArgWord expected; // what the export returns
    std::function<bassdouble::ArgWord(const AudioLink &)> call;
};

// Every pass-through, with its arguments in order and its result reworked.
std::vector<PassThrough> PassThroughs()
{
    const char *file = "C:\\track01.cda";
    const char *command = "encoder -q 5 - out.ogg";
    const char *url = "http://host/point";
    return {
        {"BASS_SONIQUEVIS_CreateVis", {1, 2, 3, 4, 5}, 71, 71, [](auto &al) { return al.BASSSONIQUECREATEVIS(1, 2, 3, 4, 5); }},
        {"BASS_SONIQUEVIS_Free", {71}, 9, 0, [](auto &al) { al.BASSSONIQUEFREE(71); return DWORD(0); }},
        {"BASS_SONIQUEVIS_GetName", {71}, Address(VisName), Address(VisName), [](auto &al) { return Address(al.BASSSONIQUEGETNAME(71)); }},
        {"BASS_SONIQUEVIS_Clicked", {7, 8, 9}, 1, 1, [](auto &al) { return al.BASSSONIQUECLICKED(7, 8, 9); }},
        {"BASS_SONIQUEVIS_Resize", {7, 640, 480}, 9, 0, [](auto &al) { al.BASSSONIQUERESIZE(7, 640, 480); return DWORD(0); }},
        {"BASS_SONIQUEVIS_Render", {7, 8, 9}, 0xFFFFFFFF, 0xFFFFFFFF, [](auto &al) { return al.BASSSONIQUERENDER(7, 8, 9); }},
        {"BASS_VIS_GetConfig", {3}, 44, 44, [](auto &al) { return al.BASSVISGETCONFIG(3); }},
        {"BASS_VIS_SetConfig", {3, 4}, 9, 0, [](auto &al) { al.BASSVISSETCONFIG(3, 4); return DWORD(0); }},

        {"BASS_CD_GetDriveDescription", {1}, Address(DriveText), Address(DriveText), [](auto &al) { return Address(al.BASSCDGETDRIVEDESCRIPTION(1)); }},
        {"BASS_CD_GetDriveLetter", {1}, 4, 4, [](auto &al) { return al.BASSCDGETDRIVELETTER(1); }},
        {"BASS_CD_GetInfo", {1, Address(InfoRecord)}, 9, 0, [](auto &al) { al.BASSCDGETINFO(1, InfoRecord); return DWORD(0); }},
        {"BASS_CD_Door", {1, 2}, 1, 1, [](auto &al) { return DWORD(al.BASSCDDOOR(1, 2)); }},
        {"BASS_CD_DoorIsOpen", {1}, 1, 0xFFFFFFFF, [](auto &al) { return DWORD(al.BASSCDDOORISOPEN(1)); }},
        {"BASS_CD_DoorIsLocked", {2}, 0x100, 0xFFFFFFFF, [](auto &al) { return DWORD(al.BASSCDDOORISLOCKED(2)); }},
        {"BASS_CD_IsReady", {1}, 1, 1, [](auto &al) { return DWORD(al.BASSCDISREADY(1)); }},
        {"BASS_CD_GetTracks", {1}, 12, 12, [](auto &al) { return al.BASSCDGETTRACKS(1); }},
        {"BASS_CD_GetTrackLength", {1, 3}, 0xFFFFFFFE, 0xFFFFFFFE, [](auto &al) { return al.BASSCDGETTRACKLENGTH(1, 3); }},
        {"BASS_CD_GetID", {1, 2}, Address(IdText), Address(IdText), [](auto &al) { return Address(al.BASSCDGETID(1, 2)); }},
        {"BASS_CD_StreamCreate", {1, 3, 0x10000}, 81, 81, [](auto &al) { return al.BASSCDSTREAMCREATE(1, 3, 0x10000); }},
        {"BASS_CD_StreamCreateFile", {Address(file), 4}, 82, 82, [file](auto &al) { return al.BASSCDSTREAMCREATEFILE(file, 4); }},
        {"BASS_CD_StreamGetTrack", {81}, 2, 2, [](auto &al) { return al.BASSCDSTREAMGETTRACK(81); }},

        {"BASS_RecordInit", {2}, 1, 1, [](auto &al) { return DWORD(al.BASSRECORDINIT(2)); }},
        {"BASS_RecordSetDevice", {3}, 1, 1, [](auto &al) { return DWORD(al.BASSRECORDSETDEVICE(3)); }},
        {"BASS_RecordGetDevice", {}, 3, 3, [](auto &al) { return al.BASSRECORDGETDEVICE(); }},
        {"BASS_RecordStart", {44100, 2, 0x20, 5}, 91, 91, [](auto &al) { return al.BASSRECORDSTART(44100, 2, 0x20, 5); }},
        {"BASS_RecordFree", {}, 1, 1, [](auto &al) { return DWORD(al.BASSRECORDFREE()); }},
        {"BASS_RecordSetInput", {1, 0x10000}, 1, 1, [](auto &al) { return DWORD(al.BASSRECORDSETINPUT(1, 0x10000)); }},
        {"BASS_RecordGetInput", {1}, 0x640000, 0x640000, [](auto &al) { return al.BASSRECORDGETINPUT(1); }},

        {"BASS_WMA_EncodeGetRates", {44100, 1}, Address(Rates), Address(Rates), [](auto &al) { return Address(al.BASSWMAENCODEGETRATES(44100, 1)); }},
        {"BASS_WMA_EncodeOpenFile", {44100, 1, 128000, Address(file)}, 101, 101, [file](auto &al) { return al.BASSWMAENCODEOPENFILE(44100, 1, 128000, file); }},
        {"BASS_WMA_EncodeOpen", {44100, 1, 128000, Address(Buffer), 6}, 102, 102, [](auto &al) { return al.BASSWMAENCODEOPEN(44100, 1, 128000, Buffer, 6); }},
        {"BASS_WMA_EncodeOpenNetwork", {44100, 1, 128000, 8080, 5}, 103, 103, [](auto &al) { return al.BASSWMAENCODEOPENNETWORK(44100, 1, 128000, 8080, 5); }},
        {"BASS_WMA_EncodeOpenPublish", {44100, 1, 128000, Address(url), Address(command), Address(file)}, 104, 104,
         [=](auto &al) { return al.BASSWMAENCODEOPENPUBLISH(44100, 1, 128000, url, command, file); }},
        {"BASS_WMA_EncodeGetPort", {103}, 8080, 8080, [](auto &al) { return al.BASSWMAENCODEGETPORT(103); }},
        {"BASS_WMA_EncodeSetNotify", {103, Address(Buffer), 7}, 1, 1, [](auto &al) { return DWORD(al.BASSWMAENCODESETNOTIFY(103, Buffer, 7)); }},
        {"BASS_WMA_EncodeGetClients", {103}, 2, 2, [](auto &al) { return al.BASSWMAENCODEGETCLIENTS(103); }},
        {"BASS_WMA_EncodeSetTag", {101, Address(url), Address(file)}, 1, 1, [=](auto &al) { return DWORD(al.BASSWMAENCODESETTAG(101, url, file)); }},
        {"BASS_WMA_EncodeWrite", {101, Address(Buffer), 16}, 1, 1, [](auto &al) { return DWORD(al.BASSWMAENCODEWRITE(101, Buffer, 16)); }},
        {"BASS_WMA_EncodeClose", {101}, 9, 0, [](auto &al) { al.BASSWMAENCODECLOSE(101); return DWORD(0); }},
        {"BASS_WMA_GetIWMReader", {82}, Address(ReaderObject), Address(ReaderObject), [](auto &al) { return Address(al.BASSWMAGETIWMREADER(82)); }},
        {"BASS_Encode_Start", {81, Address(command), 0x40}, 111, 111, [command](auto &al) { return al.BASSENCODESTART(81, command, 0x40); }},
        {"BASS_Encode_IsActive", {111}, 1, 1, [](auto &al) { return al.BASSENCODEISACTIVE(111); }},
        {"BASS_Encode_Stop", {111}, 1, 1, [](auto &al) { return DWORD(al.BASSENCODESTOP(111)); }},
        {"BASS_SampleLoad", {0, Address(file), 10, 20, 3, 0x8}, 121, 121, [file](auto &al) { return al.BASSSAMPLELOAD(FALSE, file, 10, 20, 3, 0x8); }},
    };
}

TEST_F(AddOnCalls, EachExportHandsItsArgumentsThroughInOrder)
{
    DoublesOnSearchPath full("full");
    AudioLink al;
    for (const PassThrough &p : PassThroughs()) {
        SCOPED_TRACE(p.entry);
        bassdouble::ClearCalls();
        bassdouble::SetResult(p.entry, p.scripted);
        EXPECT_EQ(p.call(al), p.expected);
        std::vector<bassdouble::CallRecord> calls = EntryCalls();
        ASSERT_EQ(calls.size(), 1u);
        EXPECT_EQ(calls[0].entry, p.entry);
        EXPECT_EQ(calls[0].args, p.args) << "exactly these values, in this order";
        if (strcmp(p.entry, "BASS_WMA_EncodeOpenPublish") == 0) {
            EXPECT_EQ(calls[0].texts, (Names{"http://host/point", "encoder -q 5 - out.ogg", "C:\\track01.cda"}));
        }
    }
}

TEST_F(AddOnCalls, CdResultsOfMinusOneBecomeZeroAndDoorAnswersAreYesNo)
{
    DoublesOnSearchPath full("full");
    AudioLink al;
    for (const char *entry : {"BASS_CD_GetDriveLetter", "BASS_CD_GetTracks", "BASS_CD_GetTrackLength", "BASS_CD_StreamGetTrack"})
        bassdouble::SetResult(entry, 0xFFFFFFFF);
    EXPECT_EQ(al.BASSCDGETDRIVELETTER(0), 0u);
    EXPECT_EQ(al.BASSCDGETTRACKS(0), 0u) << "no disc";
    EXPECT_EQ(al.BASSCDGETTRACKLENGTH(0, 1), 0u);
    EXPECT_EQ(al.BASSCDSTREAMGETTRACK(5), 0u);

    bassdouble::SetResult("BASS_CD_DoorIsOpen", 1);
    bassdouble::SetResult("BASS_CD_IsReady", 1);
    EXPECT_EQ(al.BASSCDDOORISOPEN(0), -1);
    EXPECT_EQ(al.BASSCDISREADY(0), 1) << "the add-on's own value";
    bassdouble::SetResult("BASS_CD_DoorIsOpen", 0);
    bassdouble::SetResult("BASS_CD_DoorIsLocked", 0);
    EXPECT_EQ(al.BASSCDDOORISOPEN(0), 0);
    EXPECT_EQ(al.BASSCDDOORISLOCKED(0), 0);
}

TEST_F(AddOnCalls, RecordingNamesAreCopiesThatOutliveTheLibrarysText)
{
    DoublesOnSearchPath full("full");
    AudioLink al;
    char input[] = "  Line In  ";
    char device[] = "Capture Device";
    bassdouble::SetResult("BASS_RecordGetInputName", Address(input));
    bassdouble::SetResult("BASS_RecordGetDeviceDescription", Address(device));
    BSTR name = al.BASSRECORDGETINPUTNAME(1);
    BSTR description = al.BASSRECORDGETDEVICEDESCRIPTION(2);
    memset(input, 'x', sizeof input - 1);
    memset(device, 'y', sizeof device - 1);
    EXPECT_EQ(Take(name), "Line In");
    EXPECT_EQ(Take(description), "Capture Device");
    EXPECT_EQ(bassdouble::CallsOf("BASS_RecordGetInputName").at(0).args, Words{1});
    EXPECT_EQ(bassdouble::CallsOf("BASS_RecordGetDeviceDescription").at(0).args, Words{2});

    // Past the last input or device the library answers null: an empty
    // string, never a null one.
    bassdouble::SetResult("BASS_RecordGetInputName", 0);
    bassdouble::SetResult("BASS_RecordGetDeviceDescription", 0);
    BSTR end = al.BASSRECORDGETINPUTNAME(9);
    ASSERT_NE(end, nullptr);
    EXPECT_EQ(Take(end), "");
    end = al.BASSRECORDGETDEVICEDESCRIPTION(9);
    ASSERT_NE(end, nullptr);
    EXPECT_EQ(Take(end), "");
}

TEST_F(AddOnCalls, WithoutTheModulesOrEntryPointsNothingIsCalled)
{
    for (const char *variant : {"none", "bare", "bass-only"}) {
        SCOPED_TRACE(variant);
        bassdouble::Reset();
        DoublesOnSearchPath doubles(variant);
        AudioLink al;
        for (const PassThrough &p : PassThroughs())
            bassdouble::SetResult(p.entry, p.scripted ? p.scripted : 1);
        bassdouble::ClearCalls();
        for (const PassThrough &p : PassThroughs()) {
            bool inBass = strncmp(p.entry, "BASS_Record", 11) == 0 || strcmp(p.entry, "BASS_SampleLoad") == 0;
            if (inBass && strcmp(variant, "bass-only") == 0)
                continue;
            EXPECT_EQ(p.call(al), 0u) << p.entry;
        }
        memset(InfoRecord, 0x5A, sizeof InfoRecord);
        al.BASSCDGETINFO(0, InfoRecord);
        EXPECT_EQ(std::count(InfoRecord, InfoRecord + sizeof InfoRecord, 0x5A), long(sizeof InfoRecord))
            << "the record stays untouched";
        if (strcmp(variant, "bass-only") != 0) {
            BSTR name = al.BASSRECORDGETINPUTNAME(0);
            ASSERT_NE(name, nullptr);
            EXPECT_EQ(Take(name), "");
            EXPECT_EQ(Take(al.BASSRECORDGETDEVICEDESCRIPTION(0)), "");
        }
        EXPECT_TRUE(EntryCalls().empty()) << CallNames(EntryCalls()).front();
    }
}

// ---- The DirectX probe ------------------------------------------------------

const char DirectXKey[] = "Software\\Microsoft\\DirectX";
const char StandInKey[] = "Software\\altest.machine-keys";

// While this lives, the machine's keys (HKEY_LOCAL_MACHINE) are, for this
// process alone, a scratch key of the current user's that starts as a copy
// of the machine's DirectX key. The module reads them in this process, so a
// test can change them as it likes and the machine stays as it was; a
// scratch key left by an interrupted run is removed first.
class DirectXKeyGuard {
public:
    DirectXKeyGuard()
    {
        SHDeleteKeyA(HKEY_CURRENT_USER, StandInKey);
        EXPECT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, StandInKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &standIn_,
                                  nullptr),
                  ERROR_SUCCESS);
        HKEY source = nullptr;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, DirectXKey, 0, KEY_READ, &source) == ERROR_SUCCESS) {
            HKEY copy = nullptr;
            RegCreateKeyExA(standIn_, DirectXKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &copy, nullptr);
            EXPECT_EQ(SHCopyKeyA(source, nullptr, copy, 0), ERROR_SUCCESS);
            RegCloseKey(copy);
            RegCloseKey(source);
        }
        EXPECT_EQ(RegOverridePredefKey(HKEY_LOCAL_MACHINE, standIn_), ERROR_SUCCESS);
    }
    ~DirectXKeyGuard()
    {
        RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
        RegCloseKey(standIn_);
        SHDeleteKeyA(HKEY_CURRENT_USER, StandInKey);
    }
    DirectXKeyGuard(const DirectXKeyGuard &) = delete;
    DirectXKeyGuard &operator=(const DirectXKeyGuard &) = delete;

    static void SetVersion(const void *data, DWORD size, DWORD type = REG_SZ)
    {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, DirectXKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        EXPECT_EQ(RegSetValueExA(key, "Version", 0, type, static_cast<const BYTE *>(data), size), ERROR_SUCCESS);
        RegCloseKey(key);
    }
    static void SetVersion(const std::string &text) { SetVersion(text.c_str(), DWORD(text.size() + 1)); }
    static void DeleteVersion()
    {
        HKEY key = nullptr;
        ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, DirectXKey, 0, KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
        RegDeleteValueA(key, "Version");
        RegCloseKey(key);
    }
    static void DeleteKey() { SHDeleteKeyA(HKEY_LOCAL_MACHINE, DirectXKey); }

private:
    HKEY standIn_ = nullptr;
};

// The machine's DirectX version text as stored, or "<missing>".
std::string DirectXVersionText()
{
    char text[512] = {};
    DWORD size = sizeof text - 1;
    if (RegGetValueA(HKEY_LOCAL_MACHINE, DirectXKey, "Version", RRF_RT_ANY, nullptr, text, &size) != ERROR_SUCCESS)
        return "<missing>";
    return std::string(text, size).c_str();
}

TEST(DirectXProbe, ReadsTheMachinesVersionAndChangesNothing)
{
    DoublesOnSearchPath none("none");
    AudioLink al;
    std::string before = DirectXVersionText();
    EXPECT_EQ(before, "4.09.00.0904") << "DirectX 9.0c's text, which Wine's prefix and Windows keep";
    EXPECT_EQ(al.BASSDIRECTXVERSION(), 9);
    EXPECT_EQ(al.BASSDIRECTXVERSION(), 9);
    EXPECT_EQ(DirectXVersionText(), before);
}

TEST(DirectXProbe, MajorVersionIsTheSecondField)
{
    DoublesOnSearchPath none("none");
    AudioLink al;
    DirectXKeyGuard guard;
    EXPECT_EQ(al.BASSDIRECTXVERSION(), 9) << "the copy of the machine's key";
    DirectXKeyGuard::SetVersion("4.08.01.0810");
    EXPECT_EQ(al.BASSDIRECTXVERSION(), 8);
    DirectXKeyGuard::SetVersion("4");
    EXPECT_EQ(al.BASSDIRECTXVERSION(), 0) << "no dot";
    DirectXKeyGuard::SetVersion("4.x.1");
    EXPECT_EQ(al.BASSDIRECTXVERSION(), 0);
    DirectXKeyGuard::SetVersion("4.10");
    EXPECT_EQ(al.BASSDIRECTXVERSION(), 10);

    // A value that fills the whole buffer has no terminator of its own.
    std::string full = "4.06." + std::string(300, '7');
    DirectXKeyGuard::SetVersion(full.data(), DWORD(full.size()), REG_BINARY);
    EXPECT_EQ(al.BASSDIRECTXVERSION(), 6);
    DirectXKeyGuard::SetVersion(full.data(), 260, REG_BINARY);
    EXPECT_EQ(al.BASSDIRECTXVERSION(), 6);
    std::string digits = "4." + std::string(400, '9');
    DirectXKeyGuard::SetVersion(digits);
    EXPECT_EQ(al.BASSDIRECTXVERSION(), INT_MAX);
}

TEST(DirectXProbe, MissingKeyOrValueGivesZero)
{
    DoublesOnSearchPath none("none");
    AudioLink al;
    std::string machines = DirectXVersionText();
    {
        DirectXKeyGuard guard;
        DirectXKeyGuard::SetVersion("4.08.01.0810");
        EXPECT_EQ(al.BASSDIRECTXVERSION(), 8);
        // What the last call read is not taken for the missing value.
        DirectXKeyGuard::DeleteVersion();
        EXPECT_EQ(al.BASSDIRECTXVERSION(), 0);
        DirectXKeyGuard::DeleteKey();
        EXPECT_EQ(al.BASSDIRECTXVERSION(), 0);
    }
    EXPECT_EQ(DirectXVersionText(), machines) << "the machine's own key is as it was";
    EXPECT_EQ(al.BASSDIRECTXVERSION(), 9);
}

} // namespace
