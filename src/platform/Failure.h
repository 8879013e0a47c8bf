#pragma once
// How a job's failures reach the user, shared by every road and window: the report's wording, a
// failure already worded with the exit code it ends with, and the user's stop.

#include <exception>
#include <stdexcept>
#include <string>
#include <string_view>

#include "platform/Error.h"
#include "product/ExitCodes.h"

namespace qb::platform {

// What could not be done in the user's words (naming the file where there is one), the system's
// own message, and its error code last.
std::wstring FailureReport(std::wstring_view action, const Error& e);
std::wstring ErrorCodeText(const Error& e);

// A failure already worded for the user, with the exit code it ends with and its box's icon
// (the error icon unless it says otherwise).
class WordedFailure : public std::runtime_error {
public:
    WordedFailure(product::ExitCode code, std::wstring report, unsigned icon = 16)
        : std::runtime_error("worded failure"), code_(code), report_(std::move(report)), icon_(icon) {}
    product::ExitCode Code() const { return code_; }
    const std::wstring& Report() const { return report_; }
    unsigned Icon() const { return icon_; }

private:
    product::ExitCode code_;
    std::wstring report_;
    unsigned icon_;
};

// The user stopped the job before it began to deliver; nothing was delivered.
class JobStopped : public std::exception {
public:
    const char* what() const noexcept override { return "stopped by the user"; }
};

// Runs `step`; a platform failure in it becomes a WordedFailure for `action`.
template <typename Step>
decltype(auto) AsStep(std::wstring_view action, product::ExitCode code, Step&& step) {
    try {
        return step();
    } catch (const Error& e) {
        throw WordedFailure(code, FailureReport(action, e));
    }
}

}  // namespace qb::platform
