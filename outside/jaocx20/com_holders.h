// Owners for what COM hands out, so that no early return leaks: interface
// references, BSTRs, VARIANTs, type attributes; and the conversions between
// the callers' 8-bit texts and COM's wide ones.
#pragma once
#include <windows.h>
#include <ole2.h>
#include <oleauto.h>

#include <string>

namespace jaocx20 {

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
        T *old = pointer_;
        pointer_ = pointer;
        if (old)
            old->Release();
    }
    // Takes a reference of its own.
    void Share(T *pointer)
    {
        if (pointer)
            pointer->AddRef();
        Attach(pointer);
    }
    // Clears the member before releasing: the release may call back into
    // whoever owns this holder.
    void Reset() { Attach(nullptr); }
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
    void **OutVoid() { return reinterpret_cast<void **>(Out()); }
    T *Get() const { return pointer_; }
    T *operator->() const { return pointer_; }
    explicit operator bool() const { return pointer_ != nullptr; }

    // Asks source for interface iid into this holder.
    template <typename S>
    HRESULT QueryFrom(S *source, REFIID iid)
    {
        Reset();
        return source ? source->QueryInterface(iid, OutVoid()) : E_POINTER;
    }

private:
    T *pointer_ = nullptr;
};

class Bstr {
public:
    Bstr() = default;
    explicit Bstr(const std::wstring &text) : value_(SysAllocStringLen(text.data(), UINT(text.size()))) {}
    ~Bstr() { SysFreeString(value_); }
    Bstr(const Bstr &) = delete;
    Bstr &operator=(const Bstr &) = delete;
    BSTR *Out()
    {
        SysFreeString(value_);
        value_ = nullptr;
        return &value_;
    }
    BSTR Get() const { return value_; }

private:
    BSTR value_ = nullptr;
};

class Variant {
public:
    Variant() { VariantInit(&value_); }
    ~Variant() { VariantClear(&value_); }
    Variant(const Variant &) = delete;
    Variant &operator=(const Variant &) = delete;
    VARIANT *Get() { return &value_; }

private:
    VARIANT value_;
};

// A type's attributes, given back to the type information that lent them.
class TypeAttributes {
public:
    explicit TypeAttributes(ITypeInfo *info) : info_(info)
    {
        if (info_ && FAILED(info_->GetTypeAttr(&attributes_)))
            attributes_ = nullptr;
    }
    ~TypeAttributes()
    {
        if (attributes_)
            info_->ReleaseTypeAttr(attributes_);
    }
    TypeAttributes(const TypeAttributes &) = delete;
    TypeAttributes &operator=(const TypeAttributes &) = delete;
    const TYPEATTR *operator->() const { return attributes_; }
    explicit operator bool() const { return attributes_ != nullptr; }

private:
    ITypeInfo *info_;
    TYPEATTR *attributes_ = nullptr;
};

// The callers' texts are in the system code page.
inline std::wstring Widen(const char *text)
{
    if (!text || !*text)
        return std::wstring();
    int length = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    if (length <= 1)
        return std::wstring();
    std::wstring wide(size_t(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text, -1, &wide[0], length);
    wide.resize(size_t(length) - 1);
    return wide;
}

inline std::string Narrow(const wchar_t *text, size_t length)
{
    if (!text || !length)
        return std::string();
    int bytes = WideCharToMultiByte(CP_ACP, 0, text, int(length), nullptr, 0, nullptr, nullptr);
    if (bytes <= 0)
        return std::string();
    std::string narrow(size_t(bytes), '\0');
    WideCharToMultiByte(CP_ACP, 0, text, int(length), &narrow[0], bytes, nullptr, nullptr);
    return narrow;
}

// Copies text into a caller's buffer of size bytes, cut to fit, always
// zero-terminated; returns the number of bytes before the zero.
inline int CopyOut(const std::string &text, char *buffer, size_t size)
{
    if (!buffer || size == 0)
        return 0;
    size_t length = text.size() < size ? text.size() : size - 1;
    text.copy(buffer, length);
    buffer[length] = '\0';
    return int(length);
}

template <typename R, typename F>
R NoThrow(R failure, F &&body)
{
    try {
        return body();
    } catch (...) {
        return failure;
    }
}

} // namespace jaocx20
