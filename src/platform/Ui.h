#pragma once
// What a road needs from the windows above it: a box, and a wait for a job on another thread that
// shows the job's progress once it runs long.

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/Hash.h"
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

// The parts of a file, for the window that puts them on the clipboard one at a time.
class PartsToShow {
public:
    virtual ~PartsToShow() = default;
    virtual std::uint32_t Count() const = 0;
    // The whole file's, which the other end's answers name.
    virtual Sha256Digest Sha256() const = 0;
    // Part `part` (from 1) as it goes on the clipboard: ANSI text, no line end after its
    // trailer. Throws Error when it cannot be read back (a side file gone).
    virtual std::string Text(std::uint32_t part) = 0;
};

// A file's parts gathered from the clipboard as the person copies them over, for the window that
// shows how far it has come.
class PartsToReceive {
public:
    virtual ~PartsToReceive() = default;
    virtual std::uint32_t Count() const = 0;
    virtual std::uint32_t Kept() const = 0;
    // The window's lines: which file, how many parts are in and which are missing, and what the
    // last text brought.
    virtual std::wstring Heading() const = 0;
    virtual std::wstring Progress() const = 0;
    virtual std::wstring State() const = 0;
    // The clipboard changed: its text is read, this file's parts in it kept and acknowledged
    // there. True once nothing more is to come: every part in and the file checked, or a failure
    // that ends the restore.
    virtual bool ClipboardChanged() = 0;
};

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
    // The parts window: `name` cut into parts of at most `limit` characters, part 1 put on the
    // clipboard at once and each next one at the person's word. True if it was closed after the
    // last part was put there. Where no such window can be shown, false.
    virtual bool ShowParts(std::wstring_view name, std::uint64_t limit, PartsToShow& parts) {
        (void)name, (void)limit, (void)parts;
        return false;
    }
    // The receiving window, over the program's other windows: it calls parts.ClipboardChanged()
    // on every change of the clipboard until that says the parts are all in, and returns true
    // then; false when the person cancelled or closed it. Where no such window can be shown, false.
    virtual bool ReceiveParts(PartsToReceive& parts) {
        (void)parts;
        return false;
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
