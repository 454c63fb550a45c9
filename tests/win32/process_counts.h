// What a process holds, counted from inside it: thread-local slots, open
// handles, heap memory in use, GDI objects, windows. Wine answers
// GetProcessHandleCount and GetGuiResources with 0, so these count by
// probing: every slot that can still be taken, every handle value the system
// accepts, every busy block of every heap. Shared by the endurance tests and
// benchmarks.
#pragma once
#include <windows.h>

#include "machine_guard.h"

#include <vector>

namespace processcounts {

// Thread-local slots still free (64 plain ones and the expansion slots).
inline unsigned FreeTlsSlots()
{
    std::vector<DWORD> taken;
    for (;;) {
        DWORD slot = TlsAlloc();
        if (slot == TLS_OUT_OF_INDEXES)
            break;
        taken.push_back(slot);
    }
    for (DWORD slot : taken)
        TlsFree(slot);
    return unsigned(taken.size());
}

// Handles open in this process: the values below 2^18 that name one.
inline unsigned OpenHandles()
{
    unsigned count = 0;
    for (ULONG_PTR value = 4; value < (1u << 18); value += 4) {
        DWORD flags;
        if (GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags))
            ++count;
    }
    return count;
}

// Calls visit(entry) for each busy block of the process's heaps: the
// process heap, the C runtime's (its own on some systems) and any a library
// made.
template <typename Visit> void ForEachBusyBlock(Visit visit)
{
    std::vector<HANDLE> heaps(256);
    DWORD count = GetProcessHeaps(DWORD(heaps.size()), heaps.data());
    heaps.resize(count < heaps.size() ? count : heaps.size());
    for (HANDLE heap : heaps) {
        if (!HeapLock(heap))
            continue;
        PROCESS_HEAP_ENTRY entry{};
        while (HeapWalk(heap, &entry))
            if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY)
                visit(entry);
        HeapUnlock(heap);
    }
}

// Bytes in busy blocks of all the process's heaps.
inline size_t HeapBytesInUse()
{
    size_t total = 0;
    ForEachBusyBlock([&](const PROCESS_HEAP_ENTRY &entry) { total += entry.cbData; });
    return total;
}

// Busy blocks of exactly size bytes: the records of one kind that a module
// allocates.
inline unsigned HeapBlocksOfSize(size_t size)
{
    unsigned count = 0;
    ForEachBusyBlock([&](const PROCESS_HEAP_ENTRY &entry) { count += entry.cbData == size; });
    return count;
}

// Handles of disk files open in this process (media, outputs, copies).
inline unsigned OpenDiskFiles()
{
    unsigned count = 0;
    for (ULONG_PTR value = 4; value < (1u << 18); value += 4) {
        DWORD flags;
        HANDLE handle = reinterpret_cast<HANDLE>(value);
        if (GetHandleInformation(handle, &flags) && GetFileType(handle) == FILE_TYPE_DISK)
            ++count;
    }
    return count;
}

// Live GDI objects. Wine's handle table answers to an object's index alone;
// Windows wants the whole handle, and counts the process's objects itself.
inline unsigned LiveGdiObjects()
{
    if (!machineguard::UnderWine())
        return unsigned(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS));
    unsigned count = 0;
    for (ULONG_PTR index = 1; index < 0x10000; ++index)
        if (GetObjectType(reinterpret_cast<HGDIOBJ>(index)))
            ++count;
    return count;
}

// Windows of this process, children included.
inline unsigned ProcessWindows()
{
    struct Tally {
        unsigned count = 0;
        static BOOL CALLBACK Child(HWND, LPARAM context)
        {
            ++reinterpret_cast<Tally *>(context)->count;
            return TRUE;
        }
        static BOOL CALLBACK TopLevel(HWND window, LPARAM context)
        {
            DWORD process = 0;
            GetWindowThreadProcessId(window, &process);
            if (process == GetCurrentProcessId()) {
                ++reinterpret_cast<Tally *>(context)->count;
                EnumChildWindows(window, Child, context);
            }
            return TRUE;
        }
    } tally;
    EnumWindows(Tally::TopLevel, reinterpret_cast<LPARAM>(&tally));
    return tally.count;
}

struct Counts {
    unsigned freeSlots;
    unsigned handles;
    size_t heapBytes;
    unsigned gdiObjects;
    unsigned windows;
    unsigned openFiles;
};

inline Counts Now()
{
    return Counts{FreeTlsSlots(), OpenHandles(), HeapBytesInUse(), LiveGdiObjects(), ProcessWindows(), OpenDiskFiles()};
}

// On Windows the system's own threads hold a handle, a window or a GDI
// object of the process for a moment (a thread-pool worker, a thread's
// input-method window), and a count read just then is too high. What a
// module leaks stays; such a moment passes. So a reading that is not yet
// back is taken again, for up to two seconds; the last one is returned.
template <typename Read, typename Back> auto ReadUntilBack(Read read, Back back)
{
    auto value = read();
    for (DWORD start = GetTickCount(); !back(value) && GetTickCount() - start < 2000; value = read())
        Sleep(50);
    return value;
}

// A count, read until it is back to what is expected.
template <typename Read, typename Value> Value Settled(Read read, Value expected)
{
    return ReadUntilBack(read, [&](Value value) { return value <= expected; });
}

// The counts, read until all of them (the heap's bytes aside, which have
// their slack) are back to where they were before.
inline Counts SettledNow(const Counts &before)
{
    return ReadUntilBack(Now, [&](const Counts &now) {
        return now.freeSlots >= before.freeSlots && now.handles <= before.handles &&
               now.gdiObjects <= before.gdiObjects && now.windows <= before.windows &&
               now.openFiles <= before.openFiles;
    });
}

// Handles open in another process (opened with PROCESS_DUP_HANDLE): the
// values below 2^18 that can be copied out of it.
inline unsigned OpenHandlesOf(HANDLE process)
{
    unsigned count = 0;
    for (ULONG_PTR value = 4; value < (1u << 18); value += 4) {
        HANDLE copy = nullptr;
        if (DuplicateHandle(process, reinterpret_cast<HANDLE>(value), GetCurrentProcess(), &copy, 0, FALSE,
                            DUPLICATE_SAME_ACCESS)) {
            CloseHandle(copy);
            ++count;
        }
    }
    return count;
}

// Committed private memory of a process (opened with
// PROCESS_QUERY_INFORMATION): heaps, stacks and the like, not its images.
inline size_t CommittedPrivateBytes(HANDLE process)
{
    size_t total = 0;
    MEMORY_BASIC_INFORMATION region{};
    for (char *address = nullptr;
         VirtualQueryEx(process, address, &region, sizeof(region)) == sizeof(region);
         address = static_cast<char *>(region.BaseAddress) + region.RegionSize) {
        if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE)
            total += region.RegionSize;
        if (region.RegionSize == 0)
            break;
    }
    return total;
}

} // namespace processcounts
