#pragma once
// The options window of a start without a file: whether the Explorer entry should exist, Apply,
// Exit, and a Help menu with the usage guide, the home page and the About box.

#include "platform/Platform.h"
#include "windows/AboutForm.h"
#include "windows/Form.h"
#include "windows/MainFormDesign.h"

namespace qb::windows {

class MainForm final : public FormOf<main_form::Id> {
public:
    using Id = main_form::Id;
    MainForm(Session& session, platform::Platform& platform);

protected:
    void Load() override;
    void Click(Id id) override;

private:
    void Form_Load();
    void c1_Click();
    void a_Click();
    void ap_Click();
    void e_Click();
    void ex_Click();
    void manual_Click();
    void home_Click();
    void about_Click();

    platform::Platform& platform_;
    AboutForm about_;
};

// The set-up road once the home page is launched: shows the main window and runs the program's
// messages until no window is left or Exit ends the process. Returns the exit code.
int RunSetupRoad(platform::Platform& platform);

}  // namespace qb::windows
