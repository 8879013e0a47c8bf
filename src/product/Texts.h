#pragma once
// What the program says to the user, word for word.

#include <string_view>

namespace qb::product::text {

inline constexpr std::wstring_view kOpenFailed = L"文件打开失败";
inline constexpr std::wstring_view kAskLarge = L"当文件太大的话操作将需要很长时间，真的要继续吗？";
inline constexpr std::wstring_view kEmpty = L"该文件是空文件";
inline constexpr std::wstring_view kOnClipboard = L"转换完毕，已经设置了剪切板，可以直接粘贴";
inline constexpr std::wstring_view kSideFileWritten = L"由于文件大于10M，没有设置剪切板，生成了UUE文件";
inline constexpr std::wstring_view kTooLarge =
    L"文件太大，无法编码：Quillbox 最多能编码 766,958,445 字节（约 731 MB）的文件。";
inline constexpr std::wstring_view kOutOfMemory = L"内存不足，无法读入并编码整个文件。";
inline constexpr std::wstring_view kTrailerLabel = L"官方网站：";

inline constexpr std::wstring_view kAdded = L"已经添加到右键菜单";
inline constexpr std::wstring_view kAddFailed = L"写注册表失败";
inline constexpr std::wstring_view kRemoved = L"右键菜单已经清除";
inline constexpr std::wstring_view kRemoveFailed = L"删除注册表失败";

// The progress window of a long job: "正在转换 NAME" over "已完成 X MB / Y MB".
inline constexpr std::wstring_view kConverting = L"正在转换 ";
inline constexpr std::wstring_view kDone = L"已完成 ";

// What could not be done, in the user's words; the system's own message and the error code follow.
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

}  // namespace qb::product::text
