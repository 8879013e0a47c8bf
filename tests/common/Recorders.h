#pragma once
// The message boxes, dialogs, launches and process a test stands in for, shared by the native and
// the Wine tests. The box and the dialogs answer as scripted; the launcher records, or fails like a
// missing program would; the process lives where the test says and its end, like the real one,
// never returns.

#include <algorithm>
#include <cstdint>
#include <cwctype>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/Error.h"
#include "platform/Platform.h"

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
    // A progress window among the boxes: its heading, with this style. It stands until the job ends.
    static constexpr unsigned kProgressWindow = ~0u;
    void ShowProgress(std::wstring_view heading, platform::JobProgress& progress) override {
        shown.push_back({std::wstring(heading), kProgressWindow});
        progress.WaitFinished();
    }
    std::vector<std::wstring> Texts() const {
        std::vector<std::wstring> t;
        for (const auto& b : shown) t.push_back(b.text);
        return t;
    }
};

class FakeDialogs : public platform::Dialogs {
public:
    std::deque<std::wstring> first;      // what the dialogs answer first, in order
    std::optional<std::wstring> chosen;  // and then every time; nothing: Cancel
    std::vector<std::wstring> proposed;  // names the Save As dialog proposed
    bool broken = false;                 // the folder picker fails, as with no shell to show it
    std::function<void()> whileOpen;     // what other programs do while Save As is open
    // Several files picked at once are one answer, a line each.
    std::vector<std::wstring> PickTextFiles(std::uintptr_t) override {
        std::vector<std::wstring> paths;
        if (const auto answer = Next())
            for (std::size_t at = 0; at <= answer->size();) {
                const std::size_t end = std::min(answer->find(L'\n', at), answer->size());
                paths.push_back(answer->substr(at, end - at));
                at = end + 1;
            }
        return paths;
    }
    std::optional<std::wstring> PickSavePath(std::uintptr_t, const std::wstring& name,
                                             const std::wstring&) override {
        proposed.push_back(name);
        if (whileOpen) whileOpen();
        return Next();
    }
    std::optional<std::wstring> PickFolder(std::uintptr_t) override {
        if (broken) throw platform::Error(L"CoCreateInstance", 0x80040154, L"没有注册类",
                                          platform::ErrorKind::kHResult);
        return Next();
    }

private:
    std::optional<std::wstring> Next() {
        if (first.empty()) return chosen;
        const std::wstring answer = first.front();
        first.pop_front();
        return answer;
    }
};

// The stored setting as the registry keeps it: a value out of range reads as none.
class FakeSettings : public platform::Settings {
public:
    std::optional<std::uint32_t> stored;
    bool refuse = false;  // a write the system refuses, as a locked-down profile would
    std::uint32_t PartChars() override {
        return stored && *stored >= platform::kMinPartChars && *stored <= platform::kMaxPartChars ? *stored : 0;
    }
    void SetPartChars(std::uint32_t chars) override {
        if (refuse) throw platform::Error(L"RegSetValueEx", 5, L"拒绝访问。");
        stored = chars ? std::optional(chars) : std::nullopt;
    }
};

// A stand-in digest that depends on every byte: the real SHA-256 is the system's, tested there.
class FakeHashing : public platform::Hashing {
public:
    std::unique_ptr<platform::Sha256> NewSha256() override {
        struct Sum final : platform::Sha256 {
            platform::Sha256Digest d{};
            void Update(std::span<const std::uint8_t> b) override {
                for (auto x : b) d[x % 32]++;
            }
            platform::Sha256Digest Finish() override { return d; }
        };
        return std::make_unique<Sum>();
    }
};

class FakeLauncher : public platform::Launcher {
public:
    using Call = std::pair<std::wstring, int>;
    std::vector<Call> launched;  // Shell: command line and window style
    std::vector<Call> opened;    // ShellOpen: target and show command
    std::vector<std::uintptr_t> owners;
    bool fail = false;
    void StartProgram(const std::wstring& commandLine, int windowStyle) override {
        if (fail) throw platform::Error(L"CreateProcess", 2, L"系统找不到指定的文件。");
        launched.emplace_back(commandLine, windowStyle);
    }
    void ShellOpen(std::uintptr_t owner, std::wstring_view target, int showCommand) override {
        owners.push_back(owner);
        opened.emplace_back(target, showCommand);
    }
    std::optional<std::uint32_t> exitCode = 0;  // the elevated second copy's; nothing: declined
    struct Started final : platform::StartedProgram {
        explicit Started(std::uint32_t code) : code(code) {}
        std::uintptr_t Handle() const override { return 0; }
        std::uint32_t ExitCode() override { return code; }
        std::uint32_t code;
    };
    std::unique_ptr<platform::StartedProgram> StartElevated(std::uintptr_t owner,
                                                            const std::wstring& program,
                                                            std::wstring_view argument) override {
        owners.push_back(owner);
        StartProgram(program + L" " + std::wstring(argument), 1);  // recorded, or failing to start
        return exitCode ? std::make_unique<Started>(*exitCode) : nullptr;
    }
};

class FakeProcess : public platform::Process {
public:
    platform::ProgramLocation location{L"D:\\Tools", L"Quillbox"};
    std::wstring file;  // the running file; empty: "<location>.exe"
    bool lost = false;  // the system cannot say where the program is
    bool elevated = true;
    bool IsElevated() override { return elevated; }
    std::wstring File() override {
        if (lost) throw platform::Error(L"GetModuleFileName", 122, L"传递给系统调用的数据区域太小。");
        if (!file.empty()) return file;
        return platform::JoinPath(location.directory, location.name + L".exe");
    }
    // Names compared as Windows does, without regard to case; there are no links here.
    bool IsThisProgram(const std::wstring& path) override {
        const std::wstring self = File();
        return std::equal(path.begin(), path.end(), self.begin(), self.end(),
                          [](wchar_t a, wchar_t b) { return std::towlower(a) == std::towlower(b); });
    }
    struct Exited {
        int code;
    };
    [[noreturn]] void ExitNow(int code) override { throw Exited{code}; }
    // A system out of threads: every worker the program asks for is refused.
    bool noThreads = false;
    std::jthread StartWorker(std::function<void()> job) override {
        return noThreads ? std::jthread() : Process::StartWorker(std::move(job));
    }
};

}  // namespace qb::testing
