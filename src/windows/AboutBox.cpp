#include "windows/AboutBox.h"

#include <string>

#include "platform/Error.h"
#include "platform/Failure.h"
#include "product/AppInfo.h"
#include "product/Texts.h"

namespace qb::windows {

AboutBox::AboutBox(FormHost& host, platform::Launcher& launcher)
    : FormOf(host, about_box::kDesign), launcher_(launcher) {}

HWND AboutBox::Owner() {
    if (!hiddenOwner_) {
        hiddenOwner_.reset(CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 0, 0, nullptr,
                                           nullptr, host().Instance(), nullptr));
        if (!hiddenOwner_) platform::ThrowLastError(L"CreateWindowEx");
    }
    return hiddenOwner_.get();
}

void AboutBox::Load() {
    SetCaption(std::wstring(product::text::kAboutCaption) + std::wstring(product::kTitle));
    SetText(Id::versionLabel,
            std::wstring(product::text::kVersionLine) + std::wstring(product::kVersion));
    SetText(Id::versionLabel, Text(Id::versionLabel) + L"\r\n" + std::wstring(product::kRights));
    SetText(Id::titleLabel, product::kTitle);
}

void AboutBox::Click(Id id) {
    switch (id) {
    case Id::okButton: Unload(); break;
    case Id::homePageLink:
        // Shown normally; a failure goes up to the program's error report, which ends it.
        platform::AsStep(product::text::kCannotOpenHomePage, product::kSetupFailed, [&] {
            launcher_.StartProgram(platform::HomePageCommand(), SW_SHOWNORMAL);
        });
        break;
    case Id::icon: case Id::versionLabel: case Id::descriptionLabel: case Id::titleLabel:
    case Id::noticeLabel: break;
    }
}

}  // namespace qb::windows
