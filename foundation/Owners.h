#pragma once
// Move-only owners of Win32 handles: each closes what it holds exactly once, on
// every way out, and cannot be copied (a copy would close the handle twice).
#include <windows.h>
#include <string>
#include <utility>
#include <vector>

template <class Traits>
class UniqueResource {
public:
    using Type = typename Traits::Type;

    UniqueResource() = default;
    explicit UniqueResource(Type handle) : handle_(handle) {}
    UniqueResource(UniqueResource&& other) noexcept : handle_(other.Release()) {}
    UniqueResource& operator=(UniqueResource&& other) noexcept {
        Reset(other.Release());
        return *this;
    }
    UniqueResource(const UniqueResource&) = delete;
    UniqueResource& operator=(const UniqueResource&) = delete;
    ~UniqueResource() { Reset(); }

    Type Get() const { return handle_; }
    bool Valid() const { return Traits::IsValid(handle_); }
    explicit operator bool() const { return Valid(); }
    // For functions that hand back a new handle through a pointer.
    Type* Out() {
        Reset();
        return &handle_;
    }
    Type Release() { return std::exchange(handle_, Traits::Invalid()); }
    void Reset(Type handle = Traits::Invalid()) {
        if (Valid()) Traits::Close(handle_);
        handle_ = handle;
    }

private:
    Type handle_ = Traits::Invalid();
};

namespace owner_traits {
// Kernel objects: files, events, mutexes, mappings, processes, threads. Creators
// report failure either as null or as INVALID_HANDLE_VALUE.
struct Kernel {
    using Type = HANDLE;
    static Type Invalid() { return nullptr; }
    static bool IsValid(Type h) { return h && h != INVALID_HANDLE_VALUE; }
    static void Close(Type h) { ::CloseHandle(h); }
};
struct Find {
    using Type = HANDLE;
    static Type Invalid() { return INVALID_HANDLE_VALUE; }
    static bool IsValid(Type h) { return h && h != INVALID_HANDLE_VALUE; }
    static void Close(Type h) { ::FindClose(h); }
};
struct ChangeNotification {
    using Type = HANDLE;
    static Type Invalid() { return INVALID_HANDLE_VALUE; }
    static bool IsValid(Type h) { return h && h != INVALID_HANDLE_VALUE; }
    static void Close(Type h) { ::FindCloseChangeNotification(h); }
};
struct Registry {
    using Type = HKEY;
    static Type Invalid() { return nullptr; }
    static bool IsValid(Type h) { return h != nullptr; }
    static void Close(Type h) { ::RegCloseKey(h); }
};
struct View {
    using Type = void*;
    static Type Invalid() { return nullptr; }
    static bool IsValid(Type h) { return h != nullptr; }
    static void Close(Type h) { ::UnmapViewOfFile(h); }
};
template <class Object>
struct Gdi {
    using Type = Object;
    static Type Invalid() { return nullptr; }
    static bool IsValid(Type h) { return h != nullptr; }
    static void Close(Type h) { ::DeleteObject(h); }
};
}  // namespace owner_traits

using ScopedHandle = UniqueResource<owner_traits::Kernel>;
using FindHandle = UniqueResource<owner_traits::Find>;
using ChangeNotificationHandle = UniqueResource<owner_traits::ChangeNotification>;
using RegistryKey = UniqueResource<owner_traits::Registry>;
using MappedView = UniqueResource<owner_traits::View>;
template <class Object>
using GdiObject = UniqueResource<owner_traits::Gdi<Object>>;
using ScopedBitmap = GdiObject<HBITMAP>;
using ScopedRegion = GdiObject<HRGN>;
using ScopedBrush = GdiObject<HBRUSH>;
using ScopedFont = GdiObject<HFONT>;

// A memory device context; objects selected into it are deselected, in reverse
// order, before it is deleted.
class MemoryDC {
public:
    explicit MemoryDC(HDC compatibleWith) : dc_(::CreateCompatibleDC(compatibleWith)) {}
    MemoryDC(const MemoryDC&) = delete;
    MemoryDC& operator=(const MemoryDC&) = delete;
    ~MemoryDC() {
        for (auto it = previous_.rbegin(); it != previous_.rend(); ++it) ::SelectObject(dc_, *it);
        if (dc_) ::DeleteDC(dc_);
    }
    HDC Get() const { return dc_; }
    explicit operator bool() const { return dc_ != nullptr; }
    void Select(HGDIOBJ object) {
        if (HGDIOBJ old = ::SelectObject(dc_, object)) previous_.push_back(old);
    }

private:
    HDC dc_;
    std::vector<HGDIOBJ> previous_;
};

// Remembers the current directory and puts it back on every way out.
class CurrentDirectoryGuard {
public:
    CurrentDirectoryGuard() {
        const DWORD needed = ::GetCurrentDirectoryA(0, nullptr);
        std::vector<char> buffer(needed + 1, '\0');
        ::GetCurrentDirectoryA(static_cast<DWORD>(buffer.size()), buffer.data());
        saved_ = buffer.data();
    }
    CurrentDirectoryGuard(const CurrentDirectoryGuard&) = delete;
    CurrentDirectoryGuard& operator=(const CurrentDirectoryGuard&) = delete;
    ~CurrentDirectoryGuard() { ::SetCurrentDirectoryA(saved_.c_str()); }
    const std::string& Saved() const { return saved_; }

private:
    std::string saved_;
};
