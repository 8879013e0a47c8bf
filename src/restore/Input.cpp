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

// The scratch file's bytes, read as a file's.
class ScratchBytes final : public ByteSource {
public:
    explicit ScratchBytes(std::unique_ptr<platform::ScratchFile> file) : file_(std::move(file)) {}
    std::size_t Read(std::span<std::uint8_t> out) override {
        const auto n = static_cast<std::size_t>(std::min<std::uint64_t>(out.size(), file_->Size() - at_));
        if (n > 0) file_->ReadAt(at_, out.first(n));
        at_ += n;
        return n;
    }
    void Rewind() override { at_ = 0; }

private:
    std::unique_ptr<platform::ScratchFile> file_;
    std::uint64_t at_ = 0;
};

std::optional<Input> FromClipboard(platform::Platform& p) {
    Input input{From::kClipboard, {}, 0, {}, {}, {}};
    const auto content = platform::AsStep(kCannotReadClipboard, product::kReadFailed, [&] {
        return p.clipboard.ReadText([&](std::u16string_view text) {
            Utf16Text source({text.data(), text.size()});
            platform::JobProgress checking(text.size() * 2);
            input.check = RunPass(p, kCheckingText, {}, checking, [&] {
                auto result = uue::CheckText(source, checking);
                if (result.outcome != uue::Outcome::kOk) return result;
                // Copied as the scanner reads it, UTF-8, so that the clipboard is free again
                // for Save As and the text is never held whole in memory.
                platform::AsStep(kCannotRestore, product::kDeliveryFailed, [&] {
                    auto scratch = p.files.Scratch();
                    source.Rewind();
                    std::string piece(uue::kPieceSize, '\0');
                    for (uue::Piece got; (got = source.Read(piece)).size > 0;)
                        scratch->Append(piece.data(), got.size);
                    input.total = scratch->Size();
                    input.bytes = std::make_unique<ScratchBytes>(std::move(scratch));
                });
                return result;
            });
        });
    });
    if (content != platform::ClipboardContent::kText)
        throw WordedFailure(product::kReadFailed,
                            std::wstring(content == platform::ClipboardContent::kFiles
                                             ? kFilesOnClipboard : kNoTextOnClipboard));
    if (input.bytes) input.text = std::make_unique<EncodedText>(*input.bytes);
    return input;
}

std::optional<Input> FromFile(platform::Platform& p, std::uintptr_t owner) {
    const auto picked = p.dialogs.PickTextFiles(owner);
    if (picked.empty()) return std::nullopt;
    Input input{From::kFile, picked.front(), 0, {}, {}, {}};
    // Open from the check to the end, and no other program may write it meanwhile: what is
    // decoded is what was checked. One that another program holds open to write is refused.
    auto file = platform::AsStep(std::wstring(kCannotOpen) + input.path, product::kOpenFailed, [&] {
        return p.files.OpenInput(input.path, platform::Sharing::kKeepWritersOut);
    });
    if (!file) throw WordedFailure(product::kOpenFailed, std::wstring(kFileOpenFailed));
    input.total = file->Size();
    input.bytes = std::make_unique<FileBytes>(std::move(file));
    input.text = std::make_unique<EncodedText>(*input.bytes);
    platform::JobProgress checking(input.total);
    input.check = RunPass(p, kCheckingText, input.path, checking,
                          [&] { return uue::CheckText(*input.text, checking); });
    return input;
}

}  // namespace

std::optional<Input> ReadAndCheck(From from, platform::Platform& p, std::uintptr_t owner) {
    return from == From::kClipboard ? FromClipboard(p) : FromFile(p, owner);
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
