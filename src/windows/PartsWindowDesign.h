#pragma once
// The parts window's design table, in twips.

#include <array>

#include "product/AppInfo.h"
#include "product/Resources.h"
#include "product/Texts.h"
#include "windows/Layout.h"

namespace qb::windows::parts_window {

enum class Id { summary, state, bar, otherEnd, againButton, previousButton, nextButton, scriptButton, closeButton };

// The summary and the state are filled in when it opens, the state on up to two lines; the
// buttons tab from left to right.
constexpr std::array kControls{
    ControlDesign{Id::summary, ControlKind::Label, L"", 210, 210, 7590, 255, 5},
    ControlDesign{Id::state, ControlKind::Label, L"", 210, 585, 7590, 465, 6},
    ControlDesign{Id::bar, ControlKind::ProgressBar, L"", 210, 1185, 7590, 255, 7},
    ControlDesign{Id::otherEnd, ControlKind::Label, product::text::kOtherEnd, 210, 1560, 7590, 255, 8},
    ControlDesign{Id::againButton, ControlKind::Button, L"再放一次(&R)", 210, 1995, 1215, 375, 0},
    ControlDesign{Id::previousButton, ControlKind::Button, L"上一段(&P)", 1530, 1995, 1215, 375, 1},
    ControlDesign{Id::nextButton, ControlKind::Button, L"下一段(&N)", 2850, 1995, 1215, 375, 2},
    ControlDesign{Id::scriptButton, ControlKind::Button, L"对方没有Quillbox(&W)...", 4170, 1995, 2310, 375, 3},
    ControlDesign{Id::closeButton, ControlKind::Button, L"关闭", 6585, 1995, 1215, 375, 4},
};

constexpr FormDesign kDesign{
    product::kTitle, Border::FixedSingle, 8010, 2580, kControls, {}, Id::nextButton,
    Id::closeButton, {}, IDI_QUILLBOX,
};
static_assert(RowsInIdOrder(kDesign));

}  // namespace qb::windows::parts_window
