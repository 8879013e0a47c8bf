// Whether this process is elevated, and the elevated second copy that does what it may not.
#include <windows.h>
#include <shellapi.h>

#include <memory>

#include "platform/Error.h"
#include "platform/win32/UniqueHandle.h"
#include "platform/win32/Win32Platform.h"

namespace qb::platform::win32 {
namespace {

class ElevatedCopy final : public StartedProgram {
public:
    explicit ElevatedCopy(HANDLE process) : process_(process) {}
    std::uintptr_t Handle() const override { return reinterpret_cast<std::uintptr_t>(process_.get()); }
    std::uint32_t ExitCode() override {
        DWORD code = 0;
        if (!GetExitCodeProcess(process_.get(), &code)) ThrowLastError(L"GetExitCodeProcess");
        return code;
    }

private:
    UniqueHandle process_;
};

}  // namespace

bool Win32Process::IsElevated() {
    HANDLE raw = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &raw))
        ThrowLastError(L"OpenProcessToken");
    const UniqueHandle token(raw);
    TOKEN_ELEVATION elevation{};
    DWORD size = 0;
    if (!GetTokenInformation(token.get(), TokenElevation, &elevation, sizeof elevation, &size))
        ThrowLastError(L"GetTokenInformation");
    return elevation.TokenIsElevated != 0;
}

std::unique_ptr<StartedProgram> Win32Launcher::StartElevated(std::uintptr_t owner,
                                                             const std::wstring& program,
                                                             std::wstring_view argument) {
    // The shell shows a box of its own for a file it cannot find, before our report; so the file
    // is looked for first. SEE_MASK_FLAG_NO_UI would also hide that box, but nothing says what it
    // does to the consent prompt.
    if (GetFileAttributesW(program.c_str()) == INVALID_FILE_ATTRIBUTES)
        ThrowLastError(L"GetFileAttributes");
    const std::wstring parameters(argument);
    SHELLEXECUTEINFOW run{};
    run.cbSize = sizeof run;
    // No SEE_MASK_FLAG_NO_UI: it would hold back the consent prompt too.
    run.fMask = SEE_MASK_NOCLOSEPROCESS;
    // The owner brings the prompt to the front; without one it only flashes on the taskbar.
    run.hwnd = reinterpret_cast<HWND>(owner);
    run.lpVerb = L"runas";
    run.lpFile = program.c_str();
    run.lpParameters = parameters.c_str();
    run.nShow = SW_SHOWNORMAL;
    if (!ShellExecuteExW(&run)) {
        const DWORD code = GetLastError();
        if (code == ERROR_CANCELLED) return nullptr;
        ThrowError(L"ShellExecuteEx", code);
    }
    auto copy = std::make_unique<ElevatedCopy>(run.hProcess);
    if (!run.hProcess) ThrowError(L"ShellExecuteEx", ERROR_INVALID_HANDLE);
    return copy;
}

}  // namespace qb::platform::win32
