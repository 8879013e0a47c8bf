#include "windows/ClipboardListener.h"

#include "platform/Error.h"
#include "platform/win32/SystemLibrary.h"

namespace qb::windows {
namespace {

using Listen = BOOL(WINAPI*)(HWND);

// Looked up rather than imported: the program still starts where user32 lacks them (before
// Vista), and only this window fails.
Listen Find(const char* name) {
    static const HMODULE user32 = platform::win32::LoadSystemLibrary(L"user32.dll");
    return platform::win32::FindFunction<Listen>(user32, name);
}

}  // namespace

ClipboardListener::ClipboardListener(HWND window) : window_(window) {
    const Listen add = Find("AddClipboardFormatListener");
    if (!add) platform::ThrowError(L"AddClipboardFormatListener", ERROR_PROC_NOT_FOUND);
    if (!add(window_)) platform::ThrowLastError(L"AddClipboardFormatListener");
}

ClipboardListener::~ClipboardListener() {
    if (const Listen remove = Find("RemoveClipboardFormatListener")) remove(window_);
}

}  // namespace qb::windows
