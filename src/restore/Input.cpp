#include "restore/Input.h"

#include <exception>
#include <thread>

#include "platform/Failure.h"
#include "product/ExitCodes.h"
#include "product/RestoreTexts.h"
#include "product/Texts.h"

namespace qb::restore {
namespace {

using namespace product::text;
using platform::WordedFailure;

std::optional<Input> FromClipboard(platform::Platform& p) {
    Input input{From::kClipboard, {}, 0, {}, {}, {}};
    input.sources.emplace_back();
    Source& source = input.sources.back();
    // The text is copied out while the clipboard is open and checked once it is free again, as
    // every later text of a file sent in parts is.
    std::unique_ptr<ScratchBytes> copy;
    const auto content = platform::AsStep(kCannotReadClipboard, product::kReadFailed, [&] {
        return p.clipboard.ReadText([&](std::u16string_view text) {
            platform::JobProgress reading(text.size() * 2);
            RunPass(p, kCheckingText, {}, reading, [&] {
                copy = platform::AsStep(kCannotRestore, product::kDeliveryFailed,
                                        [&] { return CopyText(p.files, text, reading); });
                return uue::ScanResult{};
            });
        });
    });
    if (content != platform::ClipboardContent::kText)
        throw WordedFailure(product::kReadFailed,
                            std::wstring(content == platform::ClipboardContent::kFiles
                                             ? kFilesOnClipboard : kNoTextOnClipboard));
    input.total = copy->Size();
    source.bytes = std::move(copy);
    source.text = std::make_unique<EncodedText>(*source.bytes);
    platform::JobProgress checking(input.total);
    input.check = RunPass(p, kCheckingText, {}, checking, [&] { return uue::CheckText(*source.text, checking); });
    source.blocks = input.check.blocks.size();
    return input;
}

std::optional<Input> FromFiles(platform::Platform& p, std::uintptr_t owner) {
    const auto picked = p.dialogs.PickTextFiles(owner);
    if (picked.empty()) return std::nullopt;
    Input input{From::kFile, {}, 0, {}, {}, {}};
    // Open from the check to the end, and no other program may write them meanwhile: what is
    // decoded is what was checked. One that another program holds open to write is refused.
    for (const std::wstring& path : picked) {
        auto file = platform::AsStep(std::wstring(kCannotOpen) + path, product::kOpenFailed, [&] {
            return p.files.OpenInput(path, platform::Sharing::kKeepWritersOut);
        });
        if (!file) throw WordedFailure(product::kOpenFailed, std::wstring(kFileOpenFailed));
        input.total += file->Size();
        auto bytes = std::make_unique<FileBytes>(std::move(file));
        auto text = std::make_unique<EncodedText>(*bytes);
        input.sources.push_back({path, std::move(bytes), std::move(text), 0});
    }
    platform::JobProgress checking(input.total);
    input.check = RunPass(p, kCheckingText, input.Path(), checking, [&] {
        uue::ScanResult all;
        // The limits count the blocks of every file picked, as if they were one text.
        uue::BlockCounts counted;
        for (auto source = input.sources.begin(); source != input.sources.end(); ++source) {
            // Each file a text of its own: its own encoding, its last line ended by its end.
            auto one = ReadingFrom(source->path, [&] { return uue::CheckText(*source->text, checking, counted); });
            if (one.outcome != uue::Outcome::kOk) {
                input.problemPath = source->path;
                // Too many: the rest only counted, for the report's number.
                if (one.problem.kind == uue::ProblemKind::kTooManyBlocks)
                    for (auto rest = source + 1; rest != input.sources.end(); ++rest)
                        one.problem.blockCount =
                            ReadingFrom(rest->path, [&] { return uue::CheckText(*rest->text, checking, counted); })
                                .problem.blockCount;
                return one;
            }
            if (one.unreadableBegin && !all.unreadableBegin)
                all.unreadableBegin = one.unreadableBegin, input.unreadablePath = source->path;
            source->blocks = one.blocks.size();
            all.blocks.insert(all.blocks.end(), one.blocks.begin(), one.blocks.end());
        }
        return all;
    });
    return input;
}

}  // namespace

std::optional<Input> ReadAndCheck(From from, platform::Platform& p, std::uintptr_t owner) {
    return from == From::kClipboard ? FromClipboard(p) : FromFiles(p, owner);
}

std::vector<std::wstring> Input::BlockPaths() const {
    std::vector<std::wstring> paths;
    if (Several())
        for (const Source& source : sources) paths.insert(paths.end(), source.blocks, source.path);
    return paths;
}

uue::ScanResult RunPass(platform::Platform& p, std::wstring_view heading, const std::wstring& path,
                        platform::JobProgress& progress,
                        const std::function<uue::ScanResult()>& pass) {
    uue::ScanResult result;
    std::exception_ptr failure;
    auto job = [&] {
        try {
            result = pass();
        } catch (const platform::Error& e) {
            failure = std::make_exception_ptr(
                WordedFailure(product::kReadFailed,
                              platform::FailureReport(std::wstring(kCannotRead) + path, e)));
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

}  // namespace qb::restore
