// Each built module exports exactly the plain names of its .def file: no
// stdcall "@N" decorations, no duplicates, nothing the .def does not list.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "pe_exports.h"

namespace {

std::string ExeFolder()
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path);
    folder.resize(folder.find_last_of("\\/") + 1);
    return folder;
}

std::string BinFolder()
{
    return ExeFolder() + "..\\bin\\";
}

// The modules' .def files, which the build copies beside the programs.
std::string DefPath(const char *module)
{
    return ExeFolder() + "defs\\" + module + ".def";
}

// The other architecture's modules: TARN_PEER_BIN when set, else the bin
// folder of the sibling tree (build/win32 beside build/win64, as the build
// and the test bundle lay them out).
std::string PeerBinFolder()
{
    char named[MAX_PATH] = {};
    DWORD length = GetEnvironmentVariableA("TARN_PEER_BIN", named, MAX_PATH);
    if (length > 0 && length < MAX_PATH)
        return std::string(named) + "\\";
    return ExeFolder() + (sizeof(void *) == 8 ? "..\\..\\win32\\bin\\" : "..\\..\\win64\\bin\\");
}

std::vector<uint8_t> ReadFile(const std::string &name)
{
    std::ifstream in(name, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

// The names after EXPORTS, without ordinals, aliases or comments.
std::vector<std::string> DefNames(const std::string &defFile)
{
    std::ifstream in(defFile);
    std::vector<std::string> names;
    EXPECT_TRUE(in.is_open()) << "cannot read " << defFile;
    bool inExports = false;
    for (std::string line; std::getline(in, line);) {
        line = line.substr(0, line.find(';'));
        std::istringstream words(line);
        std::string first;
        if (!(words >> first))
            continue;
        if (first == "EXPORTS") {
            inExports = true;
            continue;
        }
        if (first == "LIBRARY" || first == "NAME") {
            inExports = false;
            continue;
        }
        if (inExports)
            names.push_back(first.substr(0, first.find_first_of("=@")));
    }
    return names;
}

void ExpectExactly(const std::string &module, const std::vector<std::string> &wanted)
{
    std::vector<uint8_t> bytes = ReadFile(BinFolder() + module);
    ASSERT_FALSE(bytes.empty()) << "cannot read " << BinFolder() + module;
    pe::ExportTable table = pe::ReadExports(bytes);
    ASSERT_TRUE(table.ok) << module << ": " << table.error;

    std::multiset<std::string> got(table.names.begin(), table.names.end());
    std::set<std::string> unique(table.names.begin(), table.names.end());
    EXPECT_EQ(got.size(), unique.size()) << module << " exports a name twice";
    for (const std::string &name : table.names)
        EXPECT_EQ(name.find('@'), std::string::npos) << module << " exports the decorated name " << name;

    std::set<std::string> expected(wanted.begin(), wanted.end());
    std::vector<std::string> missing, extra;
    std::set_difference(expected.begin(), expected.end(), unique.begin(), unique.end(), std::back_inserter(missing));
    std::set_difference(unique.begin(), unique.end(), expected.begin(), expected.end(), std::back_inserter(extra));
    for (const std::string &name : missing)
        ADD_FAILURE() << module << " does not export " << name;
    for (const std::string &name : extra)
        ADD_FAILURE() << module << " exports " << name << ", which its .def does not list";
    // Nothing exported by ordinal only.
    EXPECT_EQ(table.functionCount, table.names.size()) << module;
}

} // namespace

TEST(ExportTables, ModulesExportExactlyTheirDefNames)
{
    ExpectExactly("audiolink.dll", DefNames(DefPath("audiolink")));
    ExpectExactly("foldertree.dll", DefNames(DefPath("foldertree")));
    ExpectExactly("helpview.exe", DefNames(DefPath("helpview")));
}

TEST(ExportTables, SkinLibraryExportsItsWholeContract)
{
    const std::vector<std::string> contract = {
        "THINITENGINE", "THWINDOWSTYLE", "THREGISTERCLASS", "THSETMAXSIZE", "THHOLDER", "THXMINI",
        "THYMINI", "THGETMESSAGE", "THDIALOGMESSAGE", "THEVENT", "THMACTE", "THBUT3D",
        "THBUTTONTIP", "THTABSTOP", "THSETSYSTOOLTIP", "THSETSYSBUTTONTIP", "THSETCTLTEXT",
        "THGETCTLTEXT", "THGETCHECK", "THGETTRACKPOS", "THSETTRACKPOS", "THDEFAULTFONT",
        "THCAPTIONFONT", "THMARLETT", "THDELETEOBJECT", "THGETTEXTEXTENT", "THBUTTONMARGIN",
        "THGETSYSCOLOR", "THTILEBLT", "THCTLBACK", "THMSGBOX", "THFOPEN", "THFGET", "THFGETAT",
        "THFPUT", "THFLOF", "THFCLOSE", "THKILLFILE", "THMAKEDIR", "THREADSTR", "THEXENAME",
        "THSPLITN", "THGETTEMPPATH", "THEXIST", "THWINERR", "THDSKLIST"};
    std::vector<std::string> def = DefNames(DefPath("themekit"));
    EXPECT_EQ(std::set<std::string>(def.begin(), def.end()), std::set<std::string>(contract.begin(), contract.end()));
    ExpectExactly("themekit.dll", contract);
}

// The audio bridge's frame, forwarding, error and saving exports; later
// families add their own names to the .def beside these.
TEST(ExportTables, AudioBridgeExportsItsFrameErrorAndSavingFamilies)
{
    const std::vector<std::string> families = {
        "DLLMAIN", "BASSLOAD", "BASSUNLOAD", "BASSAVAILABLE", "BASSGETVERSION", "BASSSTRINGFROMPTR",
        "BASSFREE", "BASSSETCONFIG", "BASS_GETCONFIG", "BASSSETDEVICE", "BASSGETDEVICE", "BASSSTOP",
        "BASSPAUSE", "BASSSETEAXPARAMETERS", "BASSCHANNELGETDEVICE", "BASSCHANNELGETINFO",
        "BASSUSECHANNELISACTIVE", "BASSCHANNELISACTIVE", "BASSCHANNELSETSYNC",
        "BASSCHANNELSLIDEATTRIBUTES", "BASSUSECHANNELGETPOSITION", "BASSCHANNELGETPOSITION",
        "BASSCHANNELSETPOSITION", "BASSCHANNELGETLEVELEX", "BASSCHANNELGETLEVEL", "BASSCHANNELPAUSE",
        "BASSCHANNELRESUME", "BASSCHANNELSTOP", "BASSCHANNELGETATTRIBUTES", "BASSCHANNELSETATTRIBUTES",
        "BASSCHANNELGETDATA", "BASSSTREAMGETLENGTH", "BASSSTREAMFREE", "BASSSTREAMCREATE",
        "BASSSTREAMCREATEURL", "BASSSTREAMCREATEFILE", "BASSSTREAMCREATEFILEUSER", "BASSERRORGETCODE",
        "BASSERRORDESCRIPTION", "BASSSTREAMSAVE", "BASSSETDOWNLOADPATH", "BASSGETDOWNLOADPATH",
        "BASSGETDOWNLOADEDFILE", "BASSGETURLFILENAME", "DOWNLOADPROC"};
    std::vector<std::string> def = DefNames(DefPath("audiolink"));
    std::set<std::string> listed(def.begin(), def.end());
    std::vector<uint8_t> bytes = ReadFile(BinFolder() + "audiolink.dll");
    pe::ExportTable table = pe::ReadExports(bytes);
    ASSERT_TRUE(table.ok) << table.error;
    std::set<std::string> exported(table.names.begin(), table.names.end());
    for (const std::string &name : families) {
        EXPECT_EQ(listed.count(name), 1u) << "audiolink.def does not list " << name;
        EXPECT_EQ(exported.count(name), 1u) << "audiolink.dll does not export " << name;
    }
}

TEST(ExportTables, ContainerExportsItsWholeContract)
{
    const std::vector<std::string> contract = {
        "JAInitializePBClient", "JACreateControl", "JASetControlResizeStyle", "JASubscribeEvents",
        "JADeleteControl", "JAGetEventSenderDispatch", "JAReleaseDispatch", "JAGetControlName",
        "JAGetEventName", "JAGetEventNamedParameterValue"};
    std::vector<std::string> def = DefNames(DefPath("jaocx20"));
    EXPECT_EQ(std::set<std::string>(def.begin(), def.end()), std::set<std::string>(contract.begin(), contract.end()));
    ExpectExactly("jaocx20.dll", contract);
}

// The other architecture's build of the same sources: its modules export exactly the names this build's do,
// plainly and each by name, and are of the other machine type. The 64-bit
// suite reads the 32-bit modules this way on machines that cannot run them.
TEST(ExportTables, BothArchitecturesExportTheSameNames)
{
    const std::string peerBin = PeerBinFolder();
    if (GetFileAttributesA(peerBin.c_str()) == INVALID_FILE_ATTRIBUTES)
        GTEST_SKIP() << "no other build at " << peerBin;
    const bool wide = sizeof(void *) == 8;
    const uint16_t ownMachine = wide ? 0x8664 : 0x14C, peerMachine = wide ? 0x14C : 0x8664;
    for (const char *module : {"audiolink.dll", "foldertree.dll", "helpview.exe", "themekit.dll", "jaocx20.dll"}) {
        SCOPED_TRACE(module);
        pe::ExportTable own = pe::ReadExports(ReadFile(BinFolder() + module));
        pe::ExportTable peer = pe::ReadExports(ReadFile(peerBin + module));
        ASSERT_TRUE(own.ok) << own.error;
        ASSERT_TRUE(peer.ok) << peerBin << module << ": " << peer.error;
        EXPECT_EQ(own.machine, ownMachine);
        EXPECT_EQ(own.wide, wide);
        EXPECT_EQ(peer.machine, peerMachine);
        EXPECT_EQ(peer.wide, !wide);
        EXPECT_EQ(std::set<std::string>(own.names.begin(), own.names.end()),
                  std::set<std::string>(peer.names.begin(), peer.names.end()));
        EXPECT_EQ(own.names.size(), peer.names.size()) << "a name exported twice";
        for (const std::string &name : peer.names)
            EXPECT_EQ(name.find('@'), std::string::npos) << "the other build exports the decorated name " << name;
        EXPECT_EQ(peer.functionCount, peer.names.size()) << "the other build exports by ordinal only";
        EXPECT_EQ(own.functionCount, own.names.size()) << "this build exports by ordinal only";
    }
}
