#include "app/MainModule.h"

#include <windows.h>

#include <new>
#include <string>

#include "app/CommandLine.h"
#include "encode/EncodeJob.h"
#include "platform/Error.h"
#include "platform/Failure.h"
#include "product/AppInfo.h"
#include "product/ExitCodes.h"
#include "product/Texts.h"
#include "shell/ContextMenu.h"
#include "windows/OptionsWindow.h"
#include "windows/PartsWindow.h"

namespace qb::app {

namespace st = platform::style;
namespace text = product::text;

namespace {

// While a window of the program is open, a box must hold off all of them, the About box included:
// task-modal with no owner. An owner would disable only that one window.
class TaskModalUi final : public platform::Ui {
public:
    explicit TaskModalUi(platform::Ui& inner) : inner_(inner) {}
    int Message(std::wstring_view text, unsigned style) override {
        return inner_.Message(text, style | st::kTaskModal);
    }
    void WaitForJob(std::wstring_view heading, platform::JobProgress& progress,
                    std::chrono::milliseconds after) override {
        inner_.WaitForJob(heading, progress, after);
    }
    void ShowProgress(std::wstring_view heading, platform::JobProgress& progress) override {
        inner_.ShowProgress(heading, progress);
    }

private:
    platform::Ui& inner_;
};

}  // namespace

int ReportUnexpected(platform::Ui& ui, std::exception_ptr failure) {
    std::wstring report(text::kInternalError);
    try {
        std::rethrow_exception(failure);
    } catch (const std::bad_alloc&) {
        ui.Message(text::kOutOfMemory, st::kError);
        return product::kOutOfMemory;
    } catch (const platform::Error& e) {
        report = platform::FailureReport(report + e.Operation(), e);
    } catch (const std::exception& e) {
        // The library's own words are plain ASCII.
        for (const char* c = e.what(); *c; ++c) report += static_cast<unsigned char>(*c);
    } catch (...) {
        report += text::kUnknownError;
    }
    ui.Message(report, st::kError);
    return product::kInternalError;
}

int Main(std::wstring_view commandLine, platform::Platform& p) {
    const Request request = ReadCommandLine(commandLine);
    if (const auto* step = std::get_if<shell::Step>(&request)) return shell::RunStepAlone(*step, p);

    // Whatever escapes a road still becomes one report and an exit code.
    try {
        if (const auto* file = std::get_if<FilePath>(&request)) {
            auto encoded = encode::RunEncodeJob(file->path, p);
            // Sent in parts: the parts window puts them on the clipboard, and its closing ends
            // the run.
            if (encoded.parts) return windows::RunPartsWindow(p, *encoded.parts);
            return encoded.exitCode;
        }

        // The set-up road has no job of its own to fail; a failure of the system under it still
        // gets the one report, and the program ends.
        std::wstring_view action = text::kCannotOpenHomePage;
        try {
            p.launcher.StartProgram(platform::HomePageCommand(), SW_SHOWNOACTIVATE);
            action = text::kCannotShowWindow;
            TaskModalUi modal(p.ui);
            platform::Platform withWindows = p.WithUi(modal);
            return windows::RunSetupRoad(withWindows);
        } catch (const platform::Error& e) {
            p.ui.Message(platform::FailureReport(action, e), st::kError);
            return product::kSetupFailed;
        } catch (const platform::WordedFailure& f) {
            // Worded by the window where it happened, such as the About box's link.
            p.ui.Message(f.Report(), st::kError);
            return f.Code();
        }
    } catch (...) {
        return ReportUnexpected(p.ui, std::current_exception());
    }
}

}  // namespace qb::app
