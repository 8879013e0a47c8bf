#pragma once
// The options window as drawn: its controls and menu bar, named as the design names them.

#include <array>

#include "product/AppInfo.h"
#include "product/Resources.h"
#include "windows/Layout.h"

namespace qb::windows::main_form {

enum class Id { c1, e, a, file, ap, line1, ex, help, manual, home, line2, about };

constexpr std::array kControls{
    ControlDesign{Id::c1, ControlKind::CheckBox, L"添加到文件的右键菜单", 210, 150, 2385, 405, 2},
    ControlDesign{Id::e, ControlKind::Button, L"退出(&X)", 1770, 720, 1095, 375, 1},
    ControlDesign{Id::a, ControlKind::Button, L"应用(&A)", 210, 720, 1095, 375, 0},
};

constexpr std::array kMenu{
    MenuDesign{Id::file, 0, L"文件(&F)"},
    MenuDesign{Id::ap, 1, L"应用(&A)"},
    MenuDesign{Id::line1, 1, L"-"},
    MenuDesign{Id::ex, 1, L"退出(&X)"},
    MenuDesign{Id::help, 0, L"帮助(&H)"},
    MenuDesign{Id::manual, 1, L"使用指南(&M)"},
    MenuDesign{Id::home, 1, L"软件主页(&H)"},
    MenuDesign{Id::line2, 1, L"-"},
    MenuDesign{Id::about, 1, L"关于Quillbox(&A)"},
};

// Neither button answers Enter or Esc.
constexpr FormDesign kDesign{
    product::kTitle, Border::Sizable, 3195, 1335, kControls, {}, {}, {}, kMenu, IDI_QUILLBOX,
};
static_assert(RowsInIdOrder(kDesign));

}  // namespace qb::windows::main_form
