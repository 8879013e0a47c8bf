#pragma once
// What the encoding road says to the user, word for word.

#include <string_view>

namespace qb::pipeline::text {

inline constexpr std::wstring_view kOpenFailed = L"文件打开失败";
inline constexpr std::wstring_view kAskLarge = L"当文件太大的话操作将需要很长时间，真的要继续吗？";
inline constexpr std::wstring_view kEmpty = L"该文件是空文件";
inline constexpr std::wstring_view kOnClipboard = L"转换完毕，已经设置了剪切板，可以直接粘贴";
inline constexpr std::wstring_view kSideFileWritten = L"由于文件大于10M，没有设置剪切板，生成了UUE文件";
inline constexpr std::wstring_view kTooLarge =
    L"文件太大，无法编码：Quillbox 最多能编码 766,958,445 字节（约 731 MB）的文件。";
inline constexpr std::wstring_view kOutOfMemory = L"内存不足，无法读入并编码整个文件。";
inline constexpr std::wstring_view kTrailerLabel = L"官方网站：";

}  // namespace qb::pipeline::text
