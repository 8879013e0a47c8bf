// Plain text on the clipboard, with the locale its code page belongs to.
#include <windows.h>

#include <functional>
#include <memory>
#include <utility>

#include "platform/Error.h"
#include "platform/win32/UniqueHandle.h"
#include "platform/win32/Win32Platform.h"

namespace qb::platform::win32 {
namespace {

// The text is written straight into the clipboard's own memory; the memory stays ours until
// SetClipboardData takes it.
class ClipboardTarget final : public ClipboardBuffer {
public:
    explicit ClipboardTarget(std::size_t bytes) : size_(bytes) {
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
        // Another program (a remote-desktop clipboard sync, say) may hold the clipboard for a
        // moment; give it up to two seconds, the user's stop counting all the while.
        for (int attempt = 0; attempt < 80; ++attempt) {
            if (OpenClipboard(owner_.get())) {
                open_ = true;
                return true;
            }
            const DWORD error = GetLastError();
            if (stopped()) return false;
            if (attempt == 79) ThrowError(L"OpenClipboard", error);
            Sleep(25);
        }
        return false;
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
};

}  // namespace

std::unique_ptr<ClipboardBuffer> Win32Clipboard::Text(std::size_t bytes) {
    return std::make_unique<ClipboardTarget>(bytes);
}

}  // namespace qb::platform::win32
