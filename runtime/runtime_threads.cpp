// The thread primitives that the static C and C++ runtime of a module calls:
// once-only initialisation, thread-local keys and mutexes.
//
// The toolchain's threads library provides them too, but linked statically
// into a DLL it keeps what it takes: its thread-local slot, an event and a
// thread handle for every thread that touches it, its locks and its key
// table stay behind when the DLL is freed. The 32-bit unwinder touches it at
// every load, so a process that loads and frees a module a few hundred times
// runs out of slots and the next load fails. These versions keep everything
// in the module's own hands and give it back:
//   - one slot, taken when a thread first stores a value;
//   - a thread's values, ended (their destructors run) when the thread ends;
//   - every lock, the lazily made ones of static initialisers included;
//   - and, when the module is freed (not at process exit), all of it at once,
//     with the C++ runtime's reserve for exceptions.
// Defining them here keeps the library's versions out of the link: a second
// definition would be a link error, never a silent mix of the two.
#include <windows.h>
#include <errno.h>
#include <pthread.h>
#include <stdlib.h>

namespace __gnu_cxx {
void __freeres() noexcept;  // the C++ runtime's own release of its reserve
}

namespace {

// ---------------------------------------------------------------------------
// One lock over the lists below. It spins because it must work before the
// runtime is initialised and after it is taken down; it is only ever held for
// a few list operations.
volatile LONG ListLock = 0;

class ListHold {
public:
    ListHold()
    {
        while (InterlockedCompareExchange(&ListLock, 1, 0) != 0)
            Sleep(0);
    }
    ~ListHold() { InterlockedExchange(&ListLock, 0); }
    ListHold(const ListHold &) = delete;
    ListHold &operator=(const ListHold &) = delete;
};

void *ZeroedBlock(SIZE_T bytes)
{
    return HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, bytes);
}

void FreeBlock(void *block)
{
    if (block)
        HeapFree(GetProcessHeap(), 0, block);
}

// The two lists below (thread values, locks) are linked both ways through
// their records' previous and next; both helpers run under ListHold.
template <class Record> void LinkFirst(Record *&head, Record *record)
{
    record->previous = nullptr;
    record->next = head;
    if (head)
        head->previous = record;
    head = record;
}

template <class Record> void Unlink(Record *&head, Record *record)
{
    if (record->previous)
        record->previous->next = record->next;
    else
        head = record->next;
    if (record->next)
        record->next->previous = record->previous;
}

// Set once everything has been given back; nothing is taken after it.
volatile LONG Released = 0;

// ---------------------------------------------------------------------------
// Thread-local keys: a fixed table (the runtime uses one or two), and for each
// thread that stores a value a block of values, found through one slot.
constexpr unsigned KeyCount = 64;
using Destructor = void (*)(void *);

struct KeyEntry {
    bool used;
    Destructor destructor;
};

struct ThreadValues {
    ThreadValues *previous;
    ThreadValues *next;
    void *values[KeyCount];
};

KeyEntry Keys[KeyCount];
ThreadValues *ValueBlocks = nullptr;
DWORD ValueSlot = TLS_OUT_OF_INDEXES;

// The calling thread's block, or null. TlsGetValue clears the last error on
// success, and callers of the runtime do not expect that.
ThreadValues *CurrentValues()
{
    if (ValueSlot == TLS_OUT_OF_INDEXES)
        return nullptr;
    DWORD error = GetLastError();
    auto *values = static_cast<ThreadValues *>(TlsGetValue(ValueSlot));
    SetLastError(error);
    return values;
}

// Runs the destructors of a block's values, in rounds as long as a destructor
// stores new ones, at most four (as many as the thread standard asks for).
void EndValues(ThreadValues *values)
{
    for (int round = 0; round < 4; ++round) {
        bool ran = false;
        for (unsigned key = 0; key < KeyCount; ++key) {
            void *value = values->values[key];
            Destructor destructor = Keys[key].used ? Keys[key].destructor : nullptr;
            if (!value || !destructor)
                continue;
            values->values[key] = nullptr;
            destructor(value);
            ran = true;
        }
        if (!ran)
            break;
    }
}

// A thread ends: its values end with it.
void EndCurrentThread()
{
    ThreadValues *values = CurrentValues();
    if (!values)
        return;
    EndValues(values);
    {
        ListHold hold;
        Unlink(ValueBlocks, values);
    }
    TlsSetValue(ValueSlot, nullptr);
    FreeBlock(values);
}

// ---------------------------------------------------------------------------
// Mutexes: a pthread_mutex_t holds either one of the static initialisers or
// the address of a Lock. Static ones get their Lock on first use; every Lock
// is listed so that the ones never destroyed are still freed at unload.
struct Lock {
    Lock *previous;
    Lock *next;
    CRITICAL_SECTION section;
    int type;
    DWORD owner;
    unsigned depth;
};

Lock *Locks = nullptr;

Lock *NewLock(int type)
{
    auto *lock = static_cast<Lock *>(ZeroedBlock(sizeof(Lock)));
    if (!lock)
        return nullptr;
    InitializeCriticalSection(&lock->section);
    lock->type = type;
    ListHold hold;
    LinkFirst(Locks, lock);
    return lock;
}

void FreeLock(Lock *lock)
{
    {
        ListHold hold;
        Unlink(Locks, lock);
    }
    DeleteCriticalSection(&lock->section);
    FreeBlock(lock);
}

int TypeOfInitialiser(intptr_t value)
{
    switch (value) {
    case GENERIC_INITIALIZER:
        return PTHREAD_MUTEX_NORMAL;
    case GENERIC_ERRORCHECK_INITIALIZER:
        return PTHREAD_MUTEX_ERRORCHECK;
    case GENERIC_RECURSIVE_INITIALIZER:
        return PTHREAD_MUTEX_RECURSIVE;
    default:
        return -1;
    }
}

// The Lock of a mutex, made now for a static initialiser; null for a mutex
// that was destroyed or never initialised.
Lock *LockOf(pthread_mutex_t *mutex)
{
    if (!mutex)
        return nullptr;
    intptr_t value = *reinterpret_cast<volatile intptr_t *>(mutex);
    int type = TypeOfInitialiser(value);
    if (type < 0)
        return reinterpret_cast<Lock *>(value);
    Lock *made = NewLock(type);
    if (!made)
        return nullptr;
    PVOID seen = InterlockedCompareExchangePointer(
        reinterpret_cast<PVOID volatile *>(mutex), made, reinterpret_cast<PVOID>(value));
    if (seen != reinterpret_cast<PVOID>(value)) {
        FreeLock(made);  // another thread made it first
        return static_cast<Lock *>(seen);
    }
    return made;
}

// Process exit (rather than FreeLibrary): other threads may have been stopped
// anywhere, and the memory goes with the process anyway.
bool ProcessEnding()
{
    using Query = BOOLEAN(NTAPI *)();
    auto query = reinterpret_cast<Query>(reinterpret_cast<void *>(
        GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "RtlDllShutdownInProgress")));
    return query && query();
}

// Gives everything back. Registered first, it runs last, after the module's
// static objects have been destroyed, when no code of the module runs again.
void ReleaseAtUnload()
{
    if (ProcessEnding())
        return;
    ThreadValues *values;
    Lock *locks;
    {
        ListHold hold;
        values = ValueBlocks;
        ValueBlocks = nullptr;
        locks = Locks;
        Locks = nullptr;
        InterlockedExchange(&Released, 1);
    }
    // The values of threads that are still running end here: the code that
    // would have ended them leaves with the module.
    while (values) {
        ThreadValues *next = values->next;
        EndValues(values);
        FreeBlock(values);
        values = next;
    }
    while (locks) {
        Lock *next = locks->next;
        DeleteCriticalSection(&locks->section);
        FreeBlock(locks);
        locks = next;
    }
    if (ValueSlot != TLS_OUT_OF_INDEXES) {
        TlsFree(ValueSlot);
        ValueSlot = TLS_OUT_OF_INDEXES;
    }
    __gnu_cxx::__freeres();
}

__attribute__((constructor(101))) void RegisterRelease()
{
    atexit(ReleaseAtUnload);
}

void NTAPI ThreadEvent(PVOID, DWORD reason, PVOID)
{
    if (reason == DLL_THREAD_DETACH && !Released)
        EndCurrentThread();
}

}  // namespace

// The loader calls every routine of this section for each thread that ends.
extern "C" {
__attribute__((section(".CRT$XLM"), used)) PIMAGE_TLS_CALLBACK ModuleThreadCallback = ThreadEvent;
}

// ---------------------------------------------------------------------------
extern "C" {

int pthread_once(pthread_once_t *once, void (*routine)(void))
{
    if (!once || !routine)
        return EINVAL;
    // 0: not run, 2: running on some thread, 1: done.
    for (;;) {
        LONG state = InterlockedCompareExchange(once, 2, 0);
        if (state == 1)
            return 0;
        if (state == 0) {
            routine();
            InterlockedExchange(once, 1);
            return 0;
        }
        Sleep(0);
    }
}

int pthread_key_create(pthread_key_t *key, void (*destructor)(void *))
{
    if (!key)
        return EINVAL;
    ListHold hold;
    if (Released)
        return EAGAIN;
    for (unsigned index = 0; index < KeyCount; ++index) {
        if (Keys[index].used)
            continue;
        Keys[index].used = true;
        Keys[index].destructor = destructor;
        for (ThreadValues *values = ValueBlocks; values; values = values->next)
            values->values[index] = nullptr;
        *key = index;
        return 0;
    }
    return EAGAIN;
}

int pthread_key_delete(pthread_key_t key)
{
    ListHold hold;
    if (key >= KeyCount || !Keys[key].used)
        return EINVAL;
    Keys[key].used = false;
    Keys[key].destructor = nullptr;
    for (ThreadValues *values = ValueBlocks; values; values = values->next)
        values->values[key] = nullptr;
    return 0;
}

void *pthread_getspecific(pthread_key_t key)
{
    if (key >= KeyCount)
        return nullptr;
    ThreadValues *values = CurrentValues();
    return values ? values->values[key] : nullptr;
}

int pthread_setspecific(pthread_key_t key, const void *value)
{
    if (key >= KeyCount || !Keys[key].used)
        return EINVAL;
    ThreadValues *values = CurrentValues();
    if (!values) {
        if (!value)
            return 0;
        values = static_cast<ThreadValues *>(ZeroedBlock(sizeof(ThreadValues)));
        if (!values)
            return ENOMEM;
        DWORD error = GetLastError();
        {
            ListHold hold;
            if (!Released && ValueSlot == TLS_OUT_OF_INDEXES)
                ValueSlot = TlsAlloc();
            if (Released || ValueSlot == TLS_OUT_OF_INDEXES || !TlsSetValue(ValueSlot, values)) {
                FreeBlock(values);
                SetLastError(error);
                return ENOMEM;
            }
            LinkFirst(ValueBlocks, values);
        }
        SetLastError(error);
    }
    values->values[key] = const_cast<void *>(value);
    return 0;
}

int pthread_mutexattr_init(pthread_mutexattr_t *attributes)
{
    if (!attributes)
        return EINVAL;
    *attributes = PTHREAD_MUTEX_DEFAULT;
    return 0;
}

int pthread_mutexattr_destroy(pthread_mutexattr_t *attributes)
{
    return attributes ? 0 : EINVAL;
}

int pthread_mutexattr_settype(pthread_mutexattr_t *attributes, int type)
{
    if (!attributes || type < PTHREAD_MUTEX_NORMAL || type > PTHREAD_MUTEX_RECURSIVE)
        return EINVAL;
    *attributes = static_cast<pthread_mutexattr_t>(type);
    return 0;
}

int pthread_mutexattr_gettype(const pthread_mutexattr_t *attributes, int *type)
{
    if (!attributes || !type)
        return EINVAL;
    *type = static_cast<int>(*attributes);
    return 0;
}

int pthread_mutex_init(pthread_mutex_t *mutex, const pthread_mutexattr_t *attributes)
{
    if (!mutex)
        return EINVAL;
    Lock *lock = NewLock(attributes ? static_cast<int>(*attributes) : PTHREAD_MUTEX_DEFAULT);
    if (!lock)
        return ENOMEM;
    *mutex = reinterpret_cast<pthread_mutex_t>(lock);
    return 0;
}

int pthread_mutex_destroy(pthread_mutex_t *mutex)
{
    if (!mutex)
        return EINVAL;
    if (TypeOfInitialiser(*mutex) >= 0 || Released) {
        *mutex = 0;
        return 0;
    }
    Lock *lock = reinterpret_cast<Lock *>(*mutex);
    if (!lock)
        return EINVAL;
    if (lock->owner)
        return EBUSY;
    *mutex = 0;
    FreeLock(lock);
    return 0;
}

int pthread_mutex_lock(pthread_mutex_t *mutex)
{
    if (Released)
        return 0;  // the module is gone: nothing runs beside this any more
    Lock *lock = LockOf(mutex);
    if (!lock)
        return EINVAL;
    DWORD self = GetCurrentThreadId();
    if (lock->owner == self && lock->type != PTHREAD_MUTEX_RECURSIVE)
        return EDEADLK;
    EnterCriticalSection(&lock->section);
    lock->owner = self;
    ++lock->depth;
    return 0;
}

int pthread_mutex_trylock(pthread_mutex_t *mutex)
{
    if (Released)
        return 0;
    Lock *lock = LockOf(mutex);
    if (!lock)
        return EINVAL;
    DWORD self = GetCurrentThreadId();
    if (lock->owner == self && lock->type != PTHREAD_MUTEX_RECURSIVE)
        return EBUSY;
    if (!TryEnterCriticalSection(&lock->section))
        return EBUSY;
    lock->owner = self;
    ++lock->depth;
    return 0;
}

int pthread_mutex_unlock(pthread_mutex_t *mutex)
{
    if (Released)
        return 0;
    if (!mutex || TypeOfInitialiser(*mutex) >= 0)
        return EPERM;  // never locked
    Lock *lock = reinterpret_cast<Lock *>(*mutex);
    if (!lock)
        return EINVAL;
    if (lock->owner != GetCurrentThreadId())
        return EPERM;
    if (--lock->depth == 0)
        lock->owner = 0;
    LeaveCriticalSection(&lock->section);
    return 0;
}

// Condition variables. The runtime waits on one only while another thread
// initialises the same function-local static object, which is rare and
// short. A wait therefore gives the processor away once and returns, which
// the thread standard allows (a waiter always checks its condition again), and
// no kernel object is kept for it.
int pthread_cond_init(pthread_cond_t *condition, const pthread_condattr_t *)
{
    if (!condition)
        return EINVAL;
    *condition = 1;
    return 0;
}

int pthread_cond_destroy(pthread_cond_t *condition)
{
    if (!condition)
        return EINVAL;
    *condition = 0;
    return 0;
}

int pthread_cond_signal(pthread_cond_t *condition)
{
    return condition ? 0 : EINVAL;
}

int pthread_cond_broadcast(pthread_cond_t *condition)
{
    return condition ? 0 : EINVAL;
}

int pthread_cond_wait(pthread_cond_t *condition, pthread_mutex_t *mutex)
{
    if (!condition)
        return EINVAL;
    int result = pthread_mutex_unlock(mutex);
    if (result != 0)
        return result;
    Sleep(1);
    return pthread_mutex_lock(mutex);
}

}  // extern "C"
