// Plain text on the clipboard, with the locale its code page belongs to.
#include <windows.h>

#include <memory>

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
    }

    std::span<char> Bytes() override { return {view_, size_}; }

    void Commit() override {
        view_[size_] = '\0';
        GlobalUnlock(memory_.get());
        view_ = nullptr;

        // An owner window: after EmptyClipboard with no owner, SetClipboardData may fail.
        UniqueHwnd owner(CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                         GetModuleHandleW(nullptr), nullptr));
        if (!owner) ThrowLastError(L"CreateWindowEx");
        // Another program (a remote-desktop clipboard sync, say) may hold the clipboard for a
        // moment; give it up to two seconds.
        bool open = false;
        for (int attempt = 0; attempt < 80 && !(open = OpenClipboard(owner.get())); ++attempt)
            Sleep(25);
        if (!open) ThrowLastError(L"OpenClipboard");
        const bool emptied = EmptyClipboard();
        const DWORD emptyError = GetLastError();
        const bool placed = emptied && SetClipboardData(CF_TEXT, memory_.get()) != nullptr;
        const DWORD placeError = GetLastError();
        if (placed) {
            memory_.release();  // the clipboard owns it now
            AddLocale();
        }
        CloseClipboard();
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

    UniqueHglobal memory_;
    char* view_ = nullptr;
    std::size_t size_;
};

}  // namespace

std::unique_ptr<ClipboardBuffer> Win32Clipboard::Text(std::size_t bytes) {
    return std::make_unique<ClipboardTarget>(bytes);
}

}  // namespace qb::platform::win32
