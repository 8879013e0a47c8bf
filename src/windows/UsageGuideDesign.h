#pragma once
// The usage guide's design table.

#include <array>

#include "product/Resources.h"
#include "product/Texts.h"
#include "windows/Layout.h"

namespace qb::windows::usage_guide {

// As drawn: Command1 okButton, Label2 heading, Label1 guideText.
enum class Id { okButton, heading, guideText };

constexpr std::array kControls{
    ControlDesign{Id::okButton, ControlKind::Button, L"确定", 3120, 2910, 1245, 375, 1},
    ControlDesign{Id::heading, ControlKind::Label, L"使用指南：", 210, 210, 1065, 225, 2},
    // Drawn with the first step; loading puts the whole guide in.
    ControlDesign{Id::guideText, ControlKind::Label, product::text::kUsageFirstStep, 180, 600, 7005,
                  1935, 0},
};

// A grey line over a white one: an etched separator above the button.
constexpr std::array kLines{
    LineDesign{120, 2700, 7350, 2700, {128, 128, 128}, 1},
    LineDesign{120, 2730, 7350, 2730, {255, 255, 255}, 2},
};

// Neither a default nor a cancel button: Esc leaves the guide open, Enter presses only the
// focused button.
constexpr FormDesign kDesign{
    L"Quillbox 使用指南", Border::FixedSingle, 7515, 3420, kControls, kLines, {}, {}, {},
    IDI_QUILLBOX,
};
static_assert(RowsInIdOrder(kDesign));

}  // namespace qb::windows::usage_guide
