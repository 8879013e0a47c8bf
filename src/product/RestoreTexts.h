#pragma once
// What a restore says to the user, word for word. Names, paths and numbers go between the parts.

#include <string_view>

namespace qb::product::text {

// The file dialogs. Filters go in pairs: what the list shows, then the patterns it stands for.
inline constexpr std::wstring_view kPickUueTitle = L"选择UUE文件";
inline constexpr std::wstring_view kUueFilter = L"UUE 文件 (*.uue;*.uu)";
inline constexpr std::wstring_view kUuePatterns = L"*.uue;*.uu";
inline constexpr std::wstring_view kTextFilter = L"文本文档 (*.txt)";
inline constexpr std::wstring_view kTextPatterns = L"*.txt";
inline constexpr std::wstring_view kAllFilter = L"所有文件 (*.*)";
inline constexpr std::wstring_view kAllPatterns = L"*.*";

inline constexpr std::wstring_view kSaveRestoredTitle = L"保存还原的文件";
inline constexpr std::wstring_view kPickFolderTitle = L"选择保存还原文件的文件夹";

inline constexpr std::wstring_view kCheckingText = L"正在检查UUE文本";
inline constexpr std::wstring_view kRestoring = L"正在还原 ";

// "UUE文本不完整：NAME 缺少结尾的 end 行，可能在传输中被截断。没有生成任何文件。"
inline constexpr std::wstring_view kCutBefore = L"UUE文本不完整：";
inline constexpr std::wstring_view kCutUu = L" 缺少结尾的 end 行，可能在传输中被截断。没有生成任何文件。";
inline constexpr std::wstring_view kCutBase64 = L" 缺少结尾的 ==== 行，可能在传输中被截断。没有生成任何文件。";
// "UUE文本有错误：NAME 的第 N 行已损坏。没有生成任何文件。"
inline constexpr std::wstring_view kBadLineBefore = L"UUE文本有错误：";
inline constexpr std::wstring_view kBadLineMiddle = L" 的第 ";
inline constexpr std::wstring_view kBadLineAfter = L" 行已损坏。没有生成任何文件。";
inline constexpr std::wstring_view kNoTextOnClipboard = L"剪切板中没有UUE文本。";
// "第 N 行的 begin 行无法识别。"
inline constexpr std::wstring_view kUnreadableBeginBefore = L"第 ";
inline constexpr std::wstring_view kUnreadableBeginAfter = L" 行的 begin 行无法识别。";
inline constexpr std::wstring_view kFilesOnClipboard =
    L"剪切板中没有UUE文本。如果复制的是 .uue 文件本身，请用“从UUE文件还原”。";
inline constexpr std::wstring_view kNoTextInFile = L"文件中没有UUE文本：";
// "UUE文本中有 K 个文件，一次最多还原 100 个。没有生成任何文件。"
inline constexpr std::wstring_view kTooManyBefore = L"UUE文本中有 ";
inline constexpr std::wstring_view kTooManyAfter = L" 个文件，一次最多还原 100 个。没有生成任何文件。";
inline constexpr std::wstring_view kCannotReadClipboard = L"无法读取剪切板";
inline constexpr std::wstring_view kRestoreOutOfMemory = L"内存不足，无法还原文件。";
inline constexpr std::wstring_view kCannotRestore = L"无法还原文件";
// "路径太长：PATH 超过 Windows 允许的 259 个字符。请选择较短的文件夹或文件名。没有生成任何文件。"
inline constexpr std::wstring_view kPathTooLongBefore = L"路径太长：";
inline constexpr std::wstring_view kPathTooLongAfter =
    L" 超过 Windows 允许的 259 个字符。请选择较短的文件夹或文件名。没有生成任何文件。";
// "文件 PATH 已被其他程序创建，没有替换。没有生成任何文件。"
inline constexpr std::wstring_view kAppearedBefore = L"文件 ";
inline constexpr std::wstring_view kAppearedAfter = L" 已被其他程序创建，没有替换。没有生成任何文件。";
// "分段不全：NAME 缺少第 3、5 段。没有生成任何文件。", past ten numbers "缺少第 1、…、10 等 M 段"
inline constexpr std::wstring_view kPartsMissingBefore = L"分段不全：";
inline constexpr std::wstring_view kPartsMissingMiddle = L" 缺少第 ";
inline constexpr std::wstring_view kPartsMissingMore = L" 等 ";
inline constexpr std::wstring_view kPartsMissingAfter = L" 段。没有生成任何文件。";
inline constexpr std::wstring_view kPartsListSeparator = L"、";
// "分段合并后的文件与发送方的不一致：NAME 的 SHA-256 不同。没有生成任何文件。"
inline constexpr std::wstring_view kPartsDifferBefore = L"分段合并后的文件与发送方的不一致：";
inline constexpr std::wstring_view kPartsDifferAfter = L" 的 SHA-256 不同。没有生成任何文件。";
// "UUE文件在还原过程中被改动了：PATH。没有生成任何文件。"
inline constexpr std::wstring_view kChangedBefore = L"UUE文件在还原过程中被改动了：";
inline constexpr std::wstring_view kChangedAfter = L"。没有生成任何文件。";

// Of several files picked at once, a report names the file: "…（文件 PATH）。没有生成任何文件。"
inline constexpr std::wstring_view kInFileBefore = L"（文件 ";
inline constexpr std::wstring_view kInFileAfter = L"）";
inline constexpr std::wstring_view kNothingWritten = L"。没有生成任何文件。";

// The receiving window: "正在接收 NAME（共 N 段）", "已收到 K 段，还缺第 a、b 段" and the state line.
inline constexpr std::wstring_view kReceivingBefore = L"正在接收 ";
inline constexpr std::wstring_view kReceivingMiddle = L"（共 ";
inline constexpr std::wstring_view kReceivingAfter = L" 段）";
inline constexpr std::wstring_view kReceivedBefore = L"已收到 ";
inline constexpr std::wstring_view kReceivedMissing = L" 段，还缺第 ";
inline constexpr std::wstring_view kReceivedAfter = L" 段";
// "第 K 段已经收到过了。"
inline constexpr std::wstring_view kPartRepeatedBefore = L"第 ";
inline constexpr std::wstring_view kPartRepeatedAfter = L" 段已经收到过了。";
// "第 K 段已损坏（第 L 行），请重新复制这一段。"
inline constexpr std::wstring_view kPartDamagedBefore = L"第 ";
inline constexpr std::wstring_view kPartDamagedMiddle = L" 段已损坏（第 ";
inline constexpr std::wstring_view kPartDamagedAfter = L" 行），请重新复制这一段。";
// "剪切板中是另一个文件（NAME）的分段，已忽略。"
inline constexpr std::wstring_view kOtherSetBefore = L"剪切板中是另一个文件（";
inline constexpr std::wstring_view kOtherSetAfter = L"）的分段，已忽略。";
// "已收到 K 段，还缺第 3、5 段。请复制第 3 段。"
inline constexpr std::wstring_view kCopyBefore = L"。请复制第 ";
inline constexpr std::wstring_view kCopyAfter = L" 段。";
// "正在核对 SHA-256……", then "全部 N 段已收到，SHA-256 与发送方一致。"
inline constexpr std::wstring_view kCheckingJoined = L"正在核对 SHA-256……";
inline constexpr std::wstring_view kAllPartsInBefore = L"全部 ";
inline constexpr std::wstring_view kAllPartsInAfter = L" 段已收到，SHA-256 与发送方一致。";
// "已收到 K 段。放弃这些分段吗？"
inline constexpr std::wstring_view kDiscardBefore = L"已收到 ";
inline constexpr std::wstring_view kDiscardAfter = L" 段。放弃这些分段吗？";
// "剪切板中的分段与它的标记不符（NAME 第 K 段）。没有生成任何文件。"
inline constexpr std::wstring_view kMisfitBefore = L"剪切板中的分段与它的标记不符（";
inline constexpr std::wstring_view kMisfitMiddle = L" 第 ";
inline constexpr std::wstring_view kMisfitAfter = L" 段）。没有生成任何文件。";
// Below a joined file's SHA-256 in the outcome.
inline constexpr std::wstring_view kMatchesSender = L"SHA-256 与发送方一致";

// The outcome: one file on three lines, or several with a line each for at most ten.
inline constexpr std::wstring_view kRestoredFile = L"已还原文件：";
inline constexpr std::wstring_view kSize = L"大小：";
inline constexpr std::wstring_view kBytes = L" 字节";
inline constexpr std::wstring_view kSha256 = L"SHA-256：";
inline constexpr std::wstring_view kRestoredManyBefore = L"已还原 ";
inline constexpr std::wstring_view kRestoredManyMiddle = L" 个文件到 ";
inline constexpr std::wstring_view kRestoredManyAfter = L"：";
inline constexpr std::wstring_view kMoreBefore = L"……另有 ";
inline constexpr std::wstring_view kMoreAfter = L" 个文件";
inline constexpr std::size_t kListedFiles = 10;
// After the outcome, when lines were completed with zeros:
// "注意：第 L 行等 N 行的末尾缺少字符，已按零补齐。请用 SHA-256 与发送方核对。"
inline constexpr std::wstring_view kFilledBefore = L"注意：第 ";
inline constexpr std::wstring_view kFilledMiddle = L" 行等 ";
inline constexpr std::wstring_view kFilledAfter = L" 行的末尾缺少字符，已按零补齐。";
inline constexpr std::wstring_view kFilledCompare = L"请用 SHA-256 与发送方核对。";

}  // namespace qb::product::text
