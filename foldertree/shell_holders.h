// Small owners for what the shell hands out, so that no early return leaks a
// reference: a COM interface pointer, task memory, and the wait cursor.
#pragma once
#include <windows.h>
#include <objbase.h>

#include <memory>

namespace foldertree {

template <typename T>
class ComRef {
public:
    ComRef() = default;
    ~ComRef() { Reset(); }
    ComRef(const ComRef &) = delete;
    ComRef &operator=(const ComRef &) = delete;

    // Takes over a reference the caller already holds.
    void Attach(T *pointer)
    {
        Reset();
        pointer_ = pointer;
    }
    // Takes a reference of its own.
    void Share(T *pointer)
    {
        if (pointer)
            pointer->AddRef();
        Attach(pointer);
    }
    void Reset()
    {
        if (pointer_)
            pointer_->Release();
        pointer_ = nullptr;
    }
    T *Detach()
    {
        T *pointer = pointer_;
        pointer_ = nullptr;
        return pointer;
    }
    T **Out()
    {
        Reset();
        return &pointer_;
    }
    T *Get() const { return pointer_; }
    T *operator->() const { return pointer_; }
    explicit operator bool() const { return pointer_ != nullptr; }

private:
    T *pointer_ = nullptr;
};

struct TaskMemoryFree {
    void operator()(void *memory) const { CoTaskMemFree(memory); }
};

template <typename T>
using TaskMemory = std::unique_ptr<T, TaskMemoryFree>;

// Shows the wait cursor for the length of a scope.
class WaitCursor {
public:
    WaitCursor() : previous_(SetCursor(LoadCursorA(nullptr, IDC_WAIT))) {}
    ~WaitCursor() { SetCursor(previous_); }
    WaitCursor(const WaitCursor &) = delete;
    WaitCursor &operator=(const WaitCursor &) = delete;

private:
    HCURSOR previous_;
};

// Holds a window's redrawing off for the length of a scope, then repaints it.
class RedrawOff {
public:
    explicit RedrawOff(HWND window) : window_(window) { SendMessageA(window_, WM_SETREDRAW, FALSE, 0); }
    ~RedrawOff()
    {
        SendMessageA(window_, WM_SETREDRAW, TRUE, 0);
        InvalidateRect(window_, nullptr, TRUE);
    }
    RedrawOff(const RedrawOff &) = delete;
    RedrawOff &operator=(const RedrawOff &) = delete;

private:
    HWND window_;
};

} // namespace foldertree
