#include "encode/EncodeJob.h"

#include <exception>
#include <new>
#include <thread>
#include <utility>

#include "encode/Delivery.h"
#include "encode/JobSizes.h"
#include "platform/Failure.h"
#include "product/Texts.h"

namespace qb::encode {

namespace st = platform::style;
using namespace product;
using platform::FailureReport;
using platform::JobStopped;
using platform::WordedFailure;

Encoded RunEncodeJob(const std::wstring& argument, platform::Platform& p,
                     std::chrono::milliseconds progressAfter) {
    // Full before anything reads it as a path: "C:name" names a file in drive C's current folder,
    // and its side file and temporary file belong there, not in the working folder.
    const std::wstring path = p.files.FullPath(argument);
    // Opened once: the size measured here is the size of the very bytes that get encoded.
    std::unique_ptr<platform::InputFile> input;
    try {
        input = p.files.OpenInput(path);
    } catch (const platform::Error& e) {
        p.ui.Message(FailureReport(std::wstring(text::kCannotOpen) + path, e), st::kError);
        return {kOpenFailed};
    }
    if (!input) {
        p.ui.Message(text::kFileOpenFailed, st::kExclamation);
        return {kOpenFailed};
    }
    const std::uint64_t length = input->Size();
    // Only Yes goes on: a box that could not be shown answers 0, and nobody agreed to anything.
    if (length > kAskAbove &&
        p.ui.Message(text::kAskLarge, st::kYesNo | st::kDefaultSecond) != platform::kAnswerYes)
        return {kDeclined};
    if (length > kMaxInputSize) {
        p.ui.Message(text::kTooLarge, st::kError);
        return {kTooLarge};
    }
    if (length == 0) {
        p.ui.Message(text::kEmpty, st::kInformation);
        return {kEmptyFile};
    }

    // Looked up before the reads begin: on a slow share a look-up waits behind them.
    const std::wstring name = HeaderName(p.files, path);
    // The job runs on a worker, so that this thread can show its progress once it runs long.
    // Every box is shown here, after the progress window has closed.
    platform::JobProgress progress(length);
    Delivered delivered;
    std::exception_ptr failure;
    auto job = [&, input = std::move(input)]() mutable {
        try {
            delivered = Deliver(p, std::move(input), path, name, progress);
        } catch (...) {
            failure = std::current_exception();
        }
        progress.Finish();
    };
    std::jthread worker = p.process.StartWorker([&job] { job(); });
    if (!worker.joinable()) job();  // out of threads: the job still gets done, only without a window
    p.ui.WaitForJob(std::wstring(text::kConverting) + name, progress, progressAfter);
    if (worker.joinable()) worker.join();

    try {
        if (failure) std::rethrow_exception(failure);
    } catch (const JobStopped&) {
        return {kDeclined};
    } catch (const WordedFailure& f) {
        p.ui.Message(f.Report(), f.Icon());
        return {f.Code()};
    } catch (const std::bad_alloc&) {
        p.ui.Message(text::kOutOfMemory, st::kError);
        return {kOutOfMemory};
    }
    const bool sideFile = delivered.road == Road::kSideFile;
    if (!delivered.parts) {
        p.ui.Message(sideFile ? text::kSideFileWritten : text::kOnClipboard, st::kOk);
        return {kDelivered, std::nullopt};
    }
    // Parts in a side file: the parts window says so, with part 1 on the clipboard, where the
    // box would say the clipboard was left alone.
    return {kDelivered, PartsToShow{name, delivered.limit, std::move(delivered.parts), sideFile ? name + L".uue" : L""}};
}

}  // namespace qb::encode
