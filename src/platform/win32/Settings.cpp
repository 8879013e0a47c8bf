// The setting in the user's own part of the registry, through the Unicode calls.
#include <windows.h>

#include "platform/Error.h"
#include "platform/win32/UniqueHandle.h"
#include "platform/win32/Win32Platform.h"

namespace qb::platform::win32 {
namespace {

constexpr wchar_t kKey[] = L"Software\\Quillbox";
constexpr wchar_t kValue[] = L"PartChars";

void Check(LONG status, const wchar_t* operation) {
    if (status != ERROR_SUCCESS) ThrowError(operation, static_cast<std::uint32_t>(status));
}

}  // namespace

std::uint32_t Win32Settings::PartChars() {
    DWORD value = 0, size = sizeof value;
    if (RegGetValueW(HKEY_CURRENT_USER, kKey, kValue, RRF_RT_REG_DWORD, nullptr, &value, &size) !=
        ERROR_SUCCESS)
        return 0;
    return value >= kMinPartChars && value <= kMaxPartChars ? value : 0;
}

void Win32Settings::SetPartChars(std::uint32_t chars) {
    if (chars != 0) {
        HKEY key = nullptr;
        Check(RegCreateKeyExW(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                              nullptr),
              L"RegCreateKeyEx");
        const UniqueHkey owned(key);
        const DWORD value = chars;
        Check(RegSetValueExW(key, kValue, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                             sizeof value),
              L"RegSetValueEx");
        return;
    }
    HKEY key = nullptr;
    const LONG opened = RegOpenKeyExW(HKEY_CURRENT_USER, kKey, 0, KEY_SET_VALUE | KEY_QUERY_VALUE, &key);
    if (opened == ERROR_FILE_NOT_FOUND) return;  // nothing stored
    Check(opened, L"RegOpenKeyEx");
    {
        const UniqueHkey owned(key);
        const LONG deleted = RegDeleteValueW(key, kValue);
        if (deleted != ERROR_FILE_NOT_FOUND) Check(deleted, L"RegDeleteValue");
        DWORD subkeys = 0, values = 0;
        Check(RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values,
                               nullptr, nullptr, nullptr, nullptr),
              L"RegQueryInfoKey");
        if (subkeys != 0 || values != 0) return;
    }
    // The key was Quillbox's alone: it goes too. Best effort: the setting is gone already.
    RegDeleteKeyW(HKEY_CURRENT_USER, kKey);
}

}  // namespace qb::platform::win32
