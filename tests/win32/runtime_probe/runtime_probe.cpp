// runtime_probe.dll: a module that uses every thread service of the C++
// runtime that the shipped modules rely on, built as they are. The runtime
// test loads and frees it, and calls it from threads that end, to see that
// what the runtime takes comes back.
#include <windows.h>

#include <mutex>
#include <stdexcept>
#include <string>

namespace {

// A thread's own buffer, made on first use. (A thread-local object with a
// destructor would keep the module loaded until its thread ends, which the
// runtime does on purpose; the modules have none.)
thread_local char ThreadBuffer[512];

std::mutex CounterLock;
long Counter = 0;

} // namespace

extern "C" {

// An exception thrown and caught inside the module: 1.
int __stdcall PROBE_THROW(void)
{
    try {
        throw std::runtime_error(std::string(200, 'e'));
    } catch (const std::exception &error) {
        return error.what()[0] == 'e' ? 1 : 0;
    }
}

// Fills the calling thread's buffer: its size.
int __stdcall PROBE_THREADLOCAL(void)
{
    for (char &byte : ThreadBuffer)
        byte = 't';
    return int(sizeof(ThreadBuffer));
}

// A function-local static and a once-flag, both made once: 1.
int __stdcall PROBE_ONCE(void)
{
    static const std::string made(50, 'm');
    static std::once_flag flag;
    static int runs = 0;
    std::call_once(flag, [] { ++runs; });
    return made.size() == 50 && runs == 1 ? 1 : 0;
}

// Adds 1 to a counter, times times, each under the lock; the counter after.
long __stdcall PROBE_COUNTUNDERLOCK(long times)
{
    long last = 0;
    for (long i = 0; i < times; ++i) {
        std::lock_guard<std::mutex> hold(CounterLock);
        // A read, a pause and a write: without the lock, two threads lose
        // each other's additions.
        long seen = Counter;
        if ((i & 255) == 0)
            Sleep(0);
        Counter = seen + 1;
        last = Counter;
    }
    return last;
}

} // extern "C"
