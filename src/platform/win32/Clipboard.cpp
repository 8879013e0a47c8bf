// The clipboard's text read, copied out at once so that it stays open only as long as the copy
// takes; and plain text put on it, with the locale its code page belongs to.
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <functional>
#include <memory>
#include <utility>

#include "platform/Error.h"
#include "platform/win32/UniqueHandle.h"
#include "platform/win32/Win32Platform.h"

namespace qb::platform::win32 {
namespace {

// How long to wait before trying the clipboard again: the other end of a relay holds it only for
// a read of a moment, so the first tries come at once; a program that holds it longer (a
// remote-desktop clipboard sync, say) gets up to two seconds in all.
constexpr int kTries = 100;
void WaitToTryAgain(int attempt) { Sleep(attempt < 20 ? 1 : 25); }

// Another program may hold the clipboard for a moment, `stopped` asked between tries. False if
// it said stop first; throws if the clipboard stays busy.
bool OpenWhenFree(HWND owner, const std::function<bool()>& stopped) {
    for (int attempt = 0;; ++attempt) {
        if (OpenClipboard(owner)) return true;
        const DWORD error = GetLastError();
        if (stopped && stopped()) return false;
        if (attempt == kTries - 1) ThrowError(L"OpenClipboard", error);
        WaitToTryAgain(attempt);
    }
}

// Windows 10's clipboard history and cloud clipboard pass over a text that carries this format
// with a zero; older systems know nothing of it. Best effort: the text is there already.
void KeepOutOfHistory() {
    const UINT format = RegisterClipboardFormatW(L"CanIncludeInClipboardHistory");
    UniqueHglobal zero(GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DWORD)));
    if (format && zero && SetClipboardData(format, zero.get())) zero.release();
}

// Memory for the clipboard holding `bytes` and a zero after them.
UniqueHglobal GlobalCopy(const void* bytes, std::size_t size, std::size_t zeros) {
    UniqueHglobal memory(GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size + zeros));
    if (!memory) ThrowLastError(L"GlobalAlloc");
    void* view = GlobalLock(memory.get());
    if (!view) ThrowLastError(L"GlobalLock");
    std::memcpy(view, bytes, size);
    GlobalUnlock(memory.get());
    return memory;
}

// Opened without an owner: reading needs none.
class OpenedClipboard {
public:
    OpenedClipboard() { OpenWhenFree(nullptr, {}); }
    ~OpenedClipboard() { CloseClipboard(); }
    OpenedClipboard(const OpenedClipboard&) = delete;
    OpenedClipboard& operator=(const OpenedClipboard&) = delete;
};

// The text is written straight into the clipboard's own memory; the memory stays ours until
// SetClipboardData takes it.
class ClipboardTarget final : public ClipboardBuffer {
public:
    ClipboardTarget(std::size_t bytes, bool transient) : size_(bytes), transient_(transient) {
        memory_.reset(GlobalAlloc(GMEM_MOVEABLE, bytes + 1));
        if (!memory_) ThrowLastError(L"GlobalAlloc");
        view_ = static_cast<char*>(GlobalLock(memory_.get()));
        if (!view_) ThrowLastError(L"GlobalLock");
    }
    ~ClipboardTarget() override {
        if (view_) GlobalUnlock(memory_.get());
        Close();
    }

    std::span<char> Bytes() override { return {view_, size_}; }

    bool Open(const std::function<bool()>& stopped) override {
        // An owner window: after EmptyClipboard with no owner, SetClipboardData may fail.
        owner_.reset(CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                     GetModuleHandleW(nullptr), nullptr));
        if (!owner_) ThrowLastError(L"CreateWindowEx");
        open_ = OpenWhenFree(owner_.get(), stopped);
        return open_;
    }

    void Commit() override {
        view_[size_] = '\0';
        GlobalUnlock(memory_.get());
        view_ = nullptr;
        const bool emptied = EmptyClipboard();
        const DWORD emptyError = GetLastError();
        const bool placed = emptied && SetClipboardData(CF_TEXT, memory_.get()) != nullptr;
        const DWORD placeError = GetLastError();
        if (placed) {
            memory_.release();  // the clipboard owns it now
            AddLocale();
            if (transient_) KeepOutOfHistory();
        }
        Close();
        if (!emptied) ThrowError(L"EmptyClipboard", emptyError);
        if (!placed) ThrowError(L"SetClipboardData", placeError);
    }

private:
    // The text is in the system's code page; without a locale beside it Windows stamps the
    // keyboard layout's, and a Unicode program pastes the Chinese as mojibake. Best effort: the
    // text is on the clipboard already, and a job that delivered has not failed.
    static void AddLocale() {
        UniqueHglobal locale(GlobalAlloc(GMEM_MOVEABLE, sizeof(LCID)));
        auto* lcid = locale ? static_cast<LCID*>(GlobalLock(locale.get())) : nullptr;
        if (!lcid) return;
        *lcid = GetSystemDefaultLCID();
        GlobalUnlock(locale.get());
        if (SetClipboardData(CF_LOCALE, locale.get())) locale.release();
    }

    void Close() {
        if (std::exchange(open_, false)) CloseClipboard();
    }

    UniqueHglobal memory_;
    char* view_ = nullptr;
    std::size_t size_;
    UniqueHwnd owner_;
    bool open_ = false;
    bool transient_;
};

class LockedMemory {
public:
    explicit LockedMemory(HGLOBAL memory) : memory_(memory), view_(GlobalLock(memory)) {
        if (!view_) ThrowLastError(L"GlobalLock");
    }
    ~LockedMemory() { GlobalUnlock(memory_); }
    LockedMemory(const LockedMemory&) = delete;
    LockedMemory& operator=(const LockedMemory&) = delete;
    const void* get() const { return view_; }

private:
    HGLOBAL memory_;
    void* view_;
};

}  // namespace

ClipboardContent Win32Clipboard::ReadText(const std::function<void(std::u16string_view)>& use) {
    // A text just put there can be out of reach for a moment while the system makes its other
    // forms (Wine's clipboard manager, syncing with X, says the clipboard is not open): read
    // again then, as for a busy clipboard.
    for (int attempt = 0;; ++attempt) {
        try {
            return ReadTextOnce(use);
        } catch (const Error& e) {
            if (e.Code() != ERROR_CLIPBOARD_NOT_OPEN || attempt == kTries - 1) throw;
        }
        WaitToTryAgain(attempt);
    }
}

ClipboardContent Win32Clipboard::ReadTextOnce(const std::function<void(std::u16string_view)>& use) {
    OpenedClipboard open;
    // The system makes CF_UNICODETEXT from CF_TEXT and CF_LOCALE when only those were set.
    if (IsClipboardFormatAvailable(CF_UNICODETEXT)) {
        HANDLE memory = GetClipboardData(CF_UNICODETEXT);
        if (!memory) ThrowLastError(L"GetClipboardData");
        SetLastError(ERROR_SUCCESS);
        const SIZE_T bytes = GlobalSize(memory);
        if (bytes == 0)
            if (const DWORD code = GetLastError()) ThrowError(L"GlobalSize", code);
        if (bytes >= sizeof(char16_t)) {
            // Up to the first NUL, but never past the block: a program may put a text on the
            // clipboard without its terminating zero.
            LockedMemory locked(memory);
            const auto* begin = static_cast<const char16_t*>(locked.get());
            const auto* end = std::find(begin, begin + bytes / sizeof(char16_t), u'\0');
            if (end != begin) {
                use({begin, static_cast<std::size_t>(end - begin)});
                return ClipboardContent::kText;
            }
        }
    }
    if (IsClipboardFormatAvailable(CF_HDROP)) return ClipboardContent::kFiles;
    return ClipboardContent::kNone;
}

std::unique_ptr<ClipboardBuffer> Win32Clipboard::Text(std::size_t bytes, bool transient) {
    return std::make_unique<ClipboardTarget>(bytes, transient);
}

std::uint32_t Win32Clipboard::PutLine(std::u16string_view line) {
    const std::wstring wide(line.begin(), line.end());
    const int ansiBytes = WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()),
                                              nullptr, 0, nullptr, nullptr);
    std::string ansi(static_cast<std::size_t>(ansiBytes), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), ansi.data(), ansiBytes,
                        nullptr, nullptr);
    UniqueHglobal unicode = GlobalCopy(wide.data(), wide.size() * sizeof(wchar_t), sizeof(wchar_t));
    UniqueHglobal plain = GlobalCopy(ansi.data(), ansi.size(), 1);
    const UniqueHwnd owner(CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                           GetModuleHandleW(nullptr), nullptr));
    if (!owner) ThrowLastError(L"CreateWindowEx");
    OpenWhenFree(owner.get(), {});
    if (!EmptyClipboard()) {
        const DWORD error = GetLastError();
        CloseClipboard();
        ThrowError(L"EmptyClipboard", error);
    }
    // Both forms, so that a program reading either finds this line and not one the system made
    // from the other with some other code page.
    const bool placed = SetClipboardData(CF_UNICODETEXT, unicode.get()) != nullptr;
    const DWORD error = GetLastError();
    if (placed) {
        unicode.release();
        if (SetClipboardData(CF_TEXT, plain.get())) plain.release();
        KeepOutOfHistory();
    }
    CloseClipboard();
    // Taken at once: the next change may be another program's.
    const std::uint32_t sequence = GetClipboardSequenceNumber();
    if (!placed) ThrowError(L"SetClipboardData", error);
    return sequence;
}

std::uint32_t Win32Clipboard::Sequence() { return GetClipboardSequenceNumber(); }

}  // namespace qb::platform::win32
