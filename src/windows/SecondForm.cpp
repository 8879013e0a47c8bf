#include "windows/SecondForm.h"

#include <array>

namespace qb::windows {
namespace {

constexpr std::wstring_view kFirstStep =
    L"1、当添加到了文件的右键菜单时，只需要在要复制的文件上点右键，然后点\"Quillbox\"";

constexpr std::array kControls{
    ControlDesign{L"Command1", ControlKind::Button, L"确定", 3120, 2910, 1245, 375, 1},
    ControlDesign{L"Label2", ControlKind::Label, L"使用指南：", 210, 210, 1065, 225, 2},
    ControlDesign{L"Label1", ControlKind::Label, kFirstStep, 180, 600, 7005, 1935, 0},
};

// A grey line over a white one: an etched separator above the button.
constexpr std::array kLines{
    LineDesign{L"Line1(1)", 120, 2700, 7350, 2700, RGB(128, 128, 128), 1, LineStyle::InsideSolid},
    LineDesign{L"Line1(0)", 120, 2730, 7350, 2730, RGB(255, 255, 255), 2, LineStyle::InsideSolid},
};

// Neither a default nor a cancel button: Esc leaves the guide open, Enter presses only the
// focused button.
constexpr FormDesign kSecondForm{
    L"Quillbox 使用指南", Border::FixedSingle, 7515, 3420, kControls, kLines, L"", L"",
};

}  // namespace

SecondForm::SecondForm(Session& session) : Form(session, kSecondForm) {}

std::wstring SecondForm::UsageText() {
    std::wstring text(kFirstStep);
    text += L"\r\n";
    text += L"    如果没有添加到右键菜单，你可以托动文件到本程序文件上。";
    text += L"\r\n\r\n";
    text += L"2、对该文件进行编码并设置到剪切板，然后弹出成功对话框。";
    text += L"\r\n\r\n";
    text += L"3、最后你就可以直接粘贴到远程服务器上或是论坛帖子中了";
    text += L"\r\n\r\n";
    text += L"4、把编码后的内容复制到“记事本”中，另存为temp.uue文件名。";
    text += L"\r\n\r\n";
    text += L"5、用WinRAR或其他工具将temp.uue文件解压就会得到最初的文件。";
    return text;
}

void SecondForm::Load() { SetText(L"Label1", UsageText()); }

void SecondForm::Click(std::wstring_view control) {
    if (control == L"Command1") Unload();
}

}  // namespace qb::windows
