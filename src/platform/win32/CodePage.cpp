// Text leaving the program in the system's ANSI code page, converted once at the edge.
#include <windows.h>

#include <string>

#include "platform/Error.h"
#include "platform/Platform.h"

namespace qb::platform {

std::string ToAnsi(std::wstring_view text) {
    if (text.empty()) return {};
    const int n = WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()),
                                      nullptr, 0, nullptr, nullptr);
    if (n <= 0) ThrowLastError(L"WideCharToMultiByte");
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), out.data(), n,
                        nullptr, nullptr);
    return out;
}

std::wstring FromAnsi(std::string_view text) {
    if (text.empty()) return {};
    const int n = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()),
                                      nullptr, 0);
    if (n <= 0) ThrowLastError(L"MultiByteToWideChar");
    std::wstring out(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), out.data(), n);
    return out;
}

namespace {

// Converts character by character, a surrogate pair being one; `missing` is called for each one
// the code page lacks. A best-fit look-alike counts as lacking: on code page 932 it would turn a
// yen sign into a backslash.
template <typename Missing>
std::string ConvertEach(std::wstring_view text, Missing missing) {
    // Where the ANSI code page is UTF-8 every character fits, and the best-fit flags are refused.
    const bool utf8 = GetACP() == CP_UTF8;
    std::string out;
    out.reserve(text.size() * 2);
    for (std::size_t at = 0; at < text.size();) {
        const bool pair = IS_HIGH_SURROGATE(text[at]) && at + 1 < text.size() &&
                          IS_LOW_SURROGATE(text[at + 1]);
        const int units = pair ? 2 : 1;
        char bytes[8];
        BOOL lacking = FALSE;
        const int n = WideCharToMultiByte(CP_ACP, utf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS,
                                          text.data() + at, units, bytes, sizeof bytes, nullptr,
                                          utf8 ? nullptr : &lacking);
        if (n <= 0 || lacking) missing(out);
        else out.append(bytes, static_cast<std::size_t>(n));
        at += static_cast<std::size_t>(units);
    }
    return out;
}

}  // namespace

std::string NameToAnsi(std::wstring_view name) {
    return ConvertEach(name, [](std::string& out) { out += '_'; });
}

std::optional<std::string> ToAnsiExactly(std::wstring_view text) {
    bool exact = true;
    std::string out = ConvertEach(text, [&](std::string&) { exact = false; });
    if (!exact) return std::nullopt;
    return out;
}

}  // namespace qb::platform
