#include "platform/Failure.h"

namespace qb::platform {

namespace {

std::wstring Hex(std::uint32_t code, int digits) {
    static constexpr wchar_t kDigits[] = L"0123456789ABCDEF";
    std::wstring hex = L"0x";
    for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4) hex += kDigits[(code >> shift) & 15];
    return hex;
}

}  // namespace

// A Win32 error in decimal, as Windows' own messages give it; the other kinds as Windows tools
// write them, since their values mean nothing in decimal.
std::wstring ErrorCodeText(const Error& e) {
    switch (e.Kind()) {
    case ErrorKind::kWin32: return std::to_wstring(e.Code());
    case ErrorKind::kHResult:
    case ErrorKind::kNtStatus: return Hex(e.Code(), 8);
    case ErrorKind::kCommonDialog: return Hex(e.Code(), 4);
    }
    return std::to_wstring(e.Code());
}

std::wstring FailureReport(std::wstring_view action, const Error& e) {
    return std::wstring(action) + L"：" + e.Message() + L"（错误代码 " + ErrorCodeText(e) + L"）";
}

}  // namespace qb::platform
