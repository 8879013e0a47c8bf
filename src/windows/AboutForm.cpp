#include "windows/AboutForm.h"

#include <string>

#include "platform/Error.h"
#include "product/AppInfo.h"

namespace qb::windows {

AboutForm::AboutForm(Session& session, platform::Launcher& launcher)
    : FormOf(session, about_form::kDesign), launcher_(launcher) {}

HWND AboutForm::Owner() {
    if (!hiddenOwner_) {
        hiddenOwner_.reset(CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 0, 0, nullptr,
                                           nullptr, session().Instance(), nullptr));
        if (!hiddenOwner_) platform::ThrowLastError(L"CreateWindowEx");
    }
    return hiddenOwner_.get();
}

void AboutForm::Load() {
    SetCaption(L"关于 " + std::wstring(product::kTitle));
    const auto& v = product::kVersion;
    SetText(Id::lblVersion, L"版本 " + std::to_wstring(v.major) + L"." +
                                std::to_wstring(v.minor) + L"." + std::to_wstring(v.revision));
    SetText(Id::lblVersion, Text(Id::lblVersion) + L"\r\n" + std::wstring(kRights));
    SetText(Id::lblTitle, product::kTitle);
}

void AboutForm::Click(Id id) {
    switch (id) {
    case Id::cmdOK: Unload(); break;
    case Id::URL:
        // Shown normally; a failure goes up to the program's error report.
        launcher_.Shell(L"explorer.exe " + std::wstring(product::kHomePage), SW_SHOWNORMAL);
        break;
    case Id::picIcon: case Id::lblVersion: case Id::lblDescription: case Id::lblTitle:
    case Id::lblDisclaimer: break;
    }
}

}  // namespace qb::windows
