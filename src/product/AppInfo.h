#pragma once
// What the program says about itself: shown in captions, the About box and the trailer line. The
// resource script reads the version and the rights line from here too.

#include "product/Version.h"

#define QB_RIGHTS "Copyright (C) 2026 Quillbox Tools"

#ifndef RC_INVOKED
#include <string_view>

namespace qb::product {

inline constexpr std::wstring_view kTitle = L"Quillbox";
inline constexpr std::wstring_view kHomePage = L"http://quillbox.example.com/";
inline constexpr std::wstring_view kVersion = L"" QB_VERSION;
inline constexpr std::wstring_view kRights = L"" QB_RIGHTS;

}  // namespace qb::product
#endif
