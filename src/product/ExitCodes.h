#pragma once

namespace qb::product {

// How a run ended, as the process exit code. Only kDelivered means the text was delivered.
enum ExitCode : int {
    kDelivered = 0,      // also: the options window closed normally
    kOpenFailed = 1,     // the file could not be found or opened
    kDeclined = 2,       // the large-file question was not answered Yes or could not be shown, or
                         // the user stopped the job
    kEmptyFile = 3,      // "该文件是空文件"
    kTooLarge = 4,       // above the size limit
    kReadFailed = 5,     // the file could not be read whole after it was opened
    kDeliveryFailed = 6, // the clipboard or the side file could not be written
    kOutOfMemory = 7,
    kSetupFailed = 8,    // the options window hit a failure of the system under it
    kInternalError = 9,  // a fault of the program itself, reported as such
};

// The exit code of the elevated second copy that adds or removes the context-menu entry.
enum StepExitCode : int {
    kStepDone = 0,
    kStepFailed = 1,
};

}  // namespace qb::product
