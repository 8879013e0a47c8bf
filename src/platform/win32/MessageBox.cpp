// Message boxes captioned with the program's title.
#include <windows.h>

#include <string>

#include "platform/win32/Win32Platform.h"

namespace qb::platform::win32 {

int Win32Ui::Message(std::wstring_view text, unsigned style) {
    const std::wstring s(text);
    return MessageBoxW(nullptr, s.c_str(), caption_.c_str(), style);
}

}  // namespace qb::platform::win32
