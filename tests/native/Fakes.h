#pragma once
// Stand-ins for the parts of the system that have no POSIX counterpart. They keep state the way the
// real ones do (a clipboard holds one text until replaced; a committed target is visible, a
// dropped one is not) rather than only recording calls.

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "platform/Error.h"
#include "platform/Platform.h"
#include "platform/posix/PosixPlatform.h"

namespace qb::testing {

struct ShownBox {
    std::wstring text;
    unsigned style;
};

class FakeUi : public platform::Ui {
public:
    std::deque<int> answers;  // buttons to press, in order; OK (1) once they run out
    std::vector<ShownBox> shown;
    int Message(std::wstring_view text, unsigned style) override {
        shown.push_back({std::wstring(text), style});
        if (answers.empty()) return 1;
        const int a = answers.front();
        answers.pop_front();
        return a;
    }
};

class BufferTarget : public platform::TextTarget {
public:
    BufferTarget(std::size_t n, std::function<void(std::string)> commit, bool refuse)
        : bytes_(n, '\xCC'), commit_(std::move(commit)), refuse_(refuse) {}
    std::span<char> Bytes() override { return {bytes_.data(), bytes_.size()}; }
    void Commit() override {
        if (refuse_) throw platform::Error(L"OpenClipboard", 5, L"拒绝访问。");
        commit_(std::move(bytes_));
    }

private:
    std::string bytes_;
    std::function<void(std::string)> commit_;
    bool refuse_;
};

class FakeClipboard : public platform::Clipboard {
public:
    std::string text = "untouched";
    bool refuse = false;
    std::unique_ptr<platform::TextTarget> Text(std::size_t bytes) override {
        return std::make_unique<BufferTarget>(bytes, [this](std::string t) { text = std::move(t); },
                                              refuse);
    }
};

// Real files, with ways to make the file system lie about a length or refuse a read.
class TestFiles : public platform::posix::PosixFiles {
public:
    std::optional<std::uint64_t> reportedLength;
    bool refuseRead = false;
    int reads = 0;

    std::optional<std::uint64_t> FileLength(const std::wstring& path) override {
        return reportedLength ? reportedLength : PosixFiles::FileLength(path);
    }
    std::unique_ptr<platform::FileView> MapWhole(const std::wstring& path, std::uint64_t size) override {
        ++reads;
        if (refuseRead) throw platform::Error(L"CreateFile", 33, L"另一个程序已锁定文件的一部分，进程无法访问。");
        return PosixFiles::MapWhole(path, size);
    }
    // Refuses the write after `refuseAfterBytes` bytes, as a full disk does.
    std::optional<std::size_t> refuseAfterBytes;
    std::unique_ptr<platform::SideFileWriter> SideFile(const std::wstring& path) override {
        class Refusing : public platform::SideFileWriter {
        public:
            Refusing(std::unique_ptr<platform::SideFileWriter> real, std::size_t room)
                : real_(std::move(real)), room_(room) {}
            void Append(std::span<const char> bytes) override {
                if (bytes.size() > room_) throw platform::Error(L"WriteFile", 112, L"磁盘空间不足。");
                room_ -= bytes.size();
                real_->Append(bytes);
            }
            void Commit() override { real_->Commit(); }

        private:
            std::unique_ptr<platform::SideFileWriter> real_;
            std::size_t room_;
        };
        auto real = PosixFiles::SideFile(path);
        if (!refuseAfterBytes) return real;
        return std::make_unique<Refusing>(std::move(real), *refuseAfterBytes);
    }
};

class FakeLauncher : public platform::Launcher {
public:
    std::vector<std::pair<std::wstring, int>> launched;
    void Shell(const std::wstring& commandLine, int windowStyle) override {
        launched.emplace_back(commandLine, windowStyle);
    }
};

struct FakeSystem {
    FakeUi ui;
    TestFiles files;
    FakeClipboard clipboard;
    FakeLauncher launcher;
    platform::Platform Get() { return {ui, files, clipboard, launcher}; }
};

}  // namespace qb::testing
