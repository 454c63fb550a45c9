// A host built as an application developer builds one (the public headers
// and the import libraries) hands the modules addresses in every argument
// that takes one, and the modules read them, or pass them on, whole. In the
// 64-bit build every address lies above 4 GiB, so that a module which cuts
// an address to 32 bits anywhere on the way fails here. The audio library's
// test doubles record what reached the library.
#include <windows.h>
#include <commctrl.h>
#include <oleauto.h>

#define AUDIOLINK_DECLARE_DOWNLOADPROC
#include <audiolink.h>
#include <foldertree.h>

#include "bass_double.h"
#include "temp_folder.h"
#include "whole_file.h"
#include "machine_guard.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace {

using Args = std::vector<bassdouble::ArgWord>;
using bassdouble::ArgWord;
using wholefile::ReadWholeFile;
using wholefile::WriteWholeFile;

#ifdef _WIN64
constexpr ULONG_PTR FourGiB = 0x100000000ull;
#endif

// One committed block for the whole run: above 4 GiB in the 64-bit build,
// wherever the system puts it in the 32-bit build. Objects are carved from
// it in order.
class HighMemory {
public:
    HighMemory()
    {
#ifdef _WIN64
        for (ULONG_PTR at = 5 * FourGiB; !base_ && at < 0x7F0000000000ull; at += FourGiB)
            base_ = static_cast<char *>(
                VirtualAlloc(reinterpret_cast<void *>(at), Size, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
#else
        base_ = static_cast<char *>(VirtualAlloc(nullptr, Size, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
#endif
    }
    ~HighMemory() { VirtualFree(base_, 0, MEM_RELEASE); }
    HighMemory(const HighMemory &) = delete;
    HighMemory &operator=(const HighMemory &) = delete;

    bool Ready() const { return base_ != nullptr; }

    void *Bytes(size_t count)
    {
        size_t at = (used_ + 15) & ~size_t(15);
        if (!base_ || at + count > Size)
            return nullptr;
        used_ = at + count;
        return base_ + at;
    }
    char *Text(const std::string &text)
    {
        auto *copy = static_cast<char *>(Bytes(text.size() + 1));
        if (copy)
            std::memcpy(copy, text.c_str(), text.size() + 1);
        return copy;
    }

private:
    static constexpr size_t Size = 1 << 20;
    char *base_ = nullptr;
    size_t used_ = 0;
};

HighMemory High;

ArgWord Word(const void *address)
{
    return reinterpret_cast<ArgWord>(address);
}

// A value that stands for a window, procedure or user value the modules only
// pass on: above 4 GiB in the 64-bit build.
ArgWord Opaque(ArgWord low)
{
#ifdef _WIN64
    return 7 * FourGiB + low;
#else
    return low;
#endif
}

std::string Take(BSTR text)
{
    std::string bytes = text ? std::string(reinterpret_cast<const char *>(text), SysStringByteLen(text)) : "";
    SysFreeString(text);
    return bytes;
}

std::string ProgramFolder()
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path);
    folder.resize(folder.find_last_of("\\/") + 1);
    return folder;
}

class HostAddresses : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        // audiolink.dll was loaded with the program, before any double was
        // on the search path: load the family again from the doubles.
        SetDllDirectoryA((ProgramFolder() + "..\\doubles\\full").c_str());
        BASSUNLOAD();
        BASSLOAD();
    }
    static void TearDownTestSuite()
    {
        BASSUNLOAD();
        SetDllDirectoryA(nullptr);
    }
    void SetUp() override
    {
        ASSERT_TRUE(High.Ready()) << "no memory at a high address";
#ifdef _WIN64
        ASSERT_GE(Word(High.Bytes(0)), FourGiB);
#endif
        bassdouble::Reset();
        ASSERT_EQ(BASSAVAILABLE(), -1) << "the doubles did not load";
    }

    // The one call of entry that the doubles recorded since the last clear.
    static bassdouble::CallRecord OnlyCall(const char *entry)
    {
        std::vector<bassdouble::CallRecord> calls = bassdouble::CallsOf(entry);
        EXPECT_EQ(calls.size(), 1u) << entry;
        return calls.empty() ? bassdouble::CallRecord{} : calls.back();
    }
};

TEST_F(HostAddresses, EveryAddressReachesTheAudioLibraryWhole)
{
    char *text = High.Text("C:\\Music\\high.mp3");
    char *url = High.Text("http://host/high.mp3");
    char *user = High.Text("listener");
    char *password = High.Text("secret");
    void *buffer = High.Bytes(64);
    auto *attributes = static_cast<int *>(High.Bytes(3 * sizeof(int)));
    const ArgWord window = Opaque(0x10010), proc = Opaque(0x2468), value = Opaque(0x1357);
    auto *procAddress = reinterpret_cast<void *>(proc);

    struct Case {
        const char *entry;
        std::function<void()> call;
        Args args;
        std::vector<std::string> texts;
    };
    const std::vector<Case> cases = {
        {"BASS_Init", [&] { BASSINIT(1, 44100, 0, reinterpret_cast<HWND>(window)); }, {1, 44100, 0, window, 0}, {}},
        {"BASS_ChannelGetInfo", [&] { BASSCHANNELGETINFO(5, buffer); }, {5, Word(buffer)}, {}},
        {"BASS_ChannelSetSync", [&] { BASSCHANNELSETSYNC(5, 2, 3, 4, procAddress, value); },
         {5, 2, 3, 4, proc, value}, {}},
        {"BASS_ChannelGetAttributes", [&] { BASSCHANNELGETATTRIBUTES(5, attributes, attributes + 1, attributes + 2); },
         {5, Word(attributes), Word(attributes + 1), Word(attributes + 2)}, {}},
        {"BASS_ChannelGetData", [&] { BASSCHANNELGETDATA(5, buffer, 64); }, {5, Word(buffer), 64}, {}},
        {"BASS_StreamCreate", [&] { BASSSTREAMCREATE(44100, 2, 0, procAddress, value); },
         {44100, 2, 0, proc, value}, {}},
        {"BASS_StreamCreateURL",
         [&] { BASSSTREAMCREATEURL(url, 0, 0, reinterpret_cast<AUDIOLINK_DOWNLOADPROC>(proc), value); },
         {Word(url), 0, 0, proc, value}, {"http://host/high.mp3"}},
        {"BASS_StreamCreateFile", [&] { BASSSTREAMCREATEFILE(TRUE, buffer, 0, 64, 0); }, {1, Word(buffer), 0, 64, 0}, {}},
        {"BASS_StreamCreateFileUser", [&] { BASSSTREAMCREATEFILEUSER(value, proc, 3, Word(buffer)); },
         {value, proc, 3, Word(buffer)}, {}},
        {"BASS_ChannelSetDSP",
         [&] { BASSCHANNELSETDSP(5, reinterpret_cast<AUDIOLINK_DSPPROC>(proc), value, -2); },
         {5, proc, value, DWORD(-2)}, {}},
        {"BASS_SONIQUEVIS_CreateVis", [&] { BASSSONIQUECREATEVIS(value, Word(text), 0, 320, 200); },
         {value, Word(text), 0, 320, 200}, {}},
        {"BASS_SONIQUEVIS_Clicked", [&] { BASSSONIQUECLICKED(9, window, value); }, {9, window, value}, {}},
        {"BASS_SONIQUEVIS_Resize", [&] { BASSSONIQUERESIZE(9, window, value); }, {9, window, value}, {}},
        {"BASS_SONIQUEVIS_Render", [&] { BASSSONIQUERENDER(9, Word(buffer), value); }, {9, Word(buffer), value}, {}},
        {"BASS_CD_GetInfo", [&] { BASSCDGETINFO(1, buffer); }, {1, Word(buffer)}, {}},
        {"BASS_CD_StreamCreateFile", [&] { BASSCDSTREAMCREATEFILE(text, 4); }, {Word(text), 4},
         {"C:\\Music\\high.mp3"}},
        {"BASS_RecordStart", [&] { BASSRECORDSTART(44100, 2, proc, value); }, {44100, 2, proc, value}, {}},
        {"BASS_WMA_EncodeOpenFile", [&] { BASSWMAENCODEOPENFILE(44100, 1, 128000, text); },
         {44100, 1, 128000, Word(text)}, {"C:\\Music\\high.mp3"}},
        {"BASS_WMA_EncodeOpen", [&] { BASSWMAENCODEOPEN(44100, 1, 128000, procAddress, value); },
         {44100, 1, 128000, proc, value}, {}},
        {"BASS_WMA_EncodeOpenPublish", [&] { BASSWMAENCODEOPENPUBLISH(44100, 1, 128000, url, user, password); },
         {44100, 1, 128000, Word(url), Word(user), Word(password)}, {"http://host/high.mp3", "listener", "secret"}},
        {"BASS_WMA_EncodeSetNotify", [&] { BASSWMAENCODESETNOTIFY(3, procAddress, value); }, {3, proc, value}, {}},
        {"BASS_WMA_EncodeSetTag", [&] { BASSWMAENCODESETTAG(3, user, password); }, {3, Word(user), Word(password)},
         {"listener", "secret"}},
        {"BASS_WMA_EncodeWrite", [&] { BASSWMAENCODEWRITE(3, buffer, 64); }, {3, Word(buffer), 64}, {}},
        {"BASS_Encode_Start", [&] { BASSENCODESTART(5, text, 0x40); }, {5, Word(text), 0x40}, {"C:\\Music\\high.mp3"}},
        {"BASS_SampleLoad", [&] { BASSSAMPLELOAD(TRUE, buffer, 0, 64, 3, 8); }, {1, Word(buffer), 0, 64, 3, 8}, {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.entry);
        bassdouble::ClearCalls();
        c.call();
        bassdouble::CallRecord call = OnlyCall(c.entry);
        EXPECT_EQ(call.args, c.args);
        if (!c.texts.empty()) {
            EXPECT_EQ(call.texts, c.texts) << "the texts read at those addresses";
        }
    }
}

TEST_F(HostAddresses, RecordsAtHighAddressesAreReadAndFilledWhole)
{
    bassdouble::SetResult("BASS_ChannelSetFX", 0x41);
    ASSERT_EQ(BASSCHANNELSETFX(5, BASS_FX_PARAMEQ), 0x41u);
    auto *set = static_cast<BASS_FXPARAMEQ *>(High.Bytes(sizeof(BASS_FXPARAMEQ)));
    *set = BASS_FXPARAMEQ{1000.0f, 12.0f, -6.0f};
    bassdouble::SetResult("BASS_FXSetParameters", 1);
    EXPECT_EQ(BASSFXSETPARAMETERS(0x41, set), TRUE);
    bassdouble::CallRecord call = OnlyCall("BASS_FXSetParameters");
    EXPECT_EQ(call.args, (Args{0x41, Word(set)}));
    ASSERT_EQ(call.block.size(), sizeof *set);
    EXPECT_EQ(std::memcmp(call.block.data(), set, sizeof *set), 0) << "the library read the record";

    auto *got = static_cast<BASS_FXPARAMEQ *>(High.Bytes(sizeof(BASS_FXPARAMEQ)));
    EXPECT_EQ(BASSFXGETPARAMETERS(0x41, got), 0) << "the double's scripted result";
    EXPECT_EQ(got->center, 1000.0f) << "the library filled the record in";
    EXPECT_EQ(got->gain, -6.0f);
}

TEST_F(HostAddresses, AddressesTheLibraryAnswersComeBackWhole)
{
    char *name = High.Text("Blaze");
    char *drive = High.Text("Test Drive");
    char *id = High.Text("0a0b0c0d");
    auto *rates = static_cast<DWORD *>(High.Bytes(3 * sizeof(DWORD)));
    void *reader = High.Bytes(8);
    bassdouble::SetResult("BASS_SONIQUEVIS_GetName", Word(name));
    bassdouble::SetResult("BASS_CD_GetDriveDescription", Word(drive));
    bassdouble::SetResult("BASS_CD_GetID", Word(id));
    bassdouble::SetResult("BASS_WMA_EncodeGetRates", Word(rates));
    bassdouble::SetResult("BASS_WMA_GetIWMReader", Word(reader));
    EXPECT_EQ(BASSSONIQUEGETNAME(1), name);
    EXPECT_EQ(BASSCDGETDRIVEDESCRIPTION(0), drive);
    EXPECT_EQ(BASSCDGETID(0, 1), id);
    EXPECT_EQ(BASSWMAENCODEGETRATES(44100, 0), rates);
    EXPECT_EQ(BASSWMAGETIWMREADER(5), reader);

    // Texts the library hands out at high addresses, copied by the bridge.
    bassdouble::SetResult("BASS_RecordGetInputName", Word(High.Text("  Line In  ")));
    EXPECT_EQ(Take(BASSRECORDGETINPUTNAME(0)), "Line In");
    EXPECT_EQ(Take(BASSSTRINGFROMPTR(High.Text("  padded text "))), "padded text");
}

TEST_F(HostAddresses, TheBridgeReadsTextsAndBlocksAtHighAddresses)
{
    // A decoding stream of a Windows Media file goes to the add-on.
    bassdouble::SetResult("BASS_WMA_StreamCreateFile", 0x61);
    char *wma = High.Text("C:\\Music\\high.WMA");
    EXPECT_EQ(BASSSTREAMDECODEFILE(wma), 0x61u);
    bassdouble::CallRecord call = OnlyCall("BASS_WMA_StreamCreateFile");
    EXPECT_EQ(call.args[1], Word(wma));

    // The plug-in search walks the folder named at a high address.
    std::string folder = tempfolder::FreshFolder("host_address_plugins");
    ASSERT_TRUE(WriteWholeFile(folder + "\\Glow.SVP", "plug-in"));
    EXPECT_EQ(Take(BASSVISFINDPLUGINS(High.Text(folder), 0)), folder + "\\glow.svp");

    // The effects dialog's window comes back as it was registered.
    auto dialog = reinterpret_cast<HWND>(Opaque(0x30020));
    EXPECT_EQ(BASSFXWINDOW(dialog, 1), dialog);
    EXPECT_EQ(BASSFXWINDOW(nullptr, 0), dialog);
    BASSFXWINDOW(nullptr, 1);

    // A saved network stream: the blocks handed to DOWNLOADPROC at high
    // addresses are what lands in the file.
    std::string saveFolder = folder + "\\";
    BSTR path = SysAllocStringByteLen(saveFolder.c_str(), UINT(saveFolder.size()));
    BASSSETDOWNLOADPATH(path);
    BASSSTREAMSAVE(1);
    bassdouble::SetResult("BASS_Init", 1);
    bassdouble::SetResult("BASS_Start", 1);
    bassdouble::SetResult("BASS_StreamCreateURL", 0x71);
    bassdouble::SetResult("BASS_StreamPlay", 1);
    const char address[] = "http://host/saved.mp3";
    ASSERT_EQ(BASSOPEN(reinterpret_cast<HWND>(Opaque(0x10010)), SysAllocStringByteLen(address, sizeof address - 1)), 0);
    ASSERT_EQ(BASSPLAY(0, 0), 0);
    std::vector<bassdouble::CallRecord> created = bassdouble::CallsOf("BASS_StreamCreateURL");
    ASSERT_EQ(created.size(), 1u);
    EXPECT_EQ(created[0].args[3], reinterpret_cast<ArgWord>(AudioLinkDownloadProc()));
    EXPECT_EQ(bassdouble::CallsOf("BASS_Init").at(0).args.at(3), Opaque(0x10010)) << "BASSOPEN's window";
    const std::string payload("ID3\0saved stream bytes", 22);
    char *block = High.Text(payload);
    DOWNLOADPROC(block, 4, 0);
    DOWNLOADPROC(block + 4, DWORD(payload.size() - 4), 0);
    DOWNLOADPROC(nullptr, 0, 0);
    EXPECT_EQ(ReadWholeFile(folder + "\\saved.mp3"), payload);
    BASSCLOSECHANNEL(0);
    BASSSTREAMSAVE(0);
    BASSSETDOWNLOADPATH(nullptr);
    tempfolder::RemoveTree(folder);
}

// ---- The folder-tree control --------------------------------------------

struct Received {
    std::string bytes;
    WPARAM wParam = 0;
    ULONG_PTR code = 0;
};
Received LastCopy;

LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_COPYDATA) {
        const auto *data = reinterpret_cast<const COPYDATASTRUCT *>(lParam);
        LastCopy = {std::string(static_cast<const char *>(data->lpData), data->cbData), wParam, data->dwData};
        return 1003;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

void Pump()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

TEST(HostAddressesFolderTree, TheControlReadsTextsAndHeadersAtHighAddresses)
{
    ASSERT_TRUE(High.Ready());
    CoInitialize(nullptr);
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = HostProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "HostAddressHost";
    RegisterClassA(&windowClass);
    HWND host = CreateWindowExA(0, "HostAddressHost", "host", WS_OVERLAPPEDWINDOW, 0, 0, 400, 500, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(host, nullptr);

    std::string base = tempfolder::FreshFolder("host_address_tree");
    std::string target = base + "\\Deep";
    CreateDirectoryA(target.c_str(), nullptr);
    HWND control = TarnBrowser(0, High.Text(target), WS_CHILD | WS_VISIBLE, 0, 0, 380, 460, host, 40);
    ASSERT_NE(control, nullptr);
    Pump();
    HWND tree = GetDlgItem(control, 40);
    ASSERT_NE(tree, nullptr);
    EXPECT_EQ(Take(Bff_GetPath(tree)), target) << "the start path was read at its address";

    // A notification header at a high address: only one from the tree is
    // handled.
    auto *change = static_cast<NMTREEVIEWA *>(High.Bytes(sizeof(NMTREEVIEWA)));
    *change = NMTREEVIEWA{};
    change->hdr.hwndFrom = tree;
    change->hdr.idFrom = 40;
    change->hdr.code = TVN_ITEMEXPANDINGA;
    EXPECT_EQ(Bff_WM_NOTIFY(control, 40, &change->hdr), 1);
    change->hdr.hwndFrom = host;
    EXPECT_EQ(Bff_WM_NOTIFY(control, 40, &change->hdr), 0);

    // Texts at high addresses.
    EXPECT_EQ(Bff_FileExist(High.Text(target)), -1);
    EXPECT_EQ(Bff_FileExist(High.Text(base + "\\Missing")), 0);
    EXPECT_EQ(Take(LTRIM(High.Text("xxkeepxx"), High.Text("x"))), "keepxx");
    EXPECT_EQ(Take(RTRIM(High.Text("xxkeepxx"), High.Text("x"))), "xxkeep");
    EXPECT_EQ(Bff_SendPrivateMsg(host, 9, High.Text("to the host")), 1003);
    EXPECT_EQ(LastCopy.bytes, "to the host");
    EXPECT_EQ(LastCopy.wParam, 11u);
    EXPECT_EQ(LastCopy.code, 9u);

    // A file list at a high address goes to the recycle bin (on Windows,
    // the user's own: there only a list the shell refuses is handed over).
    std::string file = base + "\\recycled.txt";
    ASSERT_TRUE(WriteWholeFile(file, "bytes"));
    auto *list = static_cast<char *>(High.Bytes(file.size() + 2));
    std::memcpy(list, file.c_str(), file.size() + 1);
    list[file.size() + 1] = '\0';
    if (machineguard::UnderWine()) {
        EXPECT_EQ(Bff_MoveToTray(list), 0);
        EXPECT_EQ(GetFileAttributesA(file.c_str()), INVALID_FILE_ATTRIBUTES);
    } else {
        list[0] = '\0';
        EXPECT_EQ(Bff_MoveToTray(list), 87) << "an empty list, read at its high address";
    }

    DestroyWindow(control);
    DestroyWindow(host);
    tempfolder::RemoveTree(base);
    CoUninitialize();
}

} // namespace
