#include "restore/RestoreJob.h"

#include <exception>
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <system_error>
#include <thread>
#include <variant>
#include <utility>
#include <vector>

#include "platform/Failure.h"
#include "product/ExitCodes.h"
#include "product/RestoreTexts.h"
#include "product/Texts.h"
#include "restore/BackgroundHash.h"
#include "restore/TextScanner.h"
#include "restore/TextSource.h"

namespace qb::restore {
namespace {

using namespace product::text;
namespace st = platform::style;
using platform::WordedFailure;

std::wstring Grouped(std::uint64_t n) {
    std::wstring digits = std::to_wstring(n);
    for (int at = static_cast<int>(digits.size()) - 3; at > 0; at -= 3) digits.insert(at, L",");
    return digits;
}

// A root such as "D:\" keeps its one separator.
std::wstring InFolder(const std::wstring& folder, const std::wstring& name) {
    return folder + (folder.ends_with(L'\\') ? L"" : L"\\") + name;
}

std::wstring Hex(const platform::Sha256Digest& digest) {
    static constexpr wchar_t kDigits[] = L"0123456789abcdef";
    std::wstring hex;
    for (const auto b : digest) {
        hex += kDigits[b >> 4];
        hex += kDigits[b & 15];
    }
    return hex;
}

std::wstring ProblemReport(const Problem& problem, From from, const std::wstring& path) {
    switch (problem.kind) {
    case ProblemKind::kCut:
        return std::wstring(kCutBefore) + problem.blockName +
               std::wstring(problem.format == Format::kBase64 ? kCutBase64 : kCutUu);
    case ProblemKind::kBadLine:
        return std::wstring(kBadLineBefore) + problem.blockName + std::wstring(kBadLineMiddle) +
               std::to_wstring(problem.line) + std::wstring(kBadLineAfter);
    case ProblemKind::kTooManyBlocks:
        return std::wstring(kTooManyBefore) + std::to_wstring(problem.blockCount) +
               std::wstring(kTooManyAfter);
    case ProblemKind::kNoBegin: break;
    }
    return from == From::kClipboard ? std::wstring(kNoTextOnClipboard)
                                    : std::wstring(kNoTextInFile) + path;
}

// Runs `pass` on a worker while this thread waits as the caller says; whatever the pass threw is
// thrown here.
ScanResult RunPass(const WaitForPass& wait, std::wstring_view heading, platform::JobProgress& progress,
                   const std::function<ScanResult()>& pass) {
    ScanResult result;
    std::exception_ptr failure;
    auto job = [&] {
        try {
            result = pass();
        } catch (...) {
            failure = std::current_exception();
        }
        progress.Finish();
    };
    std::jthread worker;
    try {
        worker = std::jthread(job);
    } catch (const std::system_error&) {
        job();  // out of threads: the pass still runs, only without its window
    }
    wait(progress, heading);
    if (worker.joinable()) worker.join();
    if (failure) std::rethrow_exception(failure);
    return result;
}

// Each block into the writer and a SHA-256 of it, in the same pass.
class FilesSink final : public DecodeSink {
public:
    FilesSink(platform::RestoreFiles& files, platform::RestoreWriter& writer,
              std::vector<std::wstring> names, std::wstring folder)
        : files_(files), writer_(writer), names_(std::move(names)), folder_(std::move(folder)) {}

    void BeginBlock(std::size_t index) override {
        current_ = index;
        writing_ = std::wstring(kCannotWrite) + InFolder(folder_, names_[index]);
        Step([&] { writer_.NextFile(names_[index]); });
        hash_ = std::make_unique<BackgroundHash>(files_.NewSha256());
    }
    void Write(std::span<const std::uint8_t> bytes) override {
        Step([&] { writer_.Append(bytes); });
        hash_->Update(bytes);
        size_ += bytes.size();
    }
    void EndBlock() override {
        digests_.push_back(hash_->Finish());
        sizes_.push_back(std::exchange(size_, 0));
    }
    const std::vector<platform::Sha256Digest>& Digests() const { return digests_; }
    const std::vector<std::uint64_t>& Sizes() const { return sizes_; }

private:
    // The report is worded once per file, not for every piece.
    template <class F>
    void Step(F&& step) {
        platform::AsStep(writing_, product::kDeliveryFailed, step);
    }

    platform::RestoreFiles& files_;
    platform::RestoreWriter& writer_;
    std::vector<std::wstring> names_;
    std::wstring folder_;
    std::size_t current_ = 0;
    std::wstring writing_;
    std::uint64_t size_ = 0;
    std::unique_ptr<BackgroundHash> hash_;
    std::vector<platform::Sha256Digest> digests_;
    std::vector<std::uint64_t> sizes_;
};

std::wstring OutcomeText(const std::vector<std::wstring>& paths, const FilesSink& sink,
                     const std::wstring& folder) {
    if (paths.size() == 1) {
        return std::wstring(kRestoredFile) + paths[0] + L"\r\n" + std::wstring(kSize) +
               Grouped(sink.Sizes()[0]) + std::wstring(kBytes) + L"\r\n" + std::wstring(kSha256) +
               Hex(sink.Digests()[0]);
    }
    std::wstring text = std::wstring(kRestoredManyBefore) + std::to_wstring(paths.size()) +
                        std::wstring(kRestoredManyMiddle) + folder + std::wstring(kRestoredManyAfter);
    for (std::size_t i = 0; i < paths.size() && i < kListedFiles; ++i) {
        text += L"\r\n" + std::wstring(platform::SplitPath(paths[i]).name) + L"\r\n    " +
                std::wstring(kSize) + Grouped(sink.Sizes()[i]) + std::wstring(kBytes) + L"    " +
                std::wstring(kSha256) + Hex(sink.Digests()[i]);
    }
    if (paths.size() > kListedFiles)
        text += L"\r\n" + std::wstring(kMoreBefore) + std::to_wstring(paths.size() - kListedFiles) +
                std::wstring(kMoreAfter);
    return text;
}

// The text a restore reads, opened once per pass.
struct Text {
    std::u16string clipboard;
    std::unique_ptr<FileBytes> file;
    std::unique_ptr<TextSource> source;
    std::uint64_t total = 0;
};

void Restore(From from, platform::Platform& p, platform::RestorePlatform& r, std::uintptr_t owner,
             const WaitForPass& wait) {
    Text text;
    std::wstring path;
    if (from == From::kClipboard) {
        const auto read = platform::AsStep(kCannotReadClipboard, product::kReadFailed,
                                           [&] { return r.clipboard.ReadText(); });
        if (read.kind != platform::ClipboardText::Kind::kText) {
            p.ui.Message(read.kind == platform::ClipboardText::Kind::kFiles ? kFilesOnClipboard
                                                                            : kNoTextOnClipboard,
                         st::kError);
            return;
        }
        text.clipboard.assign(read.text.begin(), read.text.end());
        text.total = text.clipboard.size() * 2;
        text.source = std::make_unique<Utf16Text>(text.clipboard);
    } else {
        const auto picked = r.dialogs.PickUueFile(owner);
        if (!picked) return;
        path = *picked;
        auto open = [&p, path]() -> std::unique_ptr<platform::InputFile> {
            auto input = platform::AsStep(std::wstring(kCannotOpen) + path, product::kOpenFailed,
                                          [&] { return p.files.OpenInput(path); });
            if (!input) throw WordedFailure(product::kOpenFailed, std::wstring(kOpenFailed));
            return input;
        };
        text.total = open()->Size();
        text.file = std::make_unique<FileBytes>(open);
        text.source = std::make_unique<EncodedText>(*text.file);
    }
    // A read failure on the way is the file's; the writer words its own.
    const auto reading = [&](const std::function<ScanResult()>& pass) {
        return [&, pass] {
            try {
                return pass();
            } catch (const platform::Error& e) {
                throw WordedFailure(product::kReadFailed,
                                    platform::FailureReport(std::wstring(kCannotRead) + path, e));
            }
        };
    };

    platform::JobProgress checking(text.total);
    const ScanResult check = RunPass(wait, kCheckingText, checking,
                                     reading([&] { return CheckText(*text.source, checking); }));
    if (check.outcome == Outcome::kStopped) return;
    if (check.outcome == Outcome::kProblem) {
        p.ui.Message(ProblemReport(check.problem, from, path), st::kError);
        return;
    }

    std::wstring folder;
    std::vector<std::wstring> names;
    auto placement = platform::Placement::kNumbered;
    if (check.blocks.size() == 1) {
        const auto where = r.dialogs.PickSavePath(
            owner, check.blocks[0].fileName, std::wstring(platform::SplitPath(path).directory));
        if (!where) return;
        const auto parts = platform::SplitPath(*where);
        folder = parts.directory;
        names.emplace_back(parts.name);
        placement = platform::Placement::kReplaceOne;
    } else {
        const auto where = r.dialogs.PickFolder(owner);
        if (!where) return;
        folder = *where;
        for (const auto& block : check.blocks) names.push_back(block.fileName);
    }

    const std::wstring firstTarget = InFolder(folder, names[0]);
    auto writer = platform::AsStep(std::wstring(kCannotWrite) + firstTarget,
                                   product::kDeliveryFailed,
                                   [&] { return r.files.Restore(folder, placement, path); });
    FilesSink sink(r.files, *writer, names, folder);
    std::vector<std::wstring> paths;
    platform::JobProgress restoring(text.total);
    const ScanResult decoded = RunPass(
        wait, std::wstring(kRestoring) + names[0], restoring, reading([&] {
            ScanResult result = DecodeText(*text.source, sink, restoring);
            // A stop counts until the files begin to move into place.
            if (result.outcome == Outcome::kOk && !restoring.BeginDelivery())
                result.outcome = Outcome::kStopped;
            if (result.outcome == Outcome::kOk)
                paths = platform::AsStep(std::wstring(kCannotWrite) + firstTarget,
                                         product::kDeliveryFailed, [&] { return writer->Commit(); });
            return result;
        }));
    if (decoded.outcome == Outcome::kStopped) return;
    if (decoded.outcome == Outcome::kProblem) {
        // The check found none; a text that changed between the passes still writes nothing.
        p.ui.Message(ProblemReport(decoded.problem, from, path), st::kError);
        return;
    }
    p.ui.Message(OutcomeText(paths, sink, folder), st::kOk);
}

}  // namespace

void RunRestore(From from, platform::Platform& p, platform::RestorePlatform& r,
                std::uintptr_t owner, const WaitForPass& wait) {
    try {
        Restore(from, p, r, owner, wait);
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
