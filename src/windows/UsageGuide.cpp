#include "windows/UsageGuide.h"

namespace qb::windows {

UsageGuide::UsageGuide(FormHost& host) : FormOf(host, usage_guide::kDesign) {}

std::wstring UsageGuide::UsageText() {
    std::wstring text(usage_guide::kFirstStep);
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

void UsageGuide::Load() { SetText(Id::guideText, UsageText()); }

void UsageGuide::Click(Id id) {
    switch (id) {
    case Id::okButton: Unload(); break;
    case Id::heading: case Id::guideText: break;
    }
}

}  // namespace qb::windows
