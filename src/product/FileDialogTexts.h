#pragma once
// The file dialogs of a restore, word for word. Filters go in pairs: what the list shows, then
// the patterns it stands for.

#include <string_view>

namespace qb::product::text {

inline constexpr std::wstring_view kPickUueTitle = L"选择UUE文件";
inline constexpr std::wstring_view kUueFilter = L"UUE 文件 (*.uue;*.uu)";
inline constexpr std::wstring_view kUuePatterns = L"*.uue;*.uu";
inline constexpr std::wstring_view kTextFilter = L"文本文档 (*.txt)";
inline constexpr std::wstring_view kTextPatterns = L"*.txt";
inline constexpr std::wstring_view kAllFilter = L"所有文件 (*.*)";
inline constexpr std::wstring_view kAllPatterns = L"*.*";

inline constexpr std::wstring_view kSaveRestoredTitle = L"保存还原的文件";
inline constexpr std::wstring_view kPickFolderTitle = L"选择保存还原文件的文件夹";

}  // namespace qb::product::text
