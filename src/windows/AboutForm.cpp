#include "windows/AboutForm.h"

#include <array>
#include <string>

#include "product/AppInfo.h"
#include "platform/Error.h"

namespace qb::windows {
namespace {

constexpr FontDesign kSong9{L"宋体", 900, FW_NORMAL, false, GB2312_CHARSET};
constexpr FontDesign kSong14Bold{L"宋体", 1425, FW_BOLD, false, GB2312_CHARSET};
// The address is plain ASCII, so a Western character set is enough.
constexpr FontDesign kSong9Link{L"宋体", 900, FW_NORMAL, true, ANSI_CHARSET};

constexpr COLORREF kBlack = RGB(0, 0, 0);

constexpr std::array kControls{
    ControlDesign{L"picIcon", ControlKind::Picture, L"", 300, 270, 540, 540, 1, &kSong9},
    ControlDesign{L"cmdOK", ControlKind::Button, L"确定", 4125, 2415, 1500, 405, 0, &kSong9},
    ControlDesign{L"URL", ControlKind::Label, product::kHomePage, 1080, 1230, 3345, 195, 6,
                &kSong9Link, RGB(0, 0, 192), true},
    ControlDesign{L"lblVersion", ControlKind::Label, L"", 1080, 750, 4365, 465, 5, &kSong9},
    ControlDesign{L"lblDescription", ControlKind::Label,
                L"    此工具可以将任何文件编码为可由WinRAR等工具还原的文本文件。", 1080, 1650, 4365,
                435, 2, &kSong9, kBlack},
    ControlDesign{L"lblTitle", ControlKind::Label, L"Quillbox", 1080, 240, 4365, 285, 4,
                &kSong14Bold, kBlack},
    ControlDesign{L"lblDisclaimer", ControlKind::Label,
                L"警告：本程序受著作权法保护。\r\n未经授权，不得复制或传播。", 255, 2415, 3300, 360,
                3, &kSong9, kBlack},
};

constexpr std::array kLines{
    LineDesign{L"Line1(1)", 90, 2160, 5654, 2160, RGB(128, 128, 128), 1, LineStyle::InsideSolid},
    LineDesign{L"Line1(0)", 120, 2190, 5669, 2190, RGB(255, 255, 255), 2, LineStyle::InsideSolid},
};

// Enter and Esc both close the box from anywhere in it.
constexpr FormDesign kAboutForm{
    L"", Border::FixedDialog, 5730, 3015, kControls, kLines, L"cmdOK", L"cmdOK",
};

}  // namespace

AboutForm::AboutForm(Session& session) : Form(session, kAboutForm) {}

HWND AboutForm::Owner() {
    if (!hiddenOwner_) {
        hiddenOwner_.reset(CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 0, 0, nullptr,
                                           nullptr, session().Instance(), nullptr));
        if (!hiddenOwner_) platform::ThrowLastError(L"CreateWindowEx");
    }
    return hiddenOwner_.get();
}

void AboutForm::Load() {
    SetCaption(L"关于 " + std::wstring(product::kTitle));
    const auto& v = product::kVersion;
    SetText(L"lblVersion", L"版本 " + std::to_wstring(v.major) + L"." + std::to_wstring(v.minor) +
                               L"." + std::to_wstring(v.revision));
    SetText(L"lblVersion", Text(L"lblVersion") + L"\r\n" + std::wstring(kRights));
    SetText(L"lblTitle", product::kTitle);
}

void AboutForm::Click(std::wstring_view control) {
    if (control == L"cmdOK") {
        Unload();
    } else if (control == L"URL") {
        // Style 1 shows the browser normally; a failure goes up to the program's error report.
        session().Launcher().Shell(L"explorer.exe " + std::wstring(product::kHomePage), 1);
    }
}

}  // namespace qb::windows
