#pragma once
// The one error type of the platform layer: which call failed, its system error code, and the
// system's own words for it (or ours, where the system has none for the situation).

#include <cstdint>
#include <stdexcept>
#include <string>

namespace qb::platform {

class Error : public std::runtime_error {
public:
    Error(std::wstring operation, std::uint32_t code, std::wstring message)
        : std::runtime_error("platform call failed"),
          operation_(std::move(operation)),
          code_(code),
          message_(std::move(message)) {}

    const std::wstring& Operation() const { return operation_; }
    std::uint32_t Code() const { return code_; }
    const std::wstring& Message() const { return message_; }

private:
    std::wstring operation_;
    std::uint32_t code_;
    std::wstring message_;
};

// Builds an Error from the code the failing call left behind, with the system's message for it.
[[noreturn]] void ThrowLastError(std::wstring operation);
[[noreturn]] void ThrowError(std::wstring operation, std::uint32_t code);

}  // namespace qb::platform
