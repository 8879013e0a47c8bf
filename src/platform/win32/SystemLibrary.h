#pragma once
// A DLL of the system loaded from the system folder by its full path: loaded by name, a DLL that
// is no KnownDLL on Windows 7 would be looked for beside the program first, where anyone may have
// put one (a Downloads folder).

#include <windows.h>

namespace qb::platform::win32 {

// From now on every DLL that anything loads by name (bcrypt's own, the common dialogs') comes
// from the system folder, never the program's, where the system can say so: Windows 7 with
// KB2533623 and later. False where it cannot.
bool RestrictDllSearch();

// Null, with the last error set, when it cannot be loaded. Never unloaded.
HMODULE LoadSystemLibrary(const wchar_t* name);

template <typename F>
F FindFunction(HMODULE module, const char* name) {
    return module ? reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name)))
                  : nullptr;
}

}  // namespace qb::platform::win32
