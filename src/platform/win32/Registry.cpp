// The registry through the ANSI advapi32 calls, statuses passed back as the system gives them.
#include <windows.h>

#include "platform/win32/UniqueHandle.h"
#include "platform/win32/Win32Platform.h"

namespace qb::platform::win32 {
namespace {

HKEY RootKey(RegistryRoot root) {
    switch (root) {
        case RegistryRoot::kClassesRoot: return HKEY_CLASSES_ROOT;
    }
    return nullptr;
}

class Win32Key final : public RegistryKey {
public:
    explicit Win32Key(HKEY key) : key_(key) {}
    HKEY get() const { return key_.get(); }

private:
    UniqueHkey key_;
};

OpenedKey Opened(LONG status, HKEY key) {
    if (status != ERROR_SUCCESS) return {status, nullptr};
    return {status, std::make_unique<Win32Key>(key)};
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

RegistryStatus Win32Registry::DeleteKey(const RegistryKey* key, const std::string& name) {
    // A null key goes to the system as a null handle, which it refuses with its own status.
    const auto* open = dynamic_cast<const Win32Key*>(key);
    return RegDeleteKeyA(open ? open->get() : nullptr, name.c_str());
}

}  // namespace qb::platform::win32
