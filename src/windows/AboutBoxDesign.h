#pragma once
// The About box's design table, with its own fonts.

#include <array>

#include "product/AppInfo.h"
#include "product/Resources.h"
#include "windows/Layout.h"

namespace qb::windows::about_box {

// As drawn: picIcon icon, cmdOK okButton, URL homePageLink, lblVersion versionLabel, lblDescription descriptionLabel, lblTitle titleLabel, lblDisclaimer noticeLabel.
enum class Id { icon, okButton, homePageLink, versionLabel, descriptionLabel, titleLabel, noticeLabel };

constexpr FontDesign kSong9{L"宋体", 900, kNormalWeight, false, Charset::Gb2312};
constexpr FontDesign kSong14Bold{L"宋体", 1425, kBoldWeight, false, Charset::Gb2312};
// The address is plain ASCII, so a Western character set is enough.
constexpr FontDesign kSong9Link{L"宋体", 900, kNormalWeight, true, Charset::Western};

constexpr Colour kBlack{0, 0, 0};

constexpr std::array kControls{
    ControlDesign{Id::icon, ControlKind::Picture, L"", 300, 270, 540, 540, 1, &kSong9},
    ControlDesign{Id::okButton, ControlKind::Button, L"确定", 4125, 2415, 1500, 405, 0, &kSong9},
    ControlDesign{Id::homePageLink, ControlKind::Label, product::kHomePage, 1080, 1230, 3345, 195, 6,
                  &kSong9Link, Colour{0, 0, 192}, IDC_HAND_POINT},
    ControlDesign{Id::versionLabel, ControlKind::Label, L"", 1080, 750, 4365, 465, 5, &kSong9},
    ControlDesign{Id::descriptionLabel, ControlKind::Label,
                  L"    此工具可以将任何文件编码为可由WinRAR等工具还原的文本文件。", 1080, 1650,
                  4365, 435, 2, &kSong9, kBlack},
    ControlDesign{Id::titleLabel, ControlKind::Label, L"Quillbox", 1080, 240, 4365, 285, 4,
                  &kSong14Bold, kBlack},
    ControlDesign{Id::noticeLabel, ControlKind::Label,
                  L"警告：本程序受著作权法保护。\r\n未经授权，不得复制或传播。", 255, 2415, 3300,
                  360, 3, &kSong9, kBlack},
};

// A grey line over a white one: an etched separator above the button row.
constexpr std::array kLines{
    LineDesign{90, 2160, 5654, 2160, {128, 128, 128}, 1},
    LineDesign{120, 2190, 5669, 2190, {255, 255, 255}, 2},
};

// Enter and Esc both close the box from anywhere in it.
constexpr FormDesign kDesign{
    L"", Border::FixedDialog, 5730, 3015, kControls, kLines, Id::okButton, Id::okButton, {},
    IDI_QUILLBOX,
};
static_assert(RowsInIdOrder(kDesign));

}  // namespace qb::windows::about_box
