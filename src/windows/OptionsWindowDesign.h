#pragma once
// The options window's design table: its controls and menu bar, in twips.

#include <array>

#include "product/AppInfo.h"
#include "product/Resources.h"
#include "windows/Layout.h"

namespace qb::windows::options_window {

// As drawn: c1 addToMenuBox, e exitButton, a applyButton, file fileMenu, ap menuApply, line1 fileMenuSeparator, ex menuExit, help helpMenu, manual menuGuide, home menuHomePage, line2 helpMenuSeparator, about menuAbout.
// Added since: menuRestoreClipboard, menuRestoreFile and restoreMenuSeparator, the restore road;
// partsMenuSeparator and menuPartSettings, the parts setting; menuCopyScript, the receiver script.
enum class Id {
    addToMenuBox, exitButton, applyButton,
    fileMenu, menuApply, fileMenuSeparator, menuRestoreClipboard, menuRestoreFile, menuCopyScript,
    partsMenuSeparator, menuPartSettings, restoreMenuSeparator, menuExit,
    helpMenu, menuGuide, menuHomePage, helpMenuSeparator, menuAbout,
};

constexpr std::array kControls{
    ControlDesign{Id::addToMenuBox, ControlKind::CheckBox, L"添加到文件的右键菜单", 210, 150, 2385, 405, 2},
    ControlDesign{Id::exitButton, ControlKind::Button, L"退出(&X)", 1770, 720, 1095, 375, 1},
    ControlDesign{Id::applyButton, ControlKind::Button, L"应用(&A)", 210, 720, 1095, 375, 0},
};

constexpr std::array kMenu{
    MenuDesign{Id::fileMenu, 0, L"文件(&F)"},
    MenuDesign{Id::menuApply, 1, L"应用(&A)"},
    MenuDesign{Id::fileMenuSeparator, 1, L"-"},
    MenuDesign{Id::menuRestoreClipboard, 1, L"从剪切板还原文件(&R)..."},
    MenuDesign{Id::menuRestoreFile, 1, L"从UUE文件还原(&O)..."},
    MenuDesign{Id::menuCopyScript, 1, L"复制接收脚本(&S)..."},
    MenuDesign{Id::partsMenuSeparator, 1, L"-"},
    MenuDesign{Id::menuPartSettings, 1, L"分段设置(&P)..."},
    MenuDesign{Id::restoreMenuSeparator, 1, L"-"},
    MenuDesign{Id::menuExit, 1, L"退出(&X)"},
    MenuDesign{Id::helpMenu, 0, L"帮助(&H)"},
    MenuDesign{Id::menuGuide, 1, L"使用指南(&M)"},
    MenuDesign{Id::menuHomePage, 1, L"软件主页(&H)"},
    MenuDesign{Id::helpMenuSeparator, 1, L"-"},
    MenuDesign{Id::menuAbout, 1, L"关于Quillbox(&A)"},
};

// Neither button answers Enter or Esc.
constexpr FormDesign kDesign{
    product::kTitle, Border::Sizable, 3195, 1335, kControls, {}, {}, {}, kMenu, IDI_QUILLBOX,
};
static_assert(RowsInIdOrder(kDesign));

}  // namespace qb::windows::options_window
