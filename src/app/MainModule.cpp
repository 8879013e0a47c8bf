#include "app/MainModule.h"

#include <windows.h>

#include <string>

#include "pipeline/CommandLine.h"
#include "pipeline/EncodeJob.h"
#include "platform/Error.h"
#include "product/AppInfo.h"
#include "product/ExitCodes.h"
#include "windows/MainForm.h"

namespace qb::app {

namespace {

// While a window of the program is open, a box must hold off all of them, the About box included:
// task-modal with no owner. An owner would disable only that one window.
class TaskModalUi final : public platform::Ui {
public:
    explicit TaskModalUi(platform::Ui& inner) : inner_(inner) {}
    int Message(std::wstring_view text, unsigned style) override {
        return inner_.Message(text, style | platform::style::kTaskModal);
    }

private:
    platform::Ui& inner_;
};

}  // namespace

int Main(std::wstring_view commandLine, platform::Platform& p) {
    const std::wstring path = pipeline::PathFromArgument(pipeline::ArgumentText(commandLine));
    if (!path.empty()) return pipeline::RunEncodeJob(path, p);

    // The set-up road has no job of its own to fail; a failure of the system under it still gets
    // the one report, and the program ends.
    try {
        p.launcher.Shell(L"explorer.exe " + std::wstring(product::kHomePage), SW_SHOWNOACTIVATE);
        TaskModalUi modal(p.ui);
        platform::Platform withWindows{modal, p.files, p.clipboard, p.launcher, p.registry, p.process};
        return windows::RunSetupRoad(withWindows);
    } catch (const platform::Error& e) {
        p.ui.Message(pipeline::FailureReport(e.Operation(), e.Code(), e.Message()),
                     platform::style::kError);
        return product::kSetupFailed;
    }
}

}  // namespace qb::app
