#pragma once
#include <filesystem>
#include <clocale>
#include <cwchar>
#include <fstream>
#include <string>
#include <vector>

namespace qb::testing {

class TempDir {
public:
    TempDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "qbtest.XXXXXX").string();
        path_ = ::mkdtemp(pattern.data());
    }
    ~TempDir() { std::filesystem::remove_all(path_); }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }

    std::filesystem::path Write(const std::string& name, const std::vector<std::uint8_t>& bytes) const {
        const auto p = path_ / std::filesystem::u8path(name);
        std::ofstream(p, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                 static_cast<std::streamsize>(bytes.size()));
        return p;
    }

private:
    std::filesystem::path path_;
};

inline std::string ReadAll(const std::filesystem::path& p) {
    std::ifstream f(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(f), {}};
}

}  // namespace qb::testing

namespace qb::testing {

// The path as the program receives it: UTF-8 bytes read as wide characters.
inline std::wstring Wide(const std::filesystem::path& p) {
    const std::string s = p.string();
    std::wstring w(s.size(), L'\0');
    std::mbstate_t state{};
    const char* src = s.c_str();
    w.resize(std::mbsrtowcs(w.data(), &src, w.size(), &state));
    return w;
}

}  // namespace qb::testing
