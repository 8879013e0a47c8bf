#pragma once
// The options window of a start without a file: whether the Explorer entry should exist, Apply,
// Exit, and a Help menu with the usage guide, the home page and the About box.

#include "platform/Platform.h"
#include "windows/AboutBox.h"
#include "windows/Form.h"
#include "windows/OptionsWindowDesign.h"

namespace qb::windows {

class OptionsWindow final : public FormOf<options_window::Id> {
public:
    using Id = options_window::Id;
    OptionsWindow(FormHost& host, platform::Platform& platform);

protected:
    void Load() override;
    void Click(Id id) override;

private:
    void OnAddToMenuToggled();
    // The button, or File > Apply, which works even while the button is disabled.
    void OnApply();
    void OnExit();
    void OnGuide();
    void OnHomePage();
    void OnAbout();

    platform::Platform& platform_;
    AboutBox about_;
};

// The set-up road once the home page is launched: shows the options window and runs the
// program's messages until no window is left or Exit ends the process. Returns the exit code.
int RunSetupRoad(platform::Platform& platform);

}  // namespace qb::windows
