#pragma once
// The parts setting's design table, in twips.

#include <array>

#include "product/Resources.h"
#include "product/Texts.h"
#include "windows/Layout.h"
#include "windows/PartChoice.h"

namespace qb::windows::part_settings {

enum class Id { explanation, limitLabel, limitBox, unitLabel, okButton, cancelButton };

constexpr std::array kControls{
    ControlDesign{Id::explanation, ControlKind::Label, product::text::kPartSettingsExplained, 210, 210, 5850, 735, 0},
    ControlDesign{Id::limitLabel, ControlKind::Label, L"每段最多：", 210, 1155, 990, 255, 1},
    // Sized by its widest entry; the list drops 2,100 twips.
    ControlDesign{Id::limitBox, ControlKind::ComboBox, kPartChoices.back().label, 1230, 1095, 3900, 2100, 2},
    ControlDesign{Id::unitLabel, ControlKind::Label, L"个字符", 5190, 1155, 870, 255, 3},
    ControlDesign{Id::okButton, ControlKind::Button, L"确定", 3510, 1740, 1215, 375, 4},
    ControlDesign{Id::cancelButton, ControlKind::Button, L"取消", 4845, 1740, 1215, 375, 5},
};

constexpr FormDesign kDesign{
    L"分段设置", Border::FixedDialog, 6270, 2325, kControls, {}, Id::okButton, Id::cancelButton, {},
    IDI_QUILLBOX,
};
static_assert(RowsInIdOrder(kDesign));

}  // namespace qb::windows::part_settings
