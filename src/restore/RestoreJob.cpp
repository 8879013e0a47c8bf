#include "restore/RestoreJob.h"

#include <exception>
#include <functional>
#include <new>
#include <string>
#include <thread>
#include <vector>

#include "platform/Failure.h"
#include "product/ExitCodes.h"
#include "product/RestoreTexts.h"
#include "product/Texts.h"
#include "restore/Destination.h"
#include "restore/Reports.h"
#include "restore/RestoreSink.h"

namespace qb::restore {
namespace {

using namespace product::text;
namespace st = platform::style;
using platform::WordedFailure;
using uue::Outcome;
using uue::ScanResult;

// Runs `pass` on a worker while the Ui waits for it; whatever the pass threw is thrown here. A
// read failure on the way is the file's: the writer words its own.
ScanResult RunPass(platform::Platform& p, std::wstring_view heading, const Input& input,
                   platform::JobProgress& progress, const std::function<ScanResult()>& pass) {
    ScanResult result;
    std::exception_ptr failure;
    auto job = [&] {
        try {
            result = pass();
        } catch (const platform::Error& e) {
            failure = std::make_exception_ptr(WordedFailure(
                product::kReadFailed,
                platform::FailureReport(std::wstring(kCannotRead) + input.path, e)));
        } catch (...) {
            failure = std::current_exception();
        }
        progress.Finish();
    };
    std::jthread worker = p.process.StartWorker(job);
    if (!worker.joinable()) job();  // out of threads: the pass still runs, only without its window
    p.ui.WaitForJob(heading, progress);
    if (worker.joinable()) worker.join();
    if (failure) std::rethrow_exception(failure);
    return result;
}

// The report names the file whose move failed.
std::vector<std::wstring> Commit(platform::FileSetWriter& writer, const Destination& where) {
    try {
        return writer.Commit();
    } catch (const platform::Error& e) {
        const std::wstring failed = e.Path().empty() ? where.FirstPath() : e.Path();
        const bool appeared = where.placement == platform::Placement::kNewOne &&
                              e.Kind() == platform::ErrorKind::kWin32 &&
                              (e.Code() == platform::kFileExists || e.Code() == platform::kAlreadyExists);
        throw WordedFailure(product::kDeliveryFailed,
                            appeared ? std::wstring(kAppearedBefore) + failed + std::wstring(kAppearedAfter)
                                     : platform::FailureReport(std::wstring(kCannotWrite) + failed, e));
    }
}

void Restore(From from, platform::Platform& p, std::uintptr_t owner) {
    auto input = OpenInput(from, p, owner);
    if (!input) return;
    platform::JobProgress checking(input->total);
    const ScanResult check = RunPass(p, kCheckingText, *input, checking,
                                     [&] { return uue::CheckText(*input->text, checking); });
    if (check.outcome == Outcome::kProblem) {
        p.ui.Message(ProblemReport(check.problem, from, input->path), st::kError);
        return;
    }

    const auto where = AskWhere(check.blocks, p, owner, input->path);
    if (!where) return;
    const std::wstring writing = std::wstring(kCannotWrite) + where->FirstPath();
    // Text from the clipboard came from another computer, as a download does.
    const platform::Origin origin{from == From::kFile ? input->path : std::wstring(),
                                  from == From::kClipboard};
    auto writer = platform::AsStep(writing, product::kDeliveryFailed, [&] {
        return p.files.WriteFiles(where->folder, where->placement, origin);
    });
    RestoreSink sink(p, *writer, *where);
    std::vector<std::wstring> paths;
    platform::JobProgress restoring(input->total);
    const auto decodeAndCommit = [&] {
        // A pass that ends early deletes its temporary files at once, not when the job unwinds:
        // at the session's end the process may be gone by then.
        struct DropOnFailure {
            std::unique_ptr<platform::FileSetWriter>& writer;
            int exceptions = std::uncaught_exceptions();
            ~DropOnFailure() {
                if (std::uncaught_exceptions() > exceptions) writer.reset();
            }
        } drop{writer};
        ScanResult result = uue::DecodeText(*input->text, sink, restoring);
        // Only a file can change; it is kept from writers, and checked all the same.
        if (from == From::kFile && (result.outcome != Outcome::kOk || result.blocks != check.blocks))
            throw TextChanged{};
        // A stop counts until the files begin to move into place.
        if (result.outcome == Outcome::kOk) {
            if (!restoring.BeginDelivery()) throw platform::JobStopped{};
            paths = Commit(*writer, *where);
        }
        return result;
    };
    ScanResult decoded;
    try {
        decoded = RunPass(p, std::wstring(kRestoring) + where->names[0], *input, restoring,
                          decodeAndCommit);
    } catch (const TextChanged&) {
        throw WordedFailure(product::kReadFailed, std::wstring(kChangedBefore) + input->path +
                                                      std::wstring(kChangedAfter));
    }
    if (decoded.outcome == Outcome::kProblem) {
        // The check found none; a text that changed between the passes still writes nothing.
        p.ui.Message(ProblemReport(decoded.problem, from, input->path), st::kError);
        return;
    }
    std::vector<Restored> restored;
    for (std::size_t i = 0; i < paths.size(); ++i)
        restored.push_back({paths[i], sink.Sizes()[i], sink.Digests()[i]});
    p.ui.Message(OutcomeText(restored, where->folder), st::kOk);
}

}  // namespace

void RunRestore(From from, platform::Platform& p, std::uintptr_t owner) {
    try {
        Restore(from, p, owner);
    } catch (const platform::JobStopped&) {
        // Stopped by the user: nothing was written, and nothing more is said.

    } catch (const WordedFailure& f) {
        p.ui.Message(f.Report(), st::kError);
    } catch (const platform::Error& e) {
        // A dialog or the hash that the system could not give: the window stays, as after any
        // failed restore.
        p.ui.Message(platform::FailureReport(kCannotRestore, e), st::kError);
    } catch (const std::bad_alloc&) {
        p.ui.Message(kRestoreOutOfMemory, st::kError);
    }
}

}  // namespace qb::restore
