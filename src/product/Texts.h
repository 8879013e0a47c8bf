#pragma once
// What the program says to the user, word for word.

#include <string_view>

namespace qb::product::text {

inline constexpr std::wstring_view kFileOpenFailed = L"文件打开失败";
inline constexpr std::wstring_view kAskLarge = L"当文件太大的话操作将需要很长时间，真的要继续吗？";
inline constexpr std::wstring_view kEmpty = L"该文件是空文件";
inline constexpr std::wstring_view kOnClipboard = L"转换完毕，已经设置了剪切板，可以直接粘贴";
inline constexpr std::wstring_view kSideFileWritten = L"由于文件大于10M，没有设置剪切板，生成了UUE文件";
inline constexpr std::wstring_view kTooLarge =
    L"文件太大，无法编码：Quillbox 最多能编码 766,958,445 字节（约 731 MB）的文件。";
inline constexpr std::wstring_view kOutOfMemory = L"内存不足，无法读入并编码整个文件。";
inline constexpr std::wstring_view kTrailerLabel = L"官方网站：";
// The name a restored file gets when its header leaves nothing usable.
inline constexpr std::wstring_view kUnnamed = L"未命名";

inline constexpr std::wstring_view kAdded = L"已经添加到右键菜单";
inline constexpr std::wstring_view kAddFailed = L"写注册表失败";
inline constexpr std::wstring_view kRemoved = L"右键菜单已经清除";
inline constexpr std::wstring_view kRemoveFailed = L"删除注册表失败";

// The progress window of a long job: "正在转换 NAME" over "已完成 X MB / Y MB".
inline constexpr std::wstring_view kConverting = L"正在转换 ";
inline constexpr std::wstring_view kDone = L"已完成 ";

// What could not be done, in the user's words; the system's own message and the error code follow.
inline constexpr std::wstring_view kCannotOpen = L"无法打开文件 ";
inline constexpr std::wstring_view kCannotRead = L"无法读取文件 ";
inline constexpr std::wstring_view kCannotWrite = L"无法写入文件 ";
inline constexpr std::wstring_view kCannotSetClipboard = L"无法设置剪切板";
inline constexpr std::wstring_view kCannotOpenHomePage = L"无法打开主页";
inline constexpr std::wstring_view kCannotShowWindow = L"无法显示选项窗口";
// A fault of the program itself, followed by what is known about it.
inline constexpr std::wstring_view kInternalError = L"程序内部出错，已停止：";

// Stand in for the system's message where it has none of its own.
inline constexpr std::wstring_view kFileShrank = L"文件在读取时变短了，请重试。";
inline constexpr std::wstring_view kUnknownError = L"未知错误";

// The About box's caption and version line go before the program's name and version.
inline constexpr std::wstring_view kAboutCaption = L"关于 ";
inline constexpr std::wstring_view kVersionLine = L"版本 ";

inline constexpr std::wstring_view kUsageGuide =
    L"1、当添加到了文件的右键菜单时，只需要在要复制的文件上点右键，然后点\"Quillbox\"\r\n"
    L"    如果没有添加到右键菜单，你可以托动文件到本程序文件上。\r\n\r\n"
    L"2、对该文件进行编码并设置到剪切板，然后弹出成功对话框。\r\n\r\n"
    L"3、最后你就可以直接粘贴到远程服务器上或是论坛帖子中了\r\n\r\n"
    L"4、把编码后的内容复制到“记事本”中，另存为temp.uue文件名。\r\n\r\n"
    L"5、用WinRAR或其他工具将temp.uue文件解压就会得到最初的文件。";
// The guide as drawn shows only its first line until the whole guide is loaded.
inline constexpr std::wstring_view kUsageFirstStep =
    kUsageGuide.substr(0, kUsageGuide.find(L"\r\n"));

// The parts setting.
inline constexpr std::wstring_view kPartSettingsExplained =
    L"聊天软件和远程桌面的剪切板一次只能传一定长度的文本，超出的部分常被悄悄截掉。设置以后，超过这个长度的UUE文本会分成几段，每段都是完整的UUE块，Quillbox还原时自动合并。";
inline constexpr std::wstring_view kNoParts = L"不分段";
inline constexpr std::wstring_view kPartCharsRange = L"请输入 1,000 到 100,000,000 之间的数字，或选择“不分段”。";
inline constexpr std::wstring_view kCannotSaveSetting = L"无法保存设置";

// "分段太小：NAME 每段至少需要 M 个字符。请在“分段设置”里选择更大的分段。"
inline constexpr std::wstring_view kPartsTooSmallBefore = L"分段太小：";
inline constexpr std::wstring_view kPartsTooSmallMiddle = L" 每段至少需要 ";
inline constexpr std::wstring_view kPartsTooSmallAfter = L" 个字符。请在“分段设置”里选择更大的分段。";
// "分段太多：NAME 需要分成 K 段，最多 9,999 段。请在“分段设置”里选择更大的分段。"
inline constexpr std::wstring_view kPartsTooManyBefore = L"分段太多：";
inline constexpr std::wstring_view kPartsTooManyMiddle = L" 需要分成 ";
inline constexpr std::wstring_view kPartsTooManyAfter = L" 段，最多 9,999 段。请在“分段设置”里选择更大的分段。";

// The parts window. "NAME 分为 N 段，每段不超过 L 个字符。"
inline constexpr std::wstring_view kPartsSummaryBefore = L" 分为 ";
inline constexpr std::wstring_view kPartsSummaryMiddle = L" 段，每段不超过 ";
inline constexpr std::wstring_view kPartsSummaryAfter = L" 个字符。";
// Of parts in a side file, instead: "已生成 NAME.uue（共 N 段），每段不超过 L 个字符。"
inline constexpr std::wstring_view kSideFilePartsBefore = L"已生成 ";
inline constexpr std::wstring_view kSideFilePartsMiddle = L"（共 ";
inline constexpr std::wstring_view kSideFilePartsAfter = L" 段），每段不超过 ";
// "第 K 段已放入剪切板，粘贴以后按“下一段”。", "第 N 段（最后一段）已放入剪切板。"
inline constexpr std::wstring_view kPartPutBefore = L"第 ";
inline constexpr std::wstring_view kPartPutAfter = L" 段已放入剪切板，粘贴以后按“下一段”。";
inline constexpr std::wstring_view kLastPartPutAfter = L" 段（最后一段）已放入剪切板。";
// The relay: "对方已收到第 K 段，第 J 段已放入剪切板。", "对方已收到全部 N 段，文件已核对无误，可以关闭了。" and
// "对方没有收到第 J 段，请按“再放一次”。"
inline constexpr std::wstring_view kRelayedBefore = L"对方已收到第 ";
inline constexpr std::wstring_view kRelayedMiddle = L" 段，第 ";
inline constexpr std::wstring_view kRelayedAfter = L" 段已放入剪切板。";
inline constexpr std::wstring_view kAllReceivedBefore = L"对方已收到全部 ";
inline constexpr std::wstring_view kAllReceivedAfter = L" 段，文件已核对无误，可以关闭了。";
// "收到一条不是回答本窗口的“全部收到”，已忽略。"
inline constexpr std::wstring_view kStrangeAllIn = L"收到一条不是回答本窗口的“全部收到”，已忽略。";
// "剪切板已被其他内容替换，接力暂停。按“再放一次”继续。", or before any answer came:
// "剪切板已被其他内容替换。按“再放一次”重新放入第 K 段。"
inline constexpr std::wstring_view kRelayPaused = L"剪切板已被其他内容替换，接力暂停。按“再放一次”继续。";
inline constexpr std::wstring_view kReplacedBefore = L"剪切板已被其他内容替换。按“再放一次”重新放入第 ";
inline constexpr std::wstring_view kReplacedAfter = L" 段。";
// "对方还没有收到全部分段。确定关闭吗？"
inline constexpr std::wstring_view kCloseEarly = L"对方还没有收到全部分段。确定关闭吗？";
// The receiver script put on the clipboard, from the parts window or the File menu.
inline constexpr std::wstring_view kScriptPut =
    L"接收脚本已放入剪切板。请在对方电脑上打开 PowerShell（在开始菜单中搜索 PowerShell），粘贴并按回车；"
    L"如果提示多行粘贴，选择“粘贴”。脚本收齐分段、核对 SHA-256 后，把文件保存到它显示的文件夹。";
inline constexpr std::wstring_view kWaitingForScript = L"等待对方的接收脚本……没有共用剪切板时，在对方复制每一段即可。";
// The parts window's line on what the other end does.
inline constexpr std::wstring_view kOtherEnd = L"对方：在 Quillbox 中选择“文件 → 从剪切板还原文件”。";
inline constexpr std::wstring_view kNotReceivedBefore = L"对方没有收到第 ";
inline constexpr std::wstring_view kNotReceivedAfter = L" 段，请按“再放一次”。";

}  // namespace qb::product::text
