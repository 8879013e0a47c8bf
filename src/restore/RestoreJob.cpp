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

// A text from the clipboard that is some of one file's parts: its parts are kept, and the rest
// gathered as the person copies them.
Gathering StartGathering(Input& input, const uue::PartMarker& set, platform::Platform& p) {
    Gathering g;
    g.receiver = std::make_unique<relay::Receiver>(set, SetName(input.check.blocks[0]));
    g.store = std::make_unique<PartStore>(p, *g.receiver);
    platform::JobProgress first(input.total);
    relay::Arrival arrival;
    RunPass(p, kCheckingText, {}, first, [&] {
        arrival = g.store->Take(*input.sources[0].text, first);
        return ScanResult{};
    });
    g.first = g.receiver->Took(arrival);
    // A first text whose part cannot belong to the file its marker names opens no window: copying
    // it again cannot mend it.
    if (g.receiver->Kept() == 0)
        throw WordedFailure(product::kReadFailed,
                            std::wstring(kMisfitBefore) + platform::ShownName(g.receiver->Name()) +
                                std::wstring(kMisfitMiddle) + std::to_wstring(arrival.damagedPart) +
                                std::wstring(kMisfitAfter));
    return g;
}

// Whether the file still waits to be saved: Save As cancelled, or the write stopped or failed.
bool WriteGathered(Gathering& g, platform::Platform& p, std::uintptr_t owner) {
    if (g.failure) std::rethrow_exception(g.failure);
    const relay::Receiver& receiver = *g.receiver;
    if (receiver.CurrentState() == relay::Receiver::State::kMismatch)
        CheckJoined({receiver.Name(), {}, receiver.Set()}, receiver.Joined());
    if (receiver.CurrentState() != relay::Receiver::State::kAllIn) return false;
    const auto where = AskWhere({receiver.Name()}, p, owner, {});
    if (!where) return true;
    const std::wstring writing = std::wstring(kCannotWrite) + ShownPath(where->FirstPath());
    auto writer = platform::AsStep(writing, product::kDeliveryFailed, [&] {
        return p.files.WriteFiles(where->folder, where->placement, {{}, true, {}});
    });
    std::vector<std::wstring> paths;
    const std::uint64_t size = receiver.Set().size;
    platform::JobProgress joining(size);
    RunPass(p, std::wstring(kRestoring) + platform::ShownName(where->names[0]), {}, joining, [&] {
        g.store->WriteJoined(*writer, where->names[0], writing, joining);
        if (!joining.BeginDelivery()) throw platform::JobStopped{};
        paths = Commit(*writer, *where);
        return ScanResult{};
    });
    // The digest was checked against the sender's when the last part came.
    p.ui.Message(OutcomeText({{paths[0], size, receiver.Set().sha256, true}}, where->folder, 0), st::kOk);
    return false;
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

std::optional<Gathering> Restore(From from, platform::Platform& p, std::uintptr_t owner) {
    auto input = ReadAndCheck(from, p, owner);
    if (!input) return std::nullopt;
    const ScanResult& check = input->check;
    if (check.outcome == Outcome::kProblem) {
        const std::wstring& path = input->Several() ? input->problemPath : input->Path();
        p.ui.Message(ProblemReport(check.problem, from, path, input->Several()), st::kError);
        return std::nullopt;
    }
    if (from == From::kClipboard)
        if (const auto set = OneIncompleteSet(check.blocks)) return StartGathering(*input, *set, p);

    const Plan plan = PlanFiles(check.blocks, input->BlockPaths());
    std::vector<std::wstring> names;
    for (const auto& file : plan.files) names.push_back(file.name);
    const auto where = AskWhere(names, p, owner, input->Path());
    if (!where) return std::nullopt;
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
        return std::nullopt;
    }
    std::vector<Restored> restored;
    for (std::size_t i = 0; i < paths.size(); ++i)
        restored.push_back({paths[i], sink.Sizes()[i], sink.Digests()[i], plan.files[i].set.has_value()});
    p.ui.Message(OutcomeText(restored, where->folder, check.unreadableBegin, input->unreadablePath) +
                     FilledLinesNote(check.blocks, input->BlockPaths()),
                 st::kOk);
    return std::nullopt;
}


// Every failure of a restore shown in its box; a stop by the user shows nothing.
template <class Step>
auto Reported(platform::Platform& p, Step step) -> decltype(step()) {
    try {
        return step();
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
    return decltype(step()){};
}

}  // namespace

std::optional<Gathering> RunRestore(From from, platform::Platform& p, std::uintptr_t owner) {
    return Reported(p, [&] { return Restore(from, p, owner); });
}

bool FinishGathering(Gathering& gathering, platform::Platform& p, std::uintptr_t owner) {
    // A write that failed or was stopped is reported (or not, for a stop) and the parts kept:
    // the person may save them elsewhere. Anything else ends the gathering.
    bool again = gathering.receiver->CurrentState() == relay::Receiver::State::kAllIn && !gathering.failure;
    const auto saved = Reported(p, [&] { return std::optional<bool>(WriteGathered(gathering, p, owner)); });
    return saved ? *saved : again;
}

}  // namespace qb::restore
