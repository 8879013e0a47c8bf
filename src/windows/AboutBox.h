#pragma once
// The About box: title, version, rights and the home page, which opens in the browser on a click.

#include "platform/Platform.h"
#include "windows/AboutBoxDesign.h"
#include "windows/Form.h"

namespace qb::windows {

class AboutBox final : public FormOf<about_box::Id> {
public:
    using Id = about_box::Id;
    AboutBox(FormHost& host, platform::Launcher& launcher);
    // The owner window must outlive the box it owns.
    ~AboutBox() override { Unload(); }

protected:
    void Load() override;
    void Click(Id id) override;
    HWND Owner() override;

private:
    platform::Launcher& launcher_;
    // Never shown: an owned window gets no taskbar button, and unlike a tool window it keeps the
    // normal caption.
    UniqueHwnd hiddenOwner_;
};

}  // namespace qb::windows
