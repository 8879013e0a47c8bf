#pragma once
// The encoding road: one file checked, read, encoded and delivered, every failure reported.

#include <chrono>
#include <stdexcept>
#include <string>
#include <string_view>

#include "platform/Error.h"
#include "platform/Platform.h"
#include "product/ExitCodes.h"

namespace qb::pipeline {

// A job that has not ended this long after its start (or after the Yes to the question) shows
// its progress: anything that takes longer needs feedback, and a shorter job looks as it always did.
inline constexpr std::chrono::milliseconds kProgressAfter{2000};

// Checks, reads, encodes and delivers the file the argument names (quotes already removed); reports
// every failure of the job itself. Returns the exit code. Anything else that goes wrong (a fault
// of the program) is thrown.
int RunEncodeJob(const std::wstring& argument, platform::Platform& p,
                 std::chrono::milliseconds progressAfter = kProgressAfter);

// The user stopped the job before its delivery began; nothing was delivered.
struct JobStopped {};

// The report of an unexpected failure: what could not be done in the user's words (naming the file
// where there is one), the system's own message, and its error code last.
std::wstring FailureReport(std::wstring_view action, const platform::Error& e);

// A failure of the job, already worded for the user, with the exit code it ends with.
class JobFailure : public std::runtime_error {
public:
    JobFailure(product::ExitCode code, std::wstring report)
        : std::runtime_error("encode job failed"), code_(code), report_(std::move(report)) {}
    product::ExitCode Code() const { return code_; }
    const std::wstring& Report() const { return report_; }

private:
    product::ExitCode code_;
    std::wstring report_;
};

// Runs `step`; a platform failure in it becomes a JobFailure for `action`.
template <typename Step>
decltype(auto) AsJobStep(std::wstring_view action, product::ExitCode code, Step&& step) {
    try {
        return step();
    } catch (const platform::Error& e) {
        throw JobFailure(code, FailureReport(action, e));
    }
}

}  // namespace qb::pipeline
