#include "PosixPlatform.h"

#include <fcntl.h>
#include <iconv.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <utility>

#include "platform/Error.h"
#include "product/Texts.h"

namespace qb::platform {

namespace {
// `missing` is called for each character the target lacks; wchar_t is a whole code point here.
template <typename Missing>
std::string Convert(std::wstring_view text, const char* to, Missing missing) {
    iconv_t cd = iconv_open(to, "WCHAR_T");
    if (cd == reinterpret_cast<iconv_t>(-1)) ThrowLastError(L"iconv_open");
    std::string out(text.size() * 4 + 4, '\0');
    char* in = const_cast<char*>(reinterpret_cast<const char*>(text.data()));
    std::size_t inLeft = text.size() * sizeof(wchar_t);
    char* o = out.data();
    std::size_t outLeft = out.size();
    while (inLeft > 0 && iconv(cd, &in, &inLeft, &o, &outLeft) == static_cast<std::size_t>(-1)) {
        if (errno != EILSEQ) break;
        *o++ = missing();
        --outLeft;
        in += sizeof(wchar_t);
        inLeft -= sizeof(wchar_t);
    }
    iconv_close(cd);
    out.resize(out.size() - outLeft);
    return out;
}
}  // namespace

// Like WideCharToMultiByte: a character the code page lacks becomes '?'.
std::string ToAnsi(std::wstring_view text) {
    return Convert(text, "CP936", [] { return '?'; });
}

// Like MultiByteToWideChar: a byte that starts no character of the code page becomes U+FFFD.
std::wstring FromAnsi(std::string_view text) {
    iconv_t cd = iconv_open("WCHAR_T", "CP936");
    if (cd == reinterpret_cast<iconv_t>(-1)) ThrowLastError(L"iconv_open");
    std::wstring out(text.size() + 1, L'\0');
    char* in = const_cast<char*>(text.data());
    std::size_t inLeft = text.size();
    char* o = reinterpret_cast<char*>(out.data());
    std::size_t outLeft = out.size() * sizeof(wchar_t);
    while (inLeft > 0 && iconv(cd, &in, &inLeft, &o, &outLeft) == static_cast<std::size_t>(-1)) {
        if (errno != EILSEQ && errno != EINVAL) break;
        const wchar_t replacement = 0xFFFD;
        std::memcpy(o, &replacement, sizeof replacement);
        o += sizeof(wchar_t);
        outLeft -= sizeof(wchar_t);
        ++in;
        --inLeft;
    }
    iconv_close(cd);
    out.resize(out.size() - outLeft / sizeof(wchar_t));
    return out;
}

std::string NameToAnsi(std::wstring_view name) {
    return Convert(name, "CP936", [] { return '_'; });
}

std::optional<std::string> ToAnsiExactly(std::wstring_view text) {
    bool exact = true;
    std::string out = Convert(text, "CP936", [&] { exact = false; return '?'; });
    if (!exact) return std::nullopt;
    return out;
}

void ThrowError(std::wstring operation, std::uint32_t code, ErrorKind kind) {
    const char* m = std::strerror(static_cast<int>(code));
    throw Error(std::move(operation), code, std::wstring(m, m + std::strlen(m)), kind);
}

void ThrowLastError(std::wstring operation) {
    const int code = errno;
    ThrowError(std::move(operation), static_cast<std::uint32_t>(code));
}

namespace posix {

std::string ToUtf8(std::wstring_view text) {
    return Convert(text, "UTF-8", [] { return '?'; });
}

namespace {

class Fd {
public:
    explicit Fd(int fd) : fd_(fd) {}
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    ~Fd() {
        if (fd_ >= 0) ::close(fd_);
    }
    int get() const { return fd_; }
    int release() { return std::exchange(fd_, -1); }

private:
    int fd_;
};

// Each file through a temporary one beside it, all moved in at Commit; a name that is taken is
// numbered, as on Windows, unless the one file replaces.
class PosixFileSetWriter final : public FileSetWriter {
public:
    PosixFileSetWriter(std::wstring folder, Placement placement)
        : folder_(std::move(folder)), placement_(placement) {}
    ~PosixFileSetWriter() override {
        for (const auto& file : files_)
            if (!committed_) ::unlink(file.temp.c_str());
    }

    void NextFile(const std::wstring& name) override {
        const std::string path = ToUtf8(folder_) + "/" + ToUtf8(name);
        std::string temp = path + ".XXXXXX";
        const int fd = ::mkstemp(temp.data());
        if (fd < 0) ThrowLastError(L"mkstemp");
        fd_ = std::make_unique<Fd>(fd);
        files_.push_back({path, temp});
    }

    using FileSetWriter::Append;
    void Append(const void* bytes, std::size_t size) override {
        const auto* at = static_cast<const char*>(bytes);
        for (std::size_t done = 0; done < size;) {
            const ssize_t n = ::write(fd_->get(), at + done, size - done);
            if (n < 0) ThrowLastError(L"write");
            done += static_cast<std::size_t>(n);
        }
    }

    void Overwrite(std::uint64_t at, std::string_view bytes) override {
        if (::pwrite(fd_->get(), bytes.data(), bytes.size(), static_cast<off_t>(at)) != static_cast<ssize_t>(bytes.size()))
            ThrowLastError(L"pwrite");
    }

    std::vector<std::wstring> Commit() override {
        if (fd_ && ::close(fd_->release()) != 0) ThrowLastError(L"close");
        std::vector<std::wstring> placed;
        for (const auto& file : files_) {
            std::string target = file.path;
            for (int n = 2; placement_ == Placement::kNumbered && ::access(target.c_str(), F_OK) == 0; ++n)
                target = file.path + " (" + std::to_string(n) + ")";
            ::chmod(file.temp.c_str(), 0644);
            if (::rename(file.temp.c_str(), target.c_str()) != 0) ThrowLastError(L"rename");
            placed.push_back(std::filesystem::path(target).wstring());
        }
        committed_ = true;
        return placed;
    }

private:
    struct File {
        std::string path;
        std::string temp;
    };
    std::wstring folder_;
    Placement placement_;
    std::vector<File> files_;
    std::unique_ptr<Fd> fd_;
    bool committed_ = false;
};

// Unlinked at once: the system deletes it when the last handle goes.
class PosixScratchFile final : public ScratchFile {
public:
    PosixScratchFile() : fd_(Open()) {}
    std::uint64_t Size() const override { return size_; }
    void Append(const void* bytes, std::size_t size) override {
        if (::pwrite(fd_.get(), bytes, size, static_cast<off_t>(size_)) != static_cast<ssize_t>(size))
            ThrowLastError(L"pwrite");
        size_ += size;
    }
    void ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) override {
        if (::pread(fd_.get(), out.data(), out.size(), static_cast<off_t>(offset)) !=
            static_cast<ssize_t>(out.size()))
            ThrowError(L"pread", 38);
    }

private:
    static int Open() {
        std::string path = (std::filesystem::temp_directory_path() / "qbXXXXXX").string();
        const int fd = ::mkstemp(path.data());
        if (fd < 0) ThrowLastError(L"mkstemp");
        ::unlink(path.c_str());
        return fd;
    }
    Fd fd_;
    std::uint64_t size_ = 0;
};

class PosixInputFile final : public InputFile {
public:
    PosixInputFile(int fd, std::uint64_t size) : fd_(fd), size_(size) {}
    std::uint64_t Size() const override { return size_; }
    void Read(std::span<std::uint8_t> out) override {
        for (std::size_t at = 0; at < out.size();) {
            const ssize_t n = ::read(fd_.get(), out.data() + at, out.size() - at);
            if (n < 0) ThrowLastError(L"read");
            if (n == 0) throw Error(L"read", 38, std::wstring(product::text::kFileShrank));
            at += static_cast<std::size_t>(n);
        }
    }

    void Seek(std::uint64_t at) override {
        if (::lseek(fd_.get(), static_cast<off_t>(at), SEEK_SET) < 0) ThrowLastError(L"lseek");
    }

private:
    Fd fd_;
    std::uint64_t size_;
};

}  // namespace

std::wstring PosixFiles::FullPath(const std::wstring& path) {
    // Like GetFullPathName: joined to the working folder, "." and ".." folded, nothing looked up.
    if (path.empty()) return {};
    std::error_code failed;
    const auto full = std::filesystem::absolute(ToUtf8(path), failed).lexically_normal();
    if (failed) return {};
    // Its UTF-8 bytes as wide characters, whatever the locale.
    iconv_t cd = iconv_open("WCHAR_T", "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1)) return {};
    std::string bytes = full.native();
    std::wstring wide(bytes.size(), L'\0');
    char* in = bytes.data();
    char* out = reinterpret_cast<char*>(wide.data());
    std::size_t inLeft = bytes.size(), outLeft = wide.size() * sizeof(wchar_t);
    const bool whole = iconv(cd, &in, &inLeft, &out, &outLeft) != static_cast<std::size_t>(-1);
    iconv_close(cd);
    if (!whole) return {};
    wide.resize(wide.size() - outLeft / sizeof(wchar_t));
    return wide;
}

std::unique_ptr<InputFile> PosixFiles::OpenInput(const std::wstring& path, Sharing) {
    if (path.empty()) return nullptr;
    const std::string name = ToUtf8(path);
    Fd fd(::open(name.c_str(), O_RDONLY | O_CLOEXEC));
    struct stat st;
    if (fd.get() < 0) {
        const int code = errno;
        // Like Windows: a file that is there but closed to us gets its cause; a folder does not.
        if ((code == EACCES || code == EPERM) && ::stat(name.c_str(), &st) == 0 &&
            !S_ISDIR(st.st_mode))
            ThrowError(L"open", static_cast<std::uint32_t>(code));
        return nullptr;
    }
    if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) return nullptr;
    return std::make_unique<PosixInputFile>(fd.release(), static_cast<std::uint64_t>(st.st_size));
}

std::wstring PosixFiles::FindFileName(const std::wstring& path) {
    struct stat st;
    if (path.empty() || ::stat(ToUtf8(path).c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return {};
    return std::wstring(SplitPath(path).name);
}

std::unique_ptr<ScratchFile> PosixFiles::Scratch() { return std::make_unique<PosixScratchFile>(); }

std::unique_ptr<FileSetWriter> PosixFiles::WriteFiles(const std::wstring& folder,
                                                      Placement placement, const Origin&) {
    return std::make_unique<PosixFileSetWriter>(folder, placement);
}

}  // namespace posix
}  // namespace qb::platform
