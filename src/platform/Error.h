#pragma once
// The one error type of the platform layer: which call failed, its system error code, and the
// system's own words for it (or ours, where the system has none for the situation).

#include <cstdint>
#include <stdexcept>
#include <string>

namespace qb::platform {

// What kind of number a failing call gave: they are told apart, and worded apart, because the
// same value means different things in each.
enum class ErrorKind {
    kWin32,         // GetLastError and friends
    kHResult,       // COM
    kNtStatus,      // CNG, one the system has no Win32 code for
    kCommonDialog,  // CommDlgExtendedError
};

// The Win32 codes of a name already taken, which the code above the platform tells apart.
inline constexpr std::uint32_t kFileExists = 80;
inline constexpr std::uint32_t kAlreadyExists = 183;
inline constexpr std::uint32_t kHandleEof = 38;  // a file that came up short of its size

class Error : public std::runtime_error {
public:
    Error(std::wstring operation, std::uint32_t code, std::wstring message,
          ErrorKind kind = ErrorKind::kWin32)
        : std::runtime_error("platform call failed"),
          operation_(std::move(operation)),
          code_(code),
          message_(std::move(message)),
          kind_(kind) {}

    const std::wstring& Operation() const { return operation_; }
    std::uint32_t Code() const { return code_; }
    const std::wstring& Message() const { return message_; }
    ErrorKind Kind() const { return kind_; }
    // The file the call failed on, where the caller of the failing operation cannot tell which.
    const std::wstring& Path() const { return path_; }
    void SetPath(std::wstring path) { path_ = std::move(path); }

private:
    std::wstring operation_;
    std::uint32_t code_;
    std::wstring message_;
    ErrorKind kind_;
    std::wstring path_;
};

// Builds an Error from the code the failing call left behind, with the system's message for it.
[[noreturn]] void ThrowLastError(std::wstring operation);
// A code of another kind comes with the system's message for it where the system has one.
[[noreturn]] void ThrowError(std::wstring operation, std::uint32_t code,
                             ErrorKind kind = ErrorKind::kWin32);

}  // namespace qb::platform
