#pragma once
// 分段设置: the longest text a part may be, stored for the user; shown modally from the options
// window's File menu.

#include "platform/Platform.h"
#include "windows/Form.h"
#include "windows/PartSettingsDesign.h"

namespace qb::windows {

class PartSettings final : public FormOf<part_settings::Id> {
public:
    using Id = part_settings::Id;
    PartSettings(FormHost& host, platform::Platform& platform);

protected:
    void Load() override;
    void Click(Id id) override;
    void NotifiedRow(RowId row, int code) override;

private:
    // Stores what the box holds and closes; a number out of range, or a write the system
    // refuses, is said in a box and the window stays.
    void OnOk();
    // "个字符" stands after a number only: hidden while the box reads 不分段.
    void ShowUnit(std::wstring_view chosen);

    platform::Platform& platform_;
};

}  // namespace qb::windows
