#include "platform/Process.h"

#include <system_error>
#include <utility>

#include "platform/Paths.h"

namespace qb::platform {

ProgramLocation LocationOfProgram(std::wstring_view path) {
    const auto [directory, file] = SplitPath(path);
    const auto dot = file.find_last_of(L'.');
    const auto name = dot != std::wstring_view::npos && dot > 0 ? file.substr(0, dot) : file;
    return {std::wstring(directory), std::wstring(name)};
}

std::jthread Process::StartWorker(std::function<void()> job) {
    try {
        return std::jthread(std::move(job));
    } catch (const std::system_error&) {
        return {};  // out of threads: the caller works inline
    }
}

}  // namespace qb::platform
