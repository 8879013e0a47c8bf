#include "pipeline/EncodeJob.h"

#include <new>
#include <utility>

#include "pipeline/Delivery.h"
#include "pipeline/JobSizes.h"
#include "product/Texts.h"

namespace qb::pipeline {

namespace st = platform::style;
using namespace product;

std::wstring FailureReport(std::wstring_view action, const platform::Error& e) {
    return std::wstring(action) + L"：" + e.Message() + L"（错误代码 " + std::to_wstring(e.Code()) +
           L"）";
}

int RunEncodeJob(const std::wstring& argument, platform::Platform& p) {
    // Full before anything reads it as a path: "C:name" names a file in drive C's current folder,
    // and its side file and temporary file belong there, not in the working folder.
    const std::wstring path = p.files.FullPath(argument);
    // Opened once: the size measured here is the size of the very bytes that get encoded.
    std::unique_ptr<platform::InputFile> input;
    try {
        input = p.files.OpenInput(path);
    } catch (const platform::Error& e) {
        p.ui.Message(FailureReport(std::wstring(text::kCannotOpen) + path, e), st::kError);
        return kOpenFailed;
    }
    if (!input) {
        p.ui.Message(text::kOpenFailed, st::kExclamation);
        return kOpenFailed;
    }
    const std::uint64_t length = input->Size();
    // Only Yes goes on: a box that could not be shown answers 0, and nobody agreed to anything.
    if (length > kAskAbove &&
        p.ui.Message(text::kAskLarge, st::kYesNo | st::kDefaultSecond) != platform::kAnswerYes)
        return kDeclined;
    if (length > kMaxInputSize) {
        p.ui.Message(text::kTooLarge, st::kError);
        return kTooLarge;
    }
    if (length == 0) {
        p.ui.Message(text::kEmpty, st::kInformation);
        return kEmptyFile;
    }

    try {
        Deliver(p, std::move(input), path);
        return kDelivered;
    } catch (const JobFailure& f) {
        p.ui.Message(f.Report(), st::kError);
        return f.Code();
    } catch (const std::bad_alloc&) {
        p.ui.Message(text::kOutOfMemory, st::kError);
        return kOutOfMemory;
    }
}

}  // namespace qb::pipeline
