#pragma once
// The parts window's design table, in twips.

#include <array>

#include "product/AppInfo.h"
#include "product/Resources.h"
#include "product/Texts.h"
#include "windows/Layout.h"

namespace qb::windows::parts_window {

enum class Id { summary, state, bar, otherEnd, againButton, previousButton, nextButton, closeButton };

// The summary and the state are filled in when it opens, the state on up to two lines; the
// buttons tab from left to right.
constexpr std::array kControls{
    ControlDesign{Id::summary, ControlKind::Label, L"", 210, 210, 5370, 255, 4},
    ControlDesign{Id::state, ControlKind::Label, L"", 210, 585, 5370, 465, 5},
    ControlDesign{Id::bar, ControlKind::ProgressBar, L"", 210, 1185, 5370, 255, 6},
    ControlDesign{Id::otherEnd, ControlKind::Label, product::text::kOtherEnd, 210, 1560, 5370, 255, 7},
    ControlDesign{Id::againButton, ControlKind::Button, L"再放一次(&R)", 390, 1995, 1215, 375, 0},
    ControlDesign{Id::previousButton, ControlKind::Button, L"上一段(&P)", 1710, 1995, 1215, 375, 1},
    ControlDesign{Id::nextButton, ControlKind::Button, L"下一段(&N)", 3030, 1995, 1215, 375, 2},
    ControlDesign{Id::closeButton, ControlKind::Button, L"关闭", 4365, 1995, 1215, 375, 3},
};

constexpr FormDesign kDesign{
    product::kTitle, Border::FixedSingle, 5790, 2580, kControls, {}, Id::nextButton,
    Id::closeButton, {}, IDI_QUILLBOX,
};
static_assert(RowsInIdOrder(kDesign));

}  // namespace qb::windows::parts_window
