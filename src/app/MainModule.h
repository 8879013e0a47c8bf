#pragma once
// Where every run begins: a file path on the command line runs one encode job; none launches the
// home page and shows the options window.

#include <string_view>

#include "platform/Platform.h"

namespace qb::app {

// Returns the process exit code.
int Main(std::wstring_view commandLine, platform::Platform& p);

}  // namespace qb::app
