// The registry through the ANSI advapi32 calls, statuses passed back as the system gives them.
#include <windows.h>

#include "platform/win32/Win32Platform.h"

namespace qb::platform::win32 {
namespace {

HKEY RootKey(RegistryRoot root) {
    switch (root) {
        case RegistryRoot::kClassesRoot: return HKEY_CLASSES_ROOT;
    }
    return nullptr;
}

HKEY AsHkey(KeyHandle key) { return reinterpret_cast<HKEY>(key); }

OpenedKey Opened(LONG status, HKEY key) {
    return {status, status == ERROR_SUCCESS ? reinterpret_cast<KeyHandle>(key) : kNoKey};
}

}  // namespace

OpenedKey Win32Registry::OpenKey(RegistryRoot root, const std::string& subkey) {
    HKEY key = nullptr;
    const LONG status = RegOpenKeyA(RootKey(root), subkey.c_str(), &key);
    return Opened(status, key);
}

OpenedKey Win32Registry::CreateKey(RegistryRoot root, const std::string& subkey) {
    HKEY key = nullptr;
    const LONG status = RegCreateKeyA(RootKey(root), subkey.c_str(), &key);
    return Opened(status, key);
}

RegistryStatus Win32Registry::SetValue(RegistryRoot root, const std::string& subkey,
                                       std::uint32_t type, const char* data, std::uint32_t length) {
    return RegSetValueA(RootKey(root), subkey.c_str(), type, data, length);
}

RegistryStatus Win32Registry::DeleteKey(KeyHandle key, const std::string& name) {
    return RegDeleteKeyA(AsHkey(key), name.c_str());
}

RegistryStatus Win32Registry::CloseKey(KeyHandle key) { return RegCloseKey(AsHkey(key)); }

}  // namespace qb::platform::win32
