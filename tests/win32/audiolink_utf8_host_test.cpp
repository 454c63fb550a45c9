// audiolink.dll in a host whose code page is UTF-8 (this program's manifest
// says so): every kind of media opened and played by its UTF-8 path (over the
// doubles, and for real by the rendering engine), display names that are
// valid UTF-8 whatever the tag holds, streams saved into a UTF-8 folder and
// plug-ins found in UTF-8 folders. Names are made with the W functions, as a
// user's are; a path must reach its own file, never one a lossy conversion
// would name.
#include "audiolink_test_support.h"
#include "foreign_names.h"

#include "audiolink.h"
#include "wave_bytes.h"

#include <algorithm>

namespace {

using namespace altest;
using namespace foreignnames;
using wholefile::Ansi;
using wholefile::IdentityOf;

// 180 bytes a folder in UTF-8 (a Unix name takes 255): a path below both
// passes 260 bytes while its UTF-16 form stays far below 260 units.
const std::wstring kLong = std::wstring(60, L'\x97f3') + L"\\" + std::wstring(60, L'\x697d');

#define UTF8_HOST_EXPORTS(X)                                                                       \
    X(BASSOPEN) X(BASSPLAY) X(BASSMEDIATYPE) X(BASSCLOSECHANNEL) X(BASSCHANNELISACTIVE)             \
    X(BASSSTREAMNAME) X(BASSMUSICNAME) X(BASSSTREAMSAVE) X(BASSSETDOWNLOADPATH)                     \
    X(BASSGETDOWNLOADPATH) X(BASSGETDOWNLOADEDFILE) X(BASSVISFINDPLUGINS) X(BASSSTRINGFROMPTR)      \
    X(BASSERRORGETCODE)

class AudioLink : public AudioLinkModule {
public:
    explicit AudioLink(const char *searchFolder = nullptr) : AudioLinkModule(searchFolder)
    {
        UTF8_HOST_EXPORTS(ALTEST_RESOLVE_EXPORT)
    }
    UTF8_HOST_EXPORTS(ALTEST_EXPORT_MEMBER)

    int Open(const std::string &name) { return BASSOPEN(nullptr, ByteString(name)); }
};

// Folders and files made wide under a scratch folder, and their UTF-8 paths.
class WideScratch {
public:
    std::wstring Wide(const std::wstring &relative) const { return wholefile::Wide(folder_.Path()) + L"\\" + relative; }
    std::string Path(const std::wstring &relative) const { return Ansi(Wide(relative)); }
    const std::string &Root() const { return folder_.Path(); }

    // Makes the folders of the relative path that are not there yet.
    void MakeFolder(const std::wstring &relative)
    {
        size_t end = 0;
        do {
            end = relative.find(L'\\', end + 1);
            CreateDirectoryW(Wide(relative.substr(0, end)).c_str(), nullptr);
        } while (end != std::wstring::npos);
    }
    std::string Write(const std::wstring &relative, const std::string &bytes)
    {
        HANDLE file = CreateFileW(Wide(relative).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD written = 0;
        EXPECT_TRUE(WriteFile(file, bytes.data(), DWORD(bytes.size()), &written, nullptr)) << Path(relative);
        CloseHandle(file);
        return Path(relative);
    }

private:
    ScratchFolder folder_;
};

// 300 bytes of audio and a tag with a title (and year), zero-padded.
std::string Tagged(const std::string &title, const std::string &year = "")
{
    std::string tag = "TAG" + title;
    tag.resize(93, '\0');
    tag += year;
    tag.resize(128, '\0');
    return std::string(300, 'a') + tag;
}

class Utf8Host : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(GetACP(), UINT(CP_UTF8)) << "the manifest makes UTF-8 this program's code page";
        ASSERT_TRUE(al_.BASSOPEN);
        bassdouble::Reset();
        for (const char *entry : {"BASS_Init", "BASS_Start", "BASS_Stop", "BASS_StreamPlay", "BASS_MusicPlayEx"})
            bassdouble::SetResult(entry, 1);
    }
    void TearDown() override
    {
        al_.BASSCLOSECHANNEL(0);
        al_.BASSSTREAMSAVE(0);
    }

    // Plays what is open; the path the creating call was handed (its second
    // argument), read where it points while it still holds it.
    std::string Played(const char *create)
    {
        bassdouble::ClearCalls();
        bassdouble::SetResult(create, 0x100);
        EXPECT_EQ(al_.BASSPLAY(0, 0), 0) << create;
        std::vector<bassdouble::CallRecord> calls = bassdouble::CallsOf(create);
        if (calls.size() != 1 || calls[0].args.size() < 2 || !calls[0].args[1])
            return "(" + std::string(create) + " was not called with a path)";
        return reinterpret_cast<const char *>(calls[0].args[1]);
    }

    DoublesOnSearchPath doubles_{"full"};
    AudioLink al_;
    WideScratch scratch_;
};

TEST_F(Utf8Host, EveryKindOpensAndPlaysByItsUtf8Path)
{
    struct {
        const wchar_t *file;
        const char *create;
        int kind;
    } kinds[] = {{L"song.mp3", "BASS_StreamCreateFile", 3},
                 {L"tune.xm", "BASS_MusicLoad", 1},
                 {L"talk.wma", "BASS_WMA_StreamCreateFile", 5}};
    // Keep＼Inner stands beside a real Keep\Inner with files of the same
    // names: only a path that reaches its own file passes.
    for (const std::wstring &folder :
         {kEvening, kGreek, kJapanese, kNote, kCombining, kFullwidthSolidus, std::wstring(L"Keep\\Inner"), kLong}) {
        scratch_.MakeFolder(folder);
        for (const auto &kind : kinds) {
            std::wstring relative = folder + L"\\" + kind.file;
            std::string path = scratch_.Write(relative, Ansi(relative));
            SCOPED_TRACE(path);
            EXPECT_EQ(al_.Open(path), 0);
            std::string played = Played(kind.create);
            EXPECT_EQ(al_.BASSMEDIATYPE(), kind.kind);
            EXPECT_EQ(IdentityOf(played), IdentityOf(scratch_.Wide(relative))) << played;
        }
    }
    std::string longPath = scratch_.Path(kLong + L"\\song.mp3");
    EXPECT_GT(longPath.size(), 260u);
    EXPECT_LT(wholefile::Wide(longPath).size(), 260u);

    // Up to 259 UTF-16 units are taken, however many bytes they are, and
    // reach the library whole (without a short form: no such file here).
    std::string longest = "C:\\" + Ansi(std::wstring(252, L'\x97f3')) + ".mp3"; // 763 bytes
    EXPECT_EQ(al_.Open(longest), 0);
    EXPECT_EQ(Played("BASS_StreamCreateFile"), longest);
    EXPECT_EQ(al_.Open("C:\\" + Ansi(std::wstring(253, L'\x97f3')) + ".mp3"), 2) << "260 units";
}

TEST_F(Utf8Host, DisplayNamesAreValidUtf8)
{
    auto streamName = [&](const std::wstring &file, const std::string &bytes) {
        EXPECT_EQ(al_.Open(scratch_.Write(file, bytes)), 0);
        return Take(al_.BASSSTREAMNAME());
    };
    // Latin-1, the tag's own character set, is converted; UTF-8 stays; a
    // Latin-1 title that begins the UTF-8 file name gives the file name.
    EXPECT_EQ(streamName(L"noir.mp3", Tagged("Caf\xe9 Noir", "2001")), "Caf\xc3\xa9 Noir 2001 #0");
    EXPECT_EQ(streamName(L"x.mp3", Tagged(Ansi(kEvening))), Ansi(kEvening) + " #0");
    EXPECT_EQ(streamName(L"Caf\x00e9 Noir.ogg", Tagged("CAF\xe9")), "Caf\xc3\xa9 Noir #0");
    EXPECT_EQ(streamName(kGreek + L".wav", "untagged"), Ansi(kGreek));
    EXPECT_EQ(al_.Open("http://host/caf\xe9.mp3"), 0) << "an address in Latin-1";
    EXPECT_EQ(Take(al_.BASSSTREAMNAME()), "caf\xc3\xa9");

    const std::string padding(300, '\0');
    EXPECT_EQ(al_.Open(scratch_.Write(L"a.xm", "Extended Module: Stra\xdf" "e\x1a" + padding)), 0);
    EXPECT_EQ(Take(al_.BASSMUSICNAME()), "Stra\xc3\x9f" "e");
    EXPECT_EQ(al_.Open(scratch_.Write(L"b.it", "IMPM" + Ansi(kJapanese) + padding)), 0);
    EXPECT_EQ(Take(al_.BASSMUSICNAME()), Ansi(kJapanese));

    // 150 two-byte characters: 259 bytes would halve the 130th.
    std::string accents;
    for (int n = 0; n < 150; ++n)
        accents += "\xc3\xa9";
    EXPECT_EQ(Take(al_.BASSSTRINGFROMPTR(accents.c_str())), accents.substr(0, 258));
}

TEST_F(Utf8Host, StreamsAreSavedIntoAUtf8DownloadFolder)
{
    std::string folder = scratch_.Path(kEvening + L"\\" + kNote) + "\\";
    al_.BASSSETDOWNLOADPATH(ByteString(folder));
    al_.BASSSTREAMSAVE(1);
    EXPECT_EQ(Take(al_.BASSGETDOWNLOADPATH()), folder);
    DWORD attributes = GetFileAttributesW(scratch_.Wide(kEvening + L"\\" + kNote).c_str());
    EXPECT_TRUE(attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) << "made first";

    EXPECT_EQ(al_.Open("http://host/music/" + Ansi(kJapanese) + ".mp3"), 0);
    bassdouble::SetResult("BASS_StreamCreateURL", 0x220);
    EXPECT_EQ(al_.BASSPLAY(0, 0), 0);
    EXPECT_EQ(Take(al_.BASSGETDOWNLOADEDFILE()), folder + Ansi(kJapanese) + ".mp3");
    DWORD length = 5;
    WaitAndClose(bassdouble::DeliverDownload("saved", &length, 1, TRUE));
    EXPECT_EQ(ReadWholeFile(scratch_.Path(kEvening + L"\\" + kNote + L"\\" + kJapanese + L".mp3")), "saved");

    // In UTF-8 too, COM and a superscript one name the port, never a file.
    EXPECT_EQ(al_.Open("http://host/COM\xc2\xb9.mp3"), 0);
    EXPECT_EQ(al_.BASSPLAY(0, 0), 0);
    EXPECT_EQ(Take(al_.BASSGETDOWNLOADEDFILE()), "");
}

TEST_F(Utf8Host, PluginsAreFoundInUtf8Folders)
{
    Names expected;
    for (const std::wstring &folder :
         {kEvening, kNote + L"\\" + kJapanese, kCombining, kFullwidthSolidus, std::wstring(L"Keep\\Inner"), kLong}) {
        scratch_.MakeFolder(folder);
        scratch_.Write(folder + L"\\Vis.SVP", "plug-in");
        expected.push_back(scratch_.Path(folder + L"\\vis.svp"));
    }
    Names found;
    std::string list = Take(al_.BASSVISFINDPLUGINS(scratch_.Root().c_str(), 0));
    for (size_t from = 0, comma = 0; comma != std::string::npos; from = comma + 1) {
        comma = list.find(',', from);
        found.push_back(list.substr(from, comma - from));
    }
    std::sort(expected.begin(), expected.end());
    std::sort(found.begin(), found.end());
    EXPECT_EQ(found, expected) << list;
    EXPECT_EQ(Take(al_.BASSVISFINDPLUGINS(scratch_.Path(kFullwidthSolidus).c_str(), 0)),
              scratch_.Path(kFullwidthSolidus + L"\\vis.svp"));
}

// The rendering engine as "BASS.DLL": the files are opened and played.
TEST(Utf8HostEngine, PlaysFilesByTheirUtf8Paths)
{
    ASSERT_EQ(GetACP(), UINT(CP_UTF8));
    WideScratch scratch;
    std::string output = scratch.Root() + "\\out.wav";
    SetEnvironmentVariableA("TARN_ENGINE_RENDER", "fast");
    SetEnvironmentVariableA("TARN_ENGINE_OUTPUT", output.c_str());
    std::string samples;
    for (int n = 0; n < 8820; ++n)
        samples += {char(n * 7), char(n >> 3)};
    const std::string wave = wavebytes::Riff(wavebytes::FormatChunk(44100, 2, 16) + wavebytes::Chunk("data", samples));
    for (const std::wstring &folder : {kEvening, kLong}) {
        scratch.MakeFolder(folder);
        std::string path = scratch.Write(folder + L"\\" + kNote + L".wav", wave);
        SCOPED_TRACE(path);
        {
            AudioLink link((ProgramFolder() + "..\\engine").c_str());
            ASSERT_TRUE(link.BASSOPEN);
            EXPECT_EQ(link.Open(path), 0);
            EXPECT_EQ(link.BASSPLAY(0, 0), 0) << "error " << link.BASSERRORGETCODE();
            for (int waited = 0; link.BASSCHANNELISACTIVE() && waited < 30000; waited += 5)
                Sleep(5);
            EXPECT_EQ(link.BASSCLOSECHANNEL(0), 0);
        }
        // The output: a 44-byte header and exactly the samples played.
        std::string out = ReadWholeFile(output);
        EXPECT_TRUE(out.size() == 44 + samples.size() && out.compare(44, std::string::npos, samples) == 0)
            << out.size() << " bytes put out";
    }
    SetEnvironmentVariableA("TARN_ENGINE_RENDER", nullptr);
    SetEnvironmentVariableA("TARN_ENGINE_OUTPUT", nullptr);
}

} // namespace
