#include "restore/RestoreJob.h"

#include <algorithm>
#include <exception>
#include <functional>
#include <new>
#include <string>
#include <thread>
#include <vector>

#include "platform/Failure.h"
#include "platform/FileNames.h"
#include "product/ExitCodes.h"
#include "product/RestoreTexts.h"
#include "product/Texts.h"
#include "restore/Destination.h"
#include "restore/Joining.h"
#include "restore/Receiving.h"
#include "restore/Reports.h"
#include "restore/RestoreSink.h"

namespace qb::restore {
namespace {

using namespace product::text;
namespace st = platform::style;
using platform::WordedFailure;
using uue::Outcome;
using uue::ScanResult;

// The report names the file whose move failed.
std::vector<std::wstring> Commit(platform::FileSetWriter& writer, const Destination& where) {
    try {
        return writer.Commit();
    } catch (const platform::Error& e) {
        const std::wstring failed = ShownPath(e.Path().empty() ? where.FirstPath() : e.Path());
        const bool appeared = where.placement == platform::Placement::kNewOne &&
                              e.Kind() == platform::ErrorKind::kWin32 &&
                              (e.Code() == platform::kFileExists || e.Code() == platform::kAlreadyExists);
        throw WordedFailure(product::kDeliveryFailed,
                            appeared ? std::wstring(kAppearedBefore) + failed + std::wstring(kAppearedAfter)
                                     : platform::FailureReport(std::wstring(kCannotWrite) + failed, e));
    }
}

// A text from the clipboard that is some of one file's parts: the rest are gathered as the person
// copies them, in the receiving window, and the file is written once they are all in.
void ReceiveRest(Input& input, const uue::PartMarker& set, platform::Platform& p, std::uintptr_t owner) {
    Receiving receiving(p, set, SetName(input.check.blocks[0]));
    platform::JobProgress first(input.total);
    RunPass(p, kCheckingText, {}, first, [&] {
        receiving.Take(*input.sources[0].text, first);
        return ScanResult{};
    });
    receiving.Acknowledge();
    if (!p.ui.ReceiveParts(receiving)) return;
    receiving.ThrowFailure();
    const auto where = AskWhere({receiving.Name()}, p, owner, {});
    if (!where) return;
    const std::wstring writing = std::wstring(kCannotWrite) + ShownPath(where->FirstPath());
    auto writer = platform::AsStep(writing, product::kDeliveryFailed, [&] {
        return p.files.WriteFiles(where->folder, where->placement, {{}, true, {}});
    });
    platform::Sha256Digest digest{};
    std::vector<std::wstring> paths;
    platform::JobProgress joining(set.size);
    RunPass(p, std::wstring(kRestoring) + platform::ShownName(where->names[0]), {}, joining, [&] {
        digest = receiving.WriteJoined(*writer, where->names[0], writing, joining);
        if (!joining.BeginDelivery()) throw platform::JobStopped{};
        paths = Commit(*writer, *where);
        return ScanResult{};
    });
    p.ui.Message(OutcomeText({{paths[0], set.size, digest}}, where->folder, 0), st::kOk);
}

// Each source decoded in turn into `sink`, its blocks numbered after those before it; a file
// must give the blocks its check found.
ScanResult DecodeSources(Input& input, uue::DecodeSink& sink, platform::JobProgress& progress) {
    struct Numbered final : uue::DecodeSink {
        uue::DecodeSink& sink;
        std::size_t before = 0;
        explicit Numbered(uue::DecodeSink& s) : sink(s) {}
        void BeginBlock(std::size_t index, const uue::Block& block) override { sink.BeginBlock(before + index, block); }
        void Write(std::span<const std::uint8_t> bytes) override { sink.Write(bytes); }
        void EndBlock() override { sink.EndBlock(); }
    } numbered(sink);
    for (Source& source : input.sources) {
        const auto own = input.check.blocks.begin() + static_cast<long>(numbered.before);
        const std::vector<uue::Block> checked(own, own + static_cast<long>(source.blocks));
        try {
            ScanResult result = ReadingFrom(source.path, [&] {
                try {
                    return uue::DecodeText(*source.text, numbered, progress);
                } catch (const platform::Error& e) {
                    // Cut short since its check, from outside the locks (a share written from
                    // another machine): changed, as any other change is reported.
                    if (input.from == From::kFile && e.Kind() == platform::ErrorKind::kWin32 &&
                        e.Code() == platform::kHandleEof)
                        throw TextChanged{};
                    throw;
                }
            });
            // Only a file can change; it is kept from writers, and checked all the same.
            if (input.from == From::kFile && (result.outcome != Outcome::kOk || result.blocks != checked))
                throw TextChanged{};
            if (result.outcome != Outcome::kOk) return result;
        } catch (const TextChanged&) {
            throw WordedFailure(product::kReadFailed, std::wstring(kChangedBefore) + source.path +
                                                          std::wstring(kChangedAfter));
        }
        numbered.before += source.blocks;
    }
    return input.check;
}

void Restore(From from, platform::Platform& p, std::uintptr_t owner) {
    auto input = ReadAndCheck(from, p, owner);
    if (!input) return;
    const ScanResult& check = input->check;
    if (check.outcome == Outcome::kProblem) {
        const std::wstring& path = input->Several() ? input->problemPath : input->Path();
        p.ui.Message(ProblemReport(check.problem, from, path, input->Several()), st::kError);
        return;
    }
    if (from == From::kClipboard)
        if (const auto set = OneIncompleteSet(check.blocks)) return ReceiveRest(*input, *set, p, owner);

    const Plan plan = PlanFiles(check.blocks, input->BlockPaths());
    if (plan.files.size() > uue::kMaxBlocks) {
        uue::Problem tooMany{uue::ProblemKind::kTooManyBlocks, {}, {}, 0, plan.files.size(), {}};
        p.ui.Message(ProblemReport(tooMany, from, input->Path()), st::kError);
        return;
    }
    std::vector<std::wstring> names;
    for (const auto& file : plan.files) names.push_back(file.name);
    const auto where = AskWhere(names, p, owner, input->Path());
    if (!where) return;
    const std::wstring writing = std::wstring(kCannotWrite) + ShownPath(where->FirstPath());
    // Text from the clipboard came from another computer, as a download does.
    platform::Origin origin{input->Path(), from == From::kClipboard, {}};
    // Of several files, each restored file is marked as the files its text came from.
    if (!plan.pathOf.empty())
        for (const auto& file : plan.files) {
            std::vector<std::wstring> sources;
            for (const std::size_t block : file.blocks)
                if (std::ranges::find(sources, plan.pathOf[block]) == sources.end())
                    sources.push_back(plan.pathOf[block]);
            origin.marksOfEach.push_back(std::move(sources));
        }
    auto writer = platform::AsStep(writing, product::kDeliveryFailed, [&] {
        return p.files.WriteFiles(where->folder, where->placement, origin);
    });
    RestoreSink sink(p, *writer, *where, plan, check.blocks);
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
        ScanResult result = DecodeSources(*input, sink, restoring);
        // A stop counts until the files begin to move into place.
        if (result.outcome == Outcome::kOk) {
            sink.JoinSets();
            if (!restoring.BeginDelivery()) throw platform::JobStopped{};
            paths = Commit(*writer, *where);
        }
        return result;
    };
    const ScanResult decoded = RunPass(p, std::wstring(kRestoring) + platform::ShownName(where->names[0]),
                                      input->Path(), restoring, decodeAndCommit);
    if (decoded.outcome == Outcome::kProblem) {
        // The check found none; a text that changed between the passes still writes nothing.
        p.ui.Message(ProblemReport(decoded.problem, from, input->Path()), st::kError);
        return;
    }
    std::vector<Restored> restored;
    for (std::size_t i = 0; i < paths.size(); ++i)
        restored.push_back({paths[i], sink.Sizes()[i], sink.Digests()[i]});
    p.ui.Message(OutcomeText(restored, where->folder, check.unreadableBegin, input->unreadablePath) +
                     FilledLinesNote(check.blocks, input->BlockPaths()),
                 st::kOk);
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
