#pragma once
// One owner per handle: movable, never copyable, closed exactly once. What counts as "no handle"
// (null or INVALID_HANDLE_VALUE) is part of the type.

#include <windows.h>

#include <utility>

namespace qb::platform::win32 {

template <typename Traits>
class UniqueAny {
public:
    using Handle = typename Traits::Handle;

    UniqueAny() = default;
    explicit UniqueAny(Handle h) : h_(h) {}
    UniqueAny(UniqueAny&& other) noexcept : h_(other.release()) {}
    UniqueAny& operator=(UniqueAny&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    UniqueAny(const UniqueAny&) = delete;
    UniqueAny& operator=(const UniqueAny&) = delete;
    ~UniqueAny() { reset(); }

    Handle get() const { return h_; }
    explicit operator bool() const { return h_ != Traits::Empty(); }
    Handle release() { return std::exchange(h_, Traits::Empty()); }
    // Keeps the thread's last error: a handle dropped on a failure path must not overwrite the
    // code the failure is about to be reported with.
    void reset(Handle h = Traits::Empty()) {
        if (h_ != Traits::Empty()) {
            const DWORD error = GetLastError();
            Traits::Close(h_);
            SetLastError(error);
        }
        h_ = h;
    }

private:
    Handle h_ = Traits::Empty();
};

template <typename H, auto CloseFn, bool InvalidIsEmpty = false>
struct HandleTraits {
    using Handle = H;
    static Handle Empty() {
        if constexpr (InvalidIsEmpty) return INVALID_HANDLE_VALUE;
        else return Handle{};
    }
    static void Close(Handle h) { CloseFn(h); }
};

using UniqueFile = UniqueAny<HandleTraits<HANDLE, &::CloseHandle, true>>;
// Process and token handles: null when there is none.
using UniqueHandle = UniqueAny<HandleTraits<HANDLE, &::CloseHandle>>;
using UniqueFind = UniqueAny<HandleTraits<HANDLE, &::FindClose, true>>;
using UniqueHkey = UniqueAny<HandleTraits<HKEY, &::RegCloseKey>>;
using UniqueHglobal = UniqueAny<HandleTraits<HGLOBAL, &::GlobalFree>>;
using UniqueHwnd = UniqueAny<HandleTraits<HWND, &::DestroyWindow>>;
using UniqueHfont = UniqueAny<HandleTraits<HFONT, &::DeleteObject>>;
using UniqueHicon = UniqueAny<HandleTraits<HICON, &::DestroyIcon>>;
using UniqueHmenu = UniqueAny<HandleTraits<HMENU, &::DestroyMenu>>;
using UniqueHpen = UniqueAny<HandleTraits<HPEN, &::DeleteObject>>;

// A window's device context, given back to that window.
class WindowDc {
public:
    explicit WindowDc(HWND window) : window_(window), dc_(GetDC(window)) {}
    ~WindowDc() {
        if (dc_) ReleaseDC(window_, dc_);
    }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    HDC get() const { return dc_; }
    explicit operator bool() const { return dc_ != nullptr; }

private:
    HWND window_;
    HDC dc_;
};

// An object selected into a DC for one scope; the one it replaced goes back in at the end.
class SelectedObject {
public:
    SelectedObject(HDC dc, HGDIOBJ object) : dc_(dc), old_(SelectObject(dc, object)) {}
    ~SelectedObject() {
        if (old_ && old_ != HGDI_ERROR) SelectObject(dc_, old_);
    }
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;

private:
    HDC dc_;
    HGDIOBJ old_;
};

}  // namespace qb::platform::win32
