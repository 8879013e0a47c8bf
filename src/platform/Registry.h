#pragma once
// The registry, the five calls the context-menu entry needs.

#include <cstdint>
#include <memory>
#include <string>

namespace qb::platform {

// The registry through the ANSI advapi32 calls. Every call returns the system's status, 0 on
// success; names are ANSI bytes. A key that was opened or created closes itself when dropped.
enum class RegistryRoot { kClassesRoot };
using RegistryStatus = long;
inline constexpr std::uint32_t kRegSz = 1;

class RegistryKey {
public:
    virtual ~RegistryKey() = default;
};

struct OpenedKey {
    RegistryStatus status;
    std::unique_ptr<RegistryKey> key;  // null unless status is 0
};

class Registry {
public:
    virtual ~Registry() = default;
    virtual OpenedKey OpenKey(RegistryRoot root, const std::string& subkey) = 0;
    // Creates the key and any missing parents; opens it if it exists.
    virtual OpenedKey CreateKey(RegistryRoot root, const std::string& subkey) = 0;
    // Writes the default value of `subkey`, creating the key if missing. `length` counts the NUL.
    virtual RegistryStatus SetValue(RegistryRoot root, const std::string& subkey,
                                    std::uint32_t type, const char* data, std::uint32_t length) = 0;
    // Deletes the sub-key `name` of `key` (an empty name: `key` itself); a key that still has
    // sub-keys is refused, and so is a null key, with the status the system gives a null handle.
    virtual RegistryStatus DeleteKey(const RegistryKey* key, const std::string& name) = 0;
};

}  // namespace qb::platform
