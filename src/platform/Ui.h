#pragma once
// What a road needs from the windows above it: a box, and a wait for a job on another thread that
// shows the job's progress once it runs long.

#include <chrono>
#include <string>
#include <string_view>

#include "platform/JobProgress.h"

namespace qb::platform {

// Message box styles and answers, as the Windows API numbers them.
namespace style {
inline constexpr unsigned kOk = 0;
inline constexpr unsigned kYesNo = 4;
inline constexpr unsigned kError = 16;
inline constexpr unsigned kExclamation = 48;
inline constexpr unsigned kInformation = 64;
inline constexpr unsigned kDefaultSecond = 256;
// Holds off every window of the thread, not only an owner, until the box is answered.
inline constexpr unsigned kTaskModal = 0x2000;
}  // namespace style
inline constexpr int kAnswerYes = 6;
inline constexpr int kAnswerNo = 7;

// A job still running this long after its start shows its progress: anything that takes longer
// needs feedback, and a shorter job looks as it always did.
inline constexpr std::chrono::milliseconds kProgressAfter{2000};

class Ui {
public:
    virtual ~Ui() = default;
    // Modal, captioned with the application title; returns the button pressed.
    virtual int Message(std::wstring_view text, unsigned style) = 0;
    // Waits for a job running on another thread until it calls progress.Finish(). Once the job
    // has run for `after`, its progress window shows under `heading`; a window of the program
    // stays painted and takes no input meanwhile.
    virtual void WaitForJob(std::wstring_view heading, JobProgress& progress,
                            std::chrono::milliseconds after = kProgressAfter) {
        if (!progress.WaitFinished(after)) ShowProgress(heading, progress);
    }
    // A window over the job: `heading`, a bar of the bytes done of the total, the counts in MB and
    // a Cancel button. Returns once the job has ended, the window closed first; Cancel, Esc or
    // closing it asks the job to stop. Where no such window can be shown, this waits without one.
    virtual void ShowProgress(std::wstring_view heading, JobProgress& progress) {
        (void)heading;
        progress.WaitFinished();
    }
};

}  // namespace qb::platform
