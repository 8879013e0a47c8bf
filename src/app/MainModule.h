#pragma once
// Where every run begins: a file path on the command line runs one encode job; none launches the
// home page and shows the options window.

#include <exception>
#include <string_view>

#include "platform/Platform.h"

namespace qb::app {

// Returns the process exit code. Never throws: whatever goes wrong ends in one report.
int Main(std::wstring_view commandLine, platform::Platform& p);

// Shows the one report of a failure nothing else handled, and returns its exit code.
int ReportUnexpected(platform::Ui& ui, std::exception_ptr failure);

}  // namespace qb::app
