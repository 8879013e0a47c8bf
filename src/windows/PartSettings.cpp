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
    ShowUnit(Text(Id::limitBox));
}

void PartSettings::ShowUnit(std::wstring_view chosen) {
    ShowWindow(Control(Id::unitLabel), chosen == kNoParts ? SW_HIDE : SW_SHOW);
}

void PartSettings::NotifiedRow(RowId row, int code) {
    if (static_cast<Id>(row.value) != Id::limitBox) return;
    if (code == CBN_EDITCHANGE) ShowUnit(Text(Id::limitBox));
    if (code != CBN_SELCHANGE) return;
    // The box's text changes only after this notification: the chosen entry tells.
    const LRESULT at = SendMessageW(Control(Id::limitBox), CB_GETCURSEL, 0, 0);
    if (at >= 0 && static_cast<std::size_t>(at) < kPartChoices.size()) ShowUnit(kPartChoices[static_cast<std::size_t>(at)].label);
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
