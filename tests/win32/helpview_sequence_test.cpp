// Random sequences against the real helpview.exe with the recording test
// control: navigate and other commands from several senders at once (this
// program's threads, each with a window of its own, and the sending peer
// program), size, move, minimise, maximise and restore, the back and forward
// buttons, title and status events, starts (a second viewer while one runs,
// or a host handing its page to the running one) and closes by each of the
// ways a viewer is closed.
//
// What a host can see is the model: every command is answered 1; the control
// is given only addresses that were sent, each as the protocol makes it of
// the bytes sent, each sender's in the order it sent them, never from inside
// the sender's message, and the latest one once the viewer has caught up;
// the caption and status line follow the events; the window is where it was
// put; a closed viewer has saved where its window was (restored) and the
// next start opens there.
//
// The viewer takes its time over a navigation (it waits for the task-bar
// button to stop flashing), so the senders are threads that queue their
// work: a step hands it over and returns, and the checks after each step are
// those that hold at any moment. A settle step waits for every sender and
// makes the checks that need the viewer to have caught up.
#include <windows.h>

#include <themekit.h>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

#include "helpview.h"
#include "helpview_process.h"
#include "sequence_driver.h"
#include "testbrowser/test_browser.h"

namespace {

using sequence::Expect;
using sequence::Fail;

constexpr char SequenceStem[] = "hvseq";
constexpr wchar_t LogName[] = L"helpview_sequence_test.log";
// The viewer answers its senders between pages (each takes it 50 ms or so),
// one command from each: many senders keep it busy.
constexpr int SenderThreads = 48;
constexpr int SendersWithWindows = 4;
// Jobs waiting, in all and for one thread; a step that would queue more
// waits for the viewer to catch up.
constexpr long MostWaiting = 400;
constexpr size_t MostQueued = 100;
constexpr int NoSender = -1;

// ---- Texts as the control is given them ------------------------------------------------------------

std::wstring Decode(UINT codePage, const std::string &bytes, DWORD flags = 0)
{
    if (bytes.empty())
        return {};
    int length = MultiByteToWideChar(codePage, flags, bytes.data(), int(bytes.size()), nullptr, 0);
    if (length <= 0)
        return {};
    std::wstring wide(size_t(length), L'\0');
    MultiByteToWideChar(codePage, flags, bytes.data(), int(bytes.size()), &wide[0], length);
    return wide;
}

bool IsUtf8(const std::string &bytes)
{
    return bytes.empty() || !Decode(CP_UTF8, bytes, MB_ERR_INVALID_CHARS).empty();
}

// The bytes without a UTF-8 character that their end cuts off.
std::string WithoutCutCharacter(const std::string &bytes)
{
    for (size_t back = 1; back <= 3 && back <= bytes.size(); ++back) {
        auto c = static_cast<unsigned char>(bytes[bytes.size() - back]);
        if ((c & 0xC0) == 0x80)
            continue;
        size_t wanted = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
        return wanted > back ? bytes.substr(0, bytes.size() - back) : bytes;
    }
    return bytes;
}

// The address a navigate command shows, as the reference describes it: at
// most wParam bytes, at most cbData, at most 255, up to the first zero;
// valid UTF-8 as it is, anything else in the system's 8-bit code page
// (1252 here); a UTF-8 text that went on past 255 bytes loses a character
// cut in two.
std::wstring ShownText(const std::string &bytes, ULONG_PTR wParam)
{
    size_t available = size_t(std::min<ULONG_PTR>(wParam, bytes.size()));
    std::string text = bytes.substr(0, std::min<size_t>(available, HELPVIEW_MAX_ADDRESS));
    size_t zero = text.find('\0');
    bool cut = zero == std::string::npos && available > HELPVIEW_MAX_ADDRESS && bytes[HELPVIEW_MAX_ADDRESS] != '\0';
    if (zero != std::string::npos)
        text.resize(zero);
    if (cut && IsUtf8(WithoutCutCharacter(text)))
        return Decode(CP_UTF8, WithoutCutCharacter(text));
    return IsUtf8(text) ? Decode(CP_UTF8, text) : Decode(1252, text);
}

std::wstring Widened(const std::string &ascii)
{
    return std::wstring(ascii.begin(), ascii.end());
}

// ---- Threads that send for a step ----------------------------------------------------------------

// A thread that runs the jobs handed to it in order, started when it is
// first given one. Some have a window of their own, whose handle they put in
// wParam as senders of WM_COPYDATA usually do.
class Worker {
public:
    explicit Worker(bool withWindow) : withWindow_(withWindow) {}
    ~Worker()
    {
        if (!thread_.joinable())
            return;
        {
            // What a failed sequence left queued is not sent.
            std::lock_guard<std::mutex> lock(mutex_);
            waiting_ -= long(jobs_.size());
            jobs_.clear();
            stopping_ = true;
        }
        changed_.notify_all();
        thread_.join();
    }

    // The thread's window; NULL for a thread without one.
    HWND Window()
    {
        StartOnce();
        return window_;
    }

    void Add(std::function<void()> job)
    {
        StartOnce();
        while (waiting_ >= MostWaiting)
            Sleep(1);
        ++waiting_;
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [this] { return jobs_.size() < MostQueued; });
        jobs_.push_back(std::move(job));
        changed_.notify_all();
    }

    void Drain()
    {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [this] { return jobs_.empty() && !busy_; });
    }

private:
    void StartOnce()
    {
        if (thread_.joinable())
            return;
        thread_ = std::thread([this] { Run(); });
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [this] { return started_; });
    }

    void Run()
    {
        HWND window = withWindow_ ? CreateWindowExA(0, "STATIC", "sender", 0, 0, 0, 10, 10, HWND_MESSAGE, nullptr,
                                                    nullptr, nullptr)
                                  : nullptr;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            window_ = window;
            started_ = true;
        }
        changed_.notify_all();
        for (;;) {
            std::function<void()> job;
            {
                std::unique_lock<std::mutex> lock(mutex_);
                changed_.wait(lock, [this] { return stopping_ || !jobs_.empty(); });
                if (jobs_.empty())
                    break;
                job = std::move(jobs_.front());
                jobs_.pop_front();
                busy_ = true;
            }
            changed_.notify_all();
            job();
            --waiting_;
            {
                std::lock_guard<std::mutex> lock(mutex_);
                busy_ = false;
            }
            changed_.notify_all();
        }
        if (window)
            DestroyWindow(window);
    }

    static inline std::atomic<long> waiting_{0}; // of every worker

    bool withWindow_;
    std::thread thread_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::function<void()>> jobs_;
    HWND window_ = nullptr;
    bool started_ = false;
    bool busy_ = false;
    bool stopping_ = false;
};

// ---- The model ----------------------------------------------------------------------------------------

enum class Shape { Normal, Minimised, Maximised };

// A navigation the control may be given.
struct Expected {
    int sender;
    size_t order; // within its sender
    bool unique;  // no other command shows the same text
};

struct Run {
    unsigned number = 0; // of the starts of the sequence
    std::unique_ptr<hvtest::Viewer> viewer;
    DWORD process = 0;
    HWND window = nullptr, holder = nullptr, status = nullptr, view = nullptr;
    RECT normal{};                      // where the window is when restored
    Shape shape = Shape::Normal;
    bool maximisedBeforeMinimised = false;
    std::wstring caption = L"Help";     // once the events have been handled
    std::wstring statusText;            // empty: none fired yet
    unsigned backs = 0, forwards = 0;   // posted
    // Seen in the control's record.
    unsigned seenBacks = 0, seenForwards = 0, navigations = 0, destroyed = 0;
    std::vector<Expected> expected;
    std::unordered_map<std::wstring, std::deque<size_t>> waiting; // text -> not yet shown
    std::map<int, size_t> lastShown;    // sender -> order of its last address shown
    std::map<int, size_t> sentBy;       // sender -> commands so far
    std::wstring startAddress;
    std::wstring lastShownText;
};

// For messages: 7-bit characters, '?' for any other.
std::string Narrow(const std::wstring &text)
{
    std::string bytes;
    for (wchar_t c : text)
        bytes += c < 0x80 ? char(c) : '?';
    return bytes;
}

class ViewerSequence : public sequence::Tester {
public:
    ViewerSequence()
    {
        Expect(controls_.Loaded(), "setup", "testbrowser.dll did not load");
        Expect(controls_.Register(testbrowser::AsWebBrowser) == S_OK, "setup", "the test control is not registered");
        registered_ = true;
        log_ = testbrowser::StartLog(LogName);
        PrepareFiles();
        DeleteFileA(PlacementPath().c_str());
        screen_ = SIZE{GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
        for (int i = 0; i < SenderThreads + 1; ++i)
            workers_.push_back(std::make_unique<Worker>(i < SendersWithWindows));
    }

    ~ViewerSequence() override
    {
        workers_.clear();
        runs_.clear(); // ends what a failure left running
        if (record_ != INVALID_HANDLE_VALUE)
            CloseHandle(record_);
        testbrowser::StopLog();
        if (registered_)
            controls_.Unregister();
    }

    std::string Step(sequence::Draw &draw) override
    {
        picked_ = 0;
        std::string what = AnyStep(draw);
        return picked_ ? what + " [viewer " + std::to_string(picked_) + "]" : what;
    }

    std::string AnyStep(sequence::Draw &draw)
    {
        if (runs_.empty())
            return Start(draw);
        switch (draw.Weighted({300, 60, 2, 20, 60, 80, 50, 1, 1, 1})) {
        case 0: return Navigate(draw);
        case 1: return OtherCommand(draw);
        case 2: return PeerSends(draw);
        case 3: return FireEvent(draw);
        case 4: return PressButton(draw);
        case 5: return Place(draw);
        case 6: return ChangeShape(draw);
        case 7: return Settle();
        case 8: return Start(draw);
        default: return Stop(draw);
        }
    }

    void Check() override
    {
        {
            std::lock_guard<std::mutex> lock(problemLock_);
            if (!problem_.empty()) {
                std::string problem = problem_;
                problem_.clear();
                Fail(problemCheck_, problem);
            }
        }
        ReadRecord();
        for (const std::unique_ptr<Run> &run : runs_) {
            Expect(run->viewer->WaitForExit(0) == STILL_ACTIVE, "viewer runs",
                   "the viewer ended with exit code " + std::to_string(run->viewer->WaitForExit(0)));
            Expect(IsWindow(run->window) != FALSE, "viewer runs", "its window is gone");
        }
    }

    void Finish() override
    {
        while (!runs_.empty())
            Close(runs_.back(), 0);
        workers_.clear();
        Check();
        for (DWORD process : ended_)
            Expect(!hvtest::WaitForWindow(process, hvtest::ViewerClass, 0), "nothing left",
                   "an ended viewer's window is still there");
        if (Exists(PlacementPath()))
            ExpectSanePlacementFile();
    }

private:
    // ---- Files -------------------------------------------------------------------------------------

    static std::string PlacementPath() { return hvtest::TempFolder() + SequenceStem + ".cfg"; }
    static bool Exists(const std::string &path) { return hvtest::Exists(path); }

    void PrepareFiles()
    {
        std::string folder = hvtest::ExeFolder() + "helpview_cases\\";
        CreateDirectoryA(folder.c_str(), nullptr);
        files_.folder = folder + "sequence\\";
        CreateDirectoryA(files_.folder.c_str(), nullptr);
        files_.exe = files_.folder + SequenceStem + ".exe";
        files_.base = files_.folder + SequenceStem;
        // A fresh copy; an earlier one is deleted, not written over.
        DeleteFileA(files_.exe.c_str());
        Expect(CopyFileA((hvtest::BinFolder() + "helpview.exe").c_str(), files_.exe.c_str(), TRUE) != FALSE, "setup",
               "helpview.exe could not be copied to " + files_.exe);
        hvtest::WriteWholeFile(files_.base + ".sys", hvtest::SysText);
        hvtest::WriteWholeFile(files_.base + ".skl", hvtest::SkinText);
        hvtest::WriteWholeFile(files_.base + ".htm", hvtest::PageText);
        page_ = files_.folder + "A Page.htm";
        hvtest::WriteWholeFile(page_, hvtest::PageText);
    }

    // The placement file as a window rectangle; false when it is not 8
    // bytes of a sane placement.
    bool ReadPlacement(RECT &rect, std::string &why) const
    {
        std::string bytes = hvtest::ReadWholeFile(PlacementPath());
        if (bytes.size() != 8) {
            why = "the placement file holds " + std::to_string(bytes.size()) + " bytes";
            return false;
        }
        int v[4];
        for (int i = 0; i < 4; ++i)
            v[i] = int(int16_t(uint16_t(uint8_t(bytes[2 * i]) | uint8_t(bytes[2 * i + 1]) << 8)));
        rect = RECT{v[0], v[1], v[0] + v[2], v[1] + v[3]};
        why = RectText(rect);
        return v[0] >= 0 && v[1] >= 0 && v[2] >= hvtest::MinimumWidth && v[3] >= hvtest::MinimumHeight &&
               v[0] + v[2] <= screen_.cx && v[1] + v[3] <= screen_.cy;
    }

    void ExpectSanePlacementFile() const
    {
        RECT rect{};
        std::string why;
        Expect(ReadPlacement(rect, why), "placement file", why);
    }

    static std::string RectText(const RECT &r)
    {
        return std::to_string(r.left) + "," + std::to_string(r.top) + " " + std::to_string(r.right - r.left) + "x" +
               std::to_string(r.bottom - r.top);
    }

    // ---- Workers -----------------------------------------------------------------------------------

    void Report(const std::string &problem, const char *check = "answer")
    {
        std::lock_guard<std::mutex> lock(problemLock_);
        if (problem_.empty()) {
            problem_ = problem;
            problemCheck_ = check;
        }
    }

    void DrainWorkers()
    {
        for (const std::unique_ptr<Worker> &worker : workers_)
            worker->Drain();
    }

    // Events go one after another: the last title fired is the caption.
    Worker &EventWorker() { return *workers_.back(); }

    // The changes of size and shape go to the viewer without waiting for it
    // (it may be busy showing a page for a while), in order; a message sent
    // after them returns once they are done.
    static void WaitForWindowChanges(const Run &run)
    {
        DWORD_PTR ignored = 0;
        SendMessageTimeoutA(run.window, WM_NULL, 0, 0, SMTO_NORMAL, 20000, &ignored);
    }

    Run &Pick(sequence::Draw &draw)
    {
        Run &run = *runs_[draw.Below(uint32_t(runs_.size()))];
        picked_ = run.number;
        return run;
    }

    // Registers what a command will show before it is sent, so that the
    // record is never ahead of the model.
    void ExpectShown(Run &run, int sender, const std::wstring &text)
    {
        if (text.empty())
            return;
        std::deque<size_t> &same = run.waiting[text];
        size_t index = run.expected.size();
        run.expected.push_back(Expected{sender, run.sentBy[sender]++, same.empty()});
        // A text already waiting: neither command is told apart by it.
        for (size_t other : same)
            run.expected[other].unique = false;
        if (!same.empty())
            run.expected[index].unique = false;
        same.push_back(index);
    }

    void Send(int sender, HWND window, ULONG_PTR code, const std::string &bytes, ULONG_PTR wParam, bool noData)
    {
        workers_[size_t(sender)]->Add([this, window, code, bytes, wParam, noData] {
            COPYDATASTRUCT data{};
            data.dwData = code;
            data.cbData = noData ? 0 : DWORD(bytes.size());
            data.lpData = noData || bytes.empty() ? nullptr : const_cast<char *>(bytes.data());
            DWORD_PTR reply = 0;
            if (!SendMessageTimeoutA(window, WM_COPYDATA, wParam, reinterpret_cast<LPARAM>(&data), SMTO_NORMAL, 20000,
                                     &reply))
                Report("no answer to command " + std::to_string(code) + " (error " + std::to_string(GetLastError()) +
                       ")");
            else if (reply != 1)
                Report("command " + std::to_string(code) + " was answered " + std::to_string(reply));
        });
    }

    // ---- Commands ------------------------------------------------------------------------------------

    // An address of count bytes: this sequence's serial number first, so that
    // every cut of it still tells which command it was; then ASCII, or
    // letters of code page 1252 each followed by an ASCII one (which no UTF-8
    // text is), or UTF-8 characters of two, three and four bytes.
    std::string Address(sequence::Draw &draw, size_t count, std::string &what)
    {
        std::string text = "http://example.org/" + std::to_string(++serial_) + "/";
        static const char *const eightBit[] = {"\xE9", "\xFC", "\x80", "\xDF", "\xC4"};
        static const char *const utf8[] = {"\xC3\xA9", "\xE2\x82\xAC", "\xF0\x9D\x84\x9E", "\xD0\x96"};
        uint32_t kind = draw.Below(4);
        what = kind == 1 ? "1252" : kind == 2 ? "UTF-8" : "ASCII";
        while (text.size() < count) {
            if (kind == 1 && draw.OneIn(4))
                text += std::string(draw.Pick(eightBit)) + char('a' + draw.Below(26));
            else if (kind == 2 && draw.OneIn(3))
                text += draw.Pick(utf8);
            else
                text += char('a' + draw.Below(26));
        }
        if (text.size() > count && kind != 2)
            text.resize(count);
        return text;
    }

    std::string Navigate(sequence::Draw &draw)
    {
        Run &run = Pick(draw);
        int sender = int(draw.Below(SenderThreads));
        // Mostly short; the protocol's boundaries around 255 bytes; now and
        // then a long text.
        static const size_t boundaries[] = {254, 255, 256, 257, 300, 4096};
        size_t count = draw.OneIn(5) ? draw.Pick(boundaries) : 20 + draw.Below(80);
        std::string what;
        std::string bytes = Address(draw, count, what);
        ULONG_PTR wParam = bytes.size();
        std::string how = "length";
        switch (draw.Weighted({20, 3, 2, 2, 1})) {
        case 1:
            sender = int(draw.Below(SendersWithWindows));
            wParam = ULONG_PTR(workers_[size_t(sender)]->Window());
            how = "its window in wParam";
            break;
        case 2:
            wParam = bytes.size() + 1 + draw.Below(5000);
            how = "wParam beyond cbData";
            break;
        case 3:
            wParam = 1 + draw.Below(uint32_t(bytes.size()));
            how = "wParam short of cbData";
            break;
        case 4:
            bytes[draw.Between(25, uint32_t(bytes.size() - 1))] = '\0';
            how = "a zero byte inside";
            break;
        }
        ExpectShown(run, sender, ShownText(bytes, wParam));
        Send(sender, run.window, HELPVIEW_NAVIGATE, bytes, wParam, false);
        return "navigate " + std::to_string(serial_) + " from sender " + std::to_string(sender) + ": " +
               std::to_string(bytes.size()) + " bytes of " + what + ", " + how;
    }

    // Commands that show nothing: an empty text, wParam 0, no data, codes
    // other than navigate and close.
    std::string OtherCommand(sequence::Draw &draw)
    {
        Run &run = Pick(draw);
        int sender = int(draw.Below(SenderThreads));
        std::string what;
        std::string bytes = Address(draw, 30, what);
        static const ULONG_PTR codes[] = {0, 1, 2, 4, 9, 11, 0x7FFF, ULONG_PTR(-1)};
        switch (draw.Below(4)) {
        case 0:
            Send(sender, run.window, HELPVIEW_NAVIGATE, "", 0, false);
            return "navigate with no text from sender " + std::to_string(sender);
        case 1:
            Send(sender, run.window, HELPVIEW_NAVIGATE, bytes, 0, false);
            return "navigate with wParam 0 from sender " + std::to_string(sender);
        case 2:
            Send(sender, run.window, HELPVIEW_NAVIGATE, bytes, 100000, true);
            return "navigate with no data and wParam 100000 from sender " + std::to_string(sender);
        default: {
            ULONG_PTR code = draw.Pick(codes);
            Send(sender, run.window, code, bytes, bytes.size(), false);
            return "command " + std::to_string(code) + " from sender " + std::to_string(sender);
        }
        }
    }

    // The peer program: count navigate commands as fast as it can, every
    // seventh of another size (helpview_copydata_peer.cpp says which).
    std::string PeerSends(sequence::Draw &draw)
    {
        Run &run = Pick(draw);
        int count = int(1 + draw.Below(30));
        int sender = SenderThreads + 1 + int(++peers_);
        std::string address = "http://example.org/peer" + std::to_string(peers_) + "/";
        for (int i = 0; i < count; ++i) {
            std::string text = address + "0?n=" + std::to_string(i);
            if (i % 7 == 1)
                continue; // no data
            if (i % 7 == 3)
                text = std::string(HELPVIEW_MAX_ADDRESS, 'u'); // 4096 bytes without an end
            ExpectShown(run, sender, Widened(text));
        }
        HWND window = run.window;
        // On a sender thread, so that the peer's start overlaps other work.
        workers_[draw.Below(SenderThreads)]->Add([this, window, count, address] {
            unsigned unanswered =
                hvtest::SendFromPrograms(hvtest::ExeFolder() + "helpview_copydata_peer.exe", window, 1, count, address);
            if (unanswered)
                Report(std::to_string(unanswered) + " of the peer's " + std::to_string(count) +
                       " commands got no answer of 1");
        });
        return "the peer sends " + std::to_string(count) + " commands";
    }

    // ---- Window and control ------------------------------------------------------------------------

    std::string FireEvent(sequence::Draw &draw)
    {
        Run &run = Pick(draw);
        bool title = draw.OneIn(2);
        static const wchar_t *const texts[] = {L"Index", L"", L"Caf\u00E9 \u20AC", L"\u0416\u0443\u043A",
                                               L"A long title that goes on and on past what fits the caption"};
        std::wstring text = draw.Pick(texts) + std::to_wstring(draw.Below(100));
        if (title)
            run.caption = L"Help - " + text;
        else
            run.statusText = L" " + text;
        HWND view = run.view;
        HWND window = run.window;
        EventWorker().Add([this, window, view, title, text] {
            if (testbrowser::Fire(view, title ? testbrowser::TitleChange : testbrowser::StatusTextChange, text) != 1)
                Report("the control's event reached no sink", "events");
        });
        return std::string(title ? "title " : "status ") + Narrow(text);
    }

    std::string PressButton(sequence::Draw &draw)
    {
        Run &run = Pick(draw);
        bool back = draw.OneIn(2);
        ++(back ? run.backs : run.forwards);
        int id = back ? 1 : 3;
        Expect(PostMessageA(run.holder, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), LPARAM(GetDlgItem(run.holder, id))) !=
                   FALSE,
               "buttons", "the press could not be posted (error " + std::to_string(GetLastError()) + ")");
        return back ? "back button" : "forward button";
    }

    std::string Place(sequence::Draw &draw)
    {
        Run &run = Pick(draw);
        if (run.shape != Shape::Normal)
            return Reshape(run, SW_RESTORE);
        RECT &r = run.normal;
        int width = r.right - r.left, height = r.bottom - r.top;
        bool size = draw.OneIn(2);
        if (size) {
            width = int(draw.Between(hvtest::MinimumWidth, std::min<LONG>(800, screen_.cx)));
            height = int(draw.Between(hvtest::MinimumHeight, std::min<LONG>(600, screen_.cy)));
        }
        int left = int(draw.Below(uint32_t(std::max<LONG>(screen_.cx - width, 1))));
        int top = int(draw.Below(uint32_t(std::max<LONG>(screen_.cy - height, 1))));
        if (size && draw.OneIn(2)) {
            left = r.left; // resized where it stands, when that fits
            top = r.top;
            if (left + width > screen_.cx || top + height > screen_.cy)
                left = top = 0;
        }
        r = RECT{left, top, left + width, top + height};
        SetWindowPos(run.window, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE | SWP_ASYNCWINDOWPOS);
        return (size ? "size and move to " : "move to ") + RectText(r);
    }

    // What the skin's caption buttons do, and the restore of the task bar.
    std::string ChangeShape(sequence::Draw &draw)
    {
        Run &run = Pick(draw);
        static const int commands[] = {SW_MINIMIZE, SW_MAXIMIZE, SW_RESTORE};
        return Reshape(run, draw.Pick(commands));
    }

    std::string Reshape(Run &run, int command)
    {
        switch (command) {
        case SW_MINIMIZE:
            if (run.shape != Shape::Minimised)
                run.maximisedBeforeMinimised = run.shape == Shape::Maximised;
            run.shape = Shape::Minimised;
            break;
        case SW_MAXIMIZE:
            run.shape = Shape::Maximised;
            break;
        default:
            // A minimised window goes back to what it was before.
            run.shape = run.shape == Shape::Minimised && run.maximisedBeforeMinimised ? Shape::Maximised : Shape::Normal;
            break;
        }
        ShowWindowAsync(run.window, command);
        return command == SW_MINIMIZE ? "minimise" : command == SW_MAXIMIZE ? "maximise" : "restore";
    }

    // ---- The control's record ---------------------------------------------------------------------------

    Run *RunOf(DWORD process)
    {
        for (const std::unique_ptr<Run> &run : runs_)
            if (run->process == process)
                return run.get();
        return nullptr;
    }

    // The record grows at its end; it stays open and is read on from where
    // the last reading stopped.
    void ReadRecord()
    {
        if (record_ == INVALID_HANDLE_VALUE)
            record_ = CreateFileW(log_.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (record_ == INVALID_HANDLE_VALUE)
            return;
        char buffer[65536];
        DWORD read = 0;
        while (ReadFile(record_, buffer, sizeof buffer, &read, nullptr) && read)
            pending_.append(buffer, read);
        size_t start = 0;
        for (size_t end; (end = pending_.find("\r\n", start)) != std::string::npos; start = end + 2)
            Recorded(pending_.substr(start, end - start));
        pending_.erase(0, start);
    }

    void Recorded(const std::string &line)
    {
        std::vector<std::wstring> fields;
        for (size_t from = 0;;) {
            size_t tab = line.find('\t', from);
            fields.push_back(testbrowser::detail::Unescape(line.substr(from, tab - from)));
            if (tab == std::string::npos)
                break;
            from = tab + 1;
        }
        if (fields.size() < 3)
            return;
        Run *run = RunOf(DWORD(wcstoul(fields[0].c_str(), nullptr, 10)));
        if (!run)
            return; // a viewer of another test program sharing the prefix
        std::string method = Narrow(fields[2]);
        std::vector<std::wstring> args(fields.begin() + 3, fields.end());
        if (method == "NavigateContext") {
            Expect(args.size() == 1 && args[0] == L"own message", "navigation",
                   "the control was driven from inside a sender's message");
        } else if (method == "Navigate") {
            Navigated(*run, args);
        } else if (method == "GoBack") {
            Expect(++run->seenBacks <= run->backs, "buttons", "more GoBack calls than back presses");
        } else if (method == "GoForward") {
            Expect(++run->seenForwards <= run->forwards, "buttons", "more GoForward calls than forward presses");
        } else if (method == "Destroyed") {
            ++run->destroyed;
        }
    }

    void Navigated(Run &run, const std::vector<std::wstring> &args)
    {
        Expect(args.size() == 5 && args[0].compare(0, 5, L"bstr:") == 0, "navigation", "not an address and four "
                                                                                          "optional arguments");
        for (size_t i = 1; i < args.size(); ++i)
            Expect(args[i] == L"missing", "navigation", "optional argument " + std::to_string(i) + " is not missing");
        std::wstring url = args[0].substr(5);
        run.lastShownText = url;
        if (run.navigations++ == 0) {
            Expect(url == run.startAddress, "start address",
                   "the first page is " + Narrow(url) + ", not " + Narrow(run.startAddress));
            return;
        }
        auto found = run.waiting.find(url);
        Expect(found != run.waiting.end() && !found->second.empty(), "navigation",
               "the control was given an address not sent (or sent once and shown twice): " + Narrow(url));
        size_t index = found->second.front();
        found->second.pop_front();
        if (found->second.empty())
            run.waiting.erase(found);
        const Expected &shown = run.expected[index];
        if (!shown.unique)
            return;
        auto last = run.lastShown.find(shown.sender);
        Expect(last == run.lastShown.end() || last->second < shown.order, "order",
               "sender " + std::to_string(shown.sender) + "'s command " + std::to_string(shown.order) +
                   " was shown after its command " + std::to_string(last == run.lastShown.end() ? 0 : last->second));
        run.lastShown[shown.sender] = shown.order;
    }

    // ---- Settling -------------------------------------------------------------------------------------

    // Waits until a condition holds, reading the record meanwhile.
    bool WaitFor(const std::function<bool()> &holds, DWORD milliseconds = 10000)
    {
        DWORD start = GetTickCount();
        for (;;) {
            ReadRecord();
            if (holds())
                return true;
            if (GetTickCount() - start > milliseconds)
                return false;
            Sleep(5);
        }
    }

    // Every sender done, and one more address from here: once the control
    // shows it, the viewer has caught up with everything sent before.
    void CatchUp(Run &run)
    {
        std::string address = "http://example.org/" + std::to_string(++serial_) + "/settled";
        ExpectShown(run, NoSender, Widened(address));
        Expect(hvtest::SendCommand(run.window, HELPVIEW_NAVIGATE, address) == 1, "answer",
               "the settling command was not answered 1");
        Expect(WaitFor([&] { return run.lastShownText == Widened(address); }), "latest shown",
               "the last address sent was not shown; the last shown is " + Narrow(run.lastShownText));
        // Everything sent before it has had its chance: none of it may be
        // shown from now on.
        run.waiting.clear();
    }

    static std::wstring TextOf(HWND window)
    {
        wchar_t text[512] = {};
        GetWindowTextW(window, text, 512);
        return text;
    }

    std::string Settle()
    {
        DrainWorkers();
        for (const std::unique_ptr<Run> &owned : runs_) {
            Run &run = *owned;
            WaitForWindowChanges(run);
            CatchUp(run);
            Expect(WaitFor([&] { return run.seenBacks == run.backs && run.seenForwards == run.forwards; }),
                   "buttons",
                   std::to_string(run.seenBacks) + " of " + std::to_string(run.backs) + " back and " +
                       std::to_string(run.seenForwards) + " of " + std::to_string(run.forwards) +
                       " forward presses reached the control");
            Expect(TextOf(run.window) == run.caption, "caption",
                   "\"" + Narrow(TextOf(run.window)) + "\", not \"" + Narrow(run.caption) + "\"");
            if (!run.statusText.empty())
                Expect(TextOf(run.status) == run.statusText, "status line",
                       "\"" + Narrow(TextOf(run.status)) + "\", not \"" + Narrow(run.statusText) + "\"");
            ExpectShape(run);
        }
        return "settle";
    }

    void ExpectShape(Run &run)
    {
        bool iconic = IsIconic(run.window) != FALSE, zoomed = IsZoomed(run.window) != FALSE;
        static const char *const shapes[] = {"normal", "minimised", "maximised"};
        const char *seen = shapes[iconic ? 1 : zoomed ? 2 : 0];
        Expect(iconic == (run.shape == Shape::Minimised) && zoomed == (run.shape == Shape::Maximised),
               "window shape",
               "viewer " + std::to_string(run.number) + " is " + seen + ", not " + shapes[int(run.shape)]);
        if (run.shape == Shape::Normal) {
            RECT rect{};
            GetWindowRect(run.window, &rect);
            Expect(EqualRect(&rect, &run.normal) != FALSE, "window place",
                   "at " + RectText(rect) + ", not " + RectText(run.normal));
        }
    }

    // ---- Starting and closing ------------------------------------------------------------------------------

    std::string Start(sequence::Draw &draw)
    {
        // A host hands its page to the running viewer (the reference's
        // ShowHelp); starting a viewer beside one that runs is rarer, and
        // two are the most.
        if (runs_.size() >= 2 || (!runs_.empty() && draw.OneIn(2))) {
            Run &run = Pick(draw);
            std::string address = "http://example.org/" + std::to_string(++serial_) + "/handed";
            ExpectShown(run, NoSender, Widened(address));
            Expect(HelpViewSendTo(run.window, HELPVIEW_NAVIGATE, address.c_str(), DWORD(address.size())) ==
                       HELPVIEW_SENT,
                   "answer", "the running viewer did not take the page");
            return "a host hands its page to the running viewer";
        }
        auto run = std::make_unique<Run>();
        run->number = ++starts_;
        std::string arguments, what;
        switch (draw.Below(3)) {
        case 0:
            run->startAddress = Widened("file://" + files_.base + ".htm");
            what = "its own page";
            break;
        case 1:
            arguments = "\"" + page_ + "\"";
            run->startAddress = Widened("file://" + page_);
            what = "a page";
            break;
        default:
            arguments = "http://example.org/" + std::to_string(++serial_) + "/start";
            run->startAddress = Widened(arguments);
            what = "an address";
            break;
        }
        // Where it should open: where the last viewer was closed, or centred.
        RECT opens{};
        std::string why;
        if (!Exists(PlacementPath())) {
            int left = std::max<int>((screen_.cx - 600) / 2, 0), top = std::max<int>((screen_.cy - 450) / 2, 0);
            opens = RECT{left, top, left + 600, top + 450};
        } else {
            Expect(ReadPlacement(opens, why), "placement file", why);
        }
        run->viewer = std::make_unique<hvtest::Viewer>(files_, arguments);
        run->window = run->viewer->Window();
        Expect(run->window != nullptr, "start", run->viewer->Problem());
        run->process = run->viewer->Id();
        run->holder = FindWindowExA(run->window, nullptr, "THCLIP", nullptr);
        run->status = FindWindowExA(run->holder, nullptr, "Static", nullptr);
        run->view = testbrowser::FindView(run->window);
        Expect(run->holder && run->status && run->view, "start", "the child area, status line or control is missing");
        run->normal = opens;
        Run &started = *run;
        runs_.push_back(std::move(run));
        RECT rect{};
        GetWindowRect(started.window, &rect);
        Expect(EqualRect(&rect, &opens) != FALSE, "start place", "opened at " + RectText(rect) + ", not " + RectText(opens));
        return "start viewer " + std::to_string(starts_) + " with " + what +
               (runs_.size() > 1 ? ", beside the running one" : "");
    }

    std::string Stop(sequence::Draw &draw)
    {
        size_t index = draw.Below(uint32_t(runs_.size()));
        picked_ = runs_[index]->number;
        return Close(runs_[index], draw.Below(5));
    }

    // Closes the viewer by one of its ways; the placement saved is where the
    // window was, restored.
    std::string Close(std::unique_ptr<Run> &owned, uint32_t way)
    {
        DrainWorkers();
        Run &run = *owned;
        WaitForWindowChanges(run);
        ReadRecord();
        std::string how;
        switch (way) {
        case 0:
            Expect(hvtest::SendCommand(run.window, HELPVIEW_CLOSE, "") == 1, "answer",
                   "the close command was not answered 1");
            how = "close command";
            break;
        case 1:
            PostMessageA(run.window, WM_CLOSE, 0, 0);
            how = "WM_CLOSE";
            break;
        case 2:
            PostMessageA(run.window, WM_SYSCOMMAND, SC_CLOSE | (serial_ & 0xF), 0);
            how = "SC_CLOSE";
            break;
        case 3:
            PostMessageA(run.window, WM_COMMAND, MAKEWPARAM(THCMD_CLOSE, 0), 0);
            how = "the skin's close button";
            break;
        default:
            Expect(HelpViewSendTo(run.window, HELPVIEW_CLOSE, nullptr, 0) == HELPVIEW_SENT, "answer",
                   "HelpViewSendTo's close was not taken");
            how = "HelpViewSendTo close";
            break;
        }
        DWORD code = run.viewer->WaitForExit();
        Expect(code == 0, "close", how + ": the viewer ended with " + std::to_string(code));
        ReadRecord();
        Expect(run.destroyed == 1, "close", "the control was ended " + std::to_string(run.destroyed) + " times");
        RECT saved{};
        std::string why;
        Expect(ReadPlacement(saved, why), "placement file", why);
        Expect(EqualRect(&saved, &run.normal) != FALSE, "placement saved",
               how + ": saved " + RectText(saved) + ", the window was at " + RectText(run.normal) +
                   (run.shape == Shape::Minimised ? " (minimised" : run.shape == Shape::Maximised ? " (maximised" : " (") +
                   (run.maximisedBeforeMinimised && run.shape == Shape::Minimised ? " from maximised)" : ")"));
        ended_.push_back(run.process);
        Expect(!IsWindow(run.window), "nothing left", "the window outlives its viewer");
        std::string shape = run.shape == Shape::Minimised ? " minimised" : run.shape == Shape::Maximised ? " maximised" : "";
        runs_.erase(runs_.begin() + (&owned - runs_.data()));
        return "close" + shape + " by " + how;
    }

    testbrowser::Library controls_;
    bool registered_ = false;
    std::wstring log_;
    HANDLE record_ = INVALID_HANDLE_VALUE;
    std::string pending_;
    hvtest::ViewerFiles files_;
    std::string page_;
    SIZE screen_{};
    std::vector<std::unique_ptr<Worker>> workers_;
    std::vector<std::unique_ptr<Run>> runs_;
    std::vector<DWORD> ended_;
    unsigned serial_ = 0;
    unsigned peers_ = 0;
    unsigned starts_ = 0;
    unsigned picked_ = 0; // the viewer the step went to
    std::mutex problemLock_;
    std::string problem_;
    const char *problemCheck_ = "answer";
};

const sequence::Module kModule{
    "helpview",
    [] { return std::make_unique<ViewerSequence>(); },
    {1},
    400,
    120,
    {
        "1:0,41,79  closed minimised from maximised, the viewer saved the maximised window as its placement",
    },
};

} // namespace

int main(int argc, char **argv)
{
    return sequence::Main(argc, argv, kModule);
}
