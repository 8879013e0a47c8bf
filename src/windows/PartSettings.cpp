#include "windows/PartSettings.h"

#include "platform/Failure.h"

namespace qb::windows {

namespace st = platform::style;
using namespace product::text;

PartSettings::PartSettings(FormHost& host, platform::Platform& platform)
    : FormOf(host, part_settings::kDesign), platform_(platform) {}

void PartSettings::Load() {
    const HWND box = Control(Id::limitBox);
    for (const auto& choice : kPartChoices)
        SendMessageW(box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(std::wstring(choice.label).c_str()));
    SetText(Id::limitBox, PartCharsText(platform_.settings.PartChars()));
}

void PartSettings::OnOk() {
    const auto chars = ReadPartChars(Text(Id::limitBox));
    if (!chars) {
        platform_.ui.Message(kPartCharsRange, st::kExclamation);
        return;
    }
    try {
        platform_.settings.SetPartChars(*chars);
    } catch (const platform::Error& e) {
        platform_.ui.Message(platform::FailureReport(kCannotSaveSetting, e), st::kError);
        return;
    }
    Unload();
}

void PartSettings::Click(Id id) {
    switch (id) {
    case Id::okButton: OnOk(); break;
    case Id::cancelButton: Unload(); break;
    case Id::explanation: case Id::limitLabel: case Id::limitBox: case Id::unitLabel: break;
    }
}

}  // namespace qb::windows
