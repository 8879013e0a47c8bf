#pragma once
// The receiving window's design table, in twips.

#include <array>

#include "product/AppInfo.h"
#include "product/Resources.h"
#include "windows/Layout.h"

namespace qb::windows::receiving_window {

enum class Id { heading, progress, bar, state, saveButton, cancelButton };

// The lines are filled in as it opens and as parts come; the list of missing parts and the state
// may take two lines. 保存 shows once every part is in and Save As was left without saving.
constexpr std::array kControls{
    ControlDesign{Id::heading, ControlKind::Label, L"", 210, 210, 6780, 255, 2},
    ControlDesign{Id::progress, ControlKind::Label, L"", 210, 585, 6780, 465, 3},
    ControlDesign{Id::bar, ControlKind::ProgressBar, L"", 210, 1170, 6780, 255, 4},
    ControlDesign{Id::state, ControlKind::Label, L"", 210, 1545, 6780, 465, 5},
    ControlDesign{Id::saveButton, ControlKind::Button, L"保存(&S)...", 4440, 2130, 1215, 375, 0},
    ControlDesign{Id::cancelButton, ControlKind::Button, L"取消", 5775, 2130, 1215, 375, 1},
};

constexpr FormDesign kDesign{
    product::kTitle, Border::FixedSingle, 7200, 2715, kControls, {}, std::nullopt,
    Id::cancelButton, {}, IDI_QUILLBOX,
};
static_assert(RowsInIdOrder(kDesign));

}  // namespace qb::windows::receiving_window
