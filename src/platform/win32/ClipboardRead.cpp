// The clipboard's text read back, for a restore: copied out at once, so the clipboard stays open
// only as long as the copy takes.
#include <windows.h>

#include <algorithm>

#include "platform/Error.h"
#include "platform/win32/Win32Restore.h"

namespace qb::platform::win32 {
namespace {

// Opened without an owner: reading needs none. Another program (a remote-desktop clipboard sync,
// say) may hold it for a moment, as when the text is put on it.
class OpenedClipboard {
public:
    OpenedClipboard() {
        bool open = false;
        for (int attempt = 0; attempt < 80 && !(open = OpenClipboard(nullptr)); ++attempt)
            Sleep(25);
        if (!open) ThrowLastError(L"OpenClipboard");
    }
    ~OpenedClipboard() { CloseClipboard(); }
    OpenedClipboard(const OpenedClipboard&) = delete;
    OpenedClipboard& operator=(const OpenedClipboard&) = delete;
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

// The text up to its first NUL, but never past the block: a program may put a text on the
// clipboard without its terminating zero.
std::wstring CopyText(HGLOBAL memory) {
    SetLastError(ERROR_SUCCESS);
    const SIZE_T bytes = GlobalSize(memory);
    if (bytes == 0) {
        if (const DWORD code = GetLastError()) ThrowError(L"GlobalSize", code);
        return {};
    }
    LockedMemory locked(memory);
    const auto* begin = static_cast<const wchar_t*>(locked.get());
    const auto* end = begin + bytes / sizeof(wchar_t);
    return std::wstring(begin, std::find(begin, end, L'\0'));
}

}  // namespace

ClipboardText Win32ClipboardReader::ReadText() {
    OpenedClipboard open;
    // The system makes CF_UNICODETEXT from CF_TEXT and CF_LOCALE when only those were set.
    if (IsClipboardFormatAvailable(CF_UNICODETEXT)) {
        HANDLE memory = GetClipboardData(CF_UNICODETEXT);
        if (!memory) ThrowLastError(L"GetClipboardData");
        std::wstring text = CopyText(memory);
        if (!text.empty()) return {ClipboardText::Kind::kText, std::move(text)};
    }
    if (IsClipboardFormatAvailable(CF_HDROP)) return {ClipboardText::Kind::kFiles, {}};
    return {};
}

}  // namespace qb::platform::win32
