#include "platform/Error.h"

#include <windows.h>

#include "product/Texts.h"

namespace qb::platform {

namespace {
// A common-dialog code has no text of the system's; an NTSTATUS has its text in ntdll, where the
// system has one at all.
std::wstring SystemMessage(std::uint32_t code, ErrorKind kind) {
    if (kind == ErrorKind::kCommonDialog) return std::wstring(product::text::kUnknownError);
    DWORD flags = FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;
    HMODULE from = nullptr;
    if (kind == ErrorKind::kNtStatus && (from = GetModuleHandleW(L"ntdll.dll")))
        flags |= FORMAT_MESSAGE_FROM_HMODULE;
    wchar_t* text = nullptr;
    const DWORD n = FormatMessageW(flags, from, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring message = n ? std::wstring(text, n) : std::wstring(product::text::kUnknownError);
    LocalFree(text);
    while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r'))
        message.pop_back();
    return message;
}
}  // namespace

void ThrowError(std::wstring operation, std::uint32_t code, ErrorKind kind) {
    throw Error(std::move(operation), code, SystemMessage(code, kind), kind);
}

void ThrowLastError(std::wstring operation) {
    const DWORD code = GetLastError();  // before anything else can change it
    ThrowError(std::move(operation), code);
}

}  // namespace qb::platform
