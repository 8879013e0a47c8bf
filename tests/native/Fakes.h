#pragma once
// Stand-ins for the parts of the system that have no POSIX counterpart. They keep state the way the
// real ones do (a clipboard holds one text until replaced; a committed target is visible, a
// dropped one is not) rather than only recording calls.

#include <algorithm>
#include <cctype>
#include <cstring>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/Error.h"
#include "platform/Platform.h"
#include "PosixPlatform.h"
#include "TestPlatform.h"

namespace qb::testing {

class BufferTarget : public platform::ClipboardBuffer {
public:
    BufferTarget(std::size_t n, std::function<void(std::string)> commit, bool refuse,
                 std::function<void()> whileBusy)
        : bytes_(n, '\xCC'), commit_(std::move(commit)), refuse_(refuse),
          whileBusy_(std::move(whileBusy)) {}
    std::span<char> Bytes() override { return {bytes_.data(), bytes_.size()}; }
    bool Open(const std::function<bool()>& stopped) override {
        if (!whileBusy_) return true;
        whileBusy_();  // another program holds the clipboard a moment
        return !stopped();
    }
    void Commit() override {
        if (refuse_) throw platform::Error(L"OpenClipboard", 5, L"拒绝访问。");
        commit_(std::move(bytes_));
    }

private:
    std::string bytes_;
    std::function<void(std::string)> commit_;
    bool refuse_;
    std::function<void()> whileBusy_;
};

class FakeClipboard : public platform::Clipboard {
public:
    struct {
        platform::ClipboardContent content = platform::ClipboardContent::kNone;
        std::wstring text;
    } readable;  // what a reader finds there
    bool refuseRead = false;
    platform::ClipboardContent ReadText(const std::function<void(std::u16string_view)>& use) override {
        if (refuseRead) throw platform::Error(L"OpenClipboard", 5, L"拒绝访问。");
        if (readable.content == platform::ClipboardContent::kText)
            use(std::u16string(readable.text.begin(), readable.text.end()));
        return readable.content;
    }
    std::string text = "untouched";
    bool refuse = false;
    std::function<void()> onCommit;
    std::function<void()> whileBusy;  // runs while another program seems to hold the clipboard
    bool transient = false;  // the last text set was to stay out of the clipboard history
    std::unique_ptr<platform::ClipboardBuffer> Text(std::size_t bytes, bool keepOut) override {
        transient = keepOut;
        return std::make_unique<BufferTarget>(bytes, [this](std::string t) {
            if (onCommit) onCommit();
            text = std::move(t);
        }, refuse, whileBusy);
    }
    // Another program copies `copied`.
    void Copy(std::wstring copied) {
        readable = {platform::ClipboardContent::kText, std::move(copied)};
        ++sequence;
    }
    std::vector<std::string> lines;  // put by PutLine, in order; each is readable afterwards
    std::uint32_t sequence = 1;
    std::uint32_t PutLine(std::u16string_view line) override {
        if (refuse) throw platform::Error(L"OpenClipboard", 5, L"拒绝访问。");
        lines.emplace_back(line.begin(), line.end());
        Copy({line.begin(), line.end()});
        return sequence;
    }
    std::uint32_t Sequence() override { return sequence; }
};

// Real files, with ways to make the file system lie about a length or fail a read part-way.
class TestFiles : public platform::posix::PosixFiles {
public:
    std::optional<std::uint64_t> reportedLength;
    std::optional<std::size_t> refuseReadAfterBytes;  // as a network share that goes away
    int reads = 0;
    std::map<wchar_t, std::wstring> driveFolders;  // each drive's current folder, as Windows keeps it
    // Called before each read, the side file's appends and its commit, as the job reaches them.
    std::function<void(std::size_t readBefore)> onRead;
    std::function<void(std::string_view bytes)> onAppend;
    std::function<void()> onCommit;

    std::wstring FullPath(const std::wstring& path) override {
        // "C:name" is read against drive C's folder; any other path as POSIX reads it.
        const bool onDrive = path.size() > 2 && path[1] == L':' && path[2] != L'/' && driveFolders.contains(path[0]);
        return onDrive ? driveFolders[path[0]] + L'/' + path.substr(2) : PosixFiles::FullPath(path);
    }
    std::unique_ptr<platform::InputFile> OpenInput(const std::wstring& path,
                                                   platform::Sharing sharing = {}) override {
        class Faulty : public platform::InputFile {
        public:
            Faulty(std::unique_ptr<platform::InputFile> real, TestFiles& files)
                : real_(std::move(real)), files_(files) {}
            std::uint64_t Size() const override {
                return files_.reportedLength.value_or(real_->Size());
            }
            void Read(std::span<std::uint8_t> out) override {
                ++files_.reads;
                if (files_.onRead) files_.onRead(done_);
                if (files_.refuseReadAfterBytes && out.size() + done_ > *files_.refuseReadAfterBytes)
                    throw platform::Error(L"ReadFile", 64, L"指定的网络名不再可用。");
                done_ += out.size();
                real_->Read(out);
            }
            void Seek(std::uint64_t at) override {
                done_ = at;
                real_->Seek(at);
            }

        private:
            std::unique_ptr<platform::InputFile> real_;
            TestFiles& files_;
            std::size_t done_ = 0;
        };
        auto real = PosixFiles::OpenInput(path, sharing);
        if (!real) return real;
        return std::make_unique<Faulty>(std::move(real), *this);
    }
    // Refuses the write after `refuseAfterBytes` bytes, as a full disk does.
    std::optional<std::size_t> refuseAfterBytes;
    std::unique_ptr<platform::FileSetWriter> WriteFiles(const std::wstring& folder,
                                                        platform::Placement placement,
                                                        const platform::Origin& origin) override {
        class Refusing : public platform::FileSetWriter {
        public:
            Refusing(std::unique_ptr<platform::FileSetWriter> real, TestFiles& files)
                : real_(std::move(real)), files_(files),
                  room_(files.refuseAfterBytes.value_or(SIZE_MAX)) {}
            void NextFile(const std::wstring& name) override { real_->NextFile(name); }
            using FileSetWriter::Append;
            void Append(const void* bytes, std::size_t size) override {
                if (files_.onAppend) files_.onAppend({static_cast<const char*>(bytes), size});
                if (size > room_) throw platform::Error(L"WriteFile", 112, L"磁盘空间不足。");
                room_ -= size;
                real_->Append(bytes, size);
            }
            void Overwrite(std::uint64_t at, std::string_view bytes) override { real_->Overwrite(at, bytes); }
            std::vector<std::wstring> Commit() override {
                if (files_.onCommit) files_.onCommit();
                return real_->Commit();
            }

        private:
            std::unique_ptr<platform::FileSetWriter> real_;
            TestFiles& files_;
            std::size_t room_;
        };
        return std::make_unique<Refusing>(PosixFiles::WriteFiles(folder, placement, origin), *this);
    }
};

// One registry root as the system keeps it: a tree of keys, each with an optional default value,
// names compared without regard to case. An open key names its key by its path and goes stale when
// the key is deleted. Status codes are the system's.
class FakeRegistry : public platform::Registry {
public:
    static constexpr platform::RegistryStatus kNotFound = 2, kDenied = 5, kBadHandle = 6,
                                              kBadParameter = 87, kKeyDeleted = 1018;
    struct Value {
        std::uint32_t type;
        std::string bytes;  // with the terminating NUL, as stored
    };

    bool refuseCreate = false;
    bool refuseSet = false;

    platform::OpenedKey OpenKey(platform::RegistryRoot, const std::string& subkey) override {
        if (!Find(Split(subkey))) return {kNotFound, nullptr};
        return {0, std::make_unique<FakeKey>(Split(subkey), openKeys_)};
    }
    platform::OpenedKey CreateKey(platform::RegistryRoot, const std::string& subkey) override {
        if (refuseCreate) return {kDenied, nullptr};
        Make(Split(subkey));
        return {0, std::make_unique<FakeKey>(Split(subkey), openKeys_)};
    }
    platform::RegistryStatus SetValue(platform::RegistryRoot, const std::string& subkey,
                                      std::uint32_t type, const char* data,
                                      std::uint32_t length) override {
        lastSetLength = length;
        if (refuseSet) return kDenied;
        if (type != platform::kRegSz || !data) return kBadParameter;
        // Like the real call, the stored length comes from the text, not from `length`.
        Make(Split(subkey)).value = Value{type, std::string(data, std::strlen(data) + 1)};
        return 0;
    }
    platform::RegistryStatus DeleteKey(const platform::RegistryKey* key,
                                       const std::string& name) override {
        const auto* open = dynamic_cast<const FakeKey*>(key);
        if (!open) return kBadHandle;
        if (!Find(open->path)) return kKeyDeleted;
        Path target = open->path;
        for (auto& part : Split(name)) target.push_back(part);
        if (target.empty()) return kDenied;  // the root itself
        Key* victim = Find(target);
        if (!victim) return kNotFound;
        if (!victim->subkeys.empty()) return kDenied;
        const std::string leaf = target.back();
        target.pop_back();
        Find(target)->subkeys.erase(leaf);
        return 0;
    }
    // Test side: shape the tree and look at it.
    void Add(const std::string& path) { Make(Split(path)); }
    bool Has(const std::string& path) { return Find(Split(path)) != nullptr; }
    std::optional<Value> DefaultValue(const std::string& path) {
        const Key* k = Find(Split(path));
        return k ? k->value : std::nullopt;
    }
    // Every key's path as it was spelt when created, parents before children.
    std::vector<std::string> Paths() const {
        std::vector<std::string> out;
        List(root_, "", out);
        return out;
    }
    int OpenKeys() const { return openKeys_; }
    std::optional<std::uint32_t> lastSetLength;

private:
    using Path = std::vector<std::string>;
    class FakeKey final : public platform::RegistryKey {
    public:
        FakeKey(Path at, int& open) : path(std::move(at)), open_(open) { ++open_; }
        ~FakeKey() override { --open_; }
        FakeKey(const FakeKey&) = delete;
        FakeKey& operator=(const FakeKey&) = delete;
        const Path path;

    private:
        int& open_;
    };
    struct NoCase {
        bool operator()(const std::string& a, const std::string& b) const {
            return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                                [](unsigned char x, unsigned char y) {
                                                    return std::tolower(x) < std::tolower(y);
                                                });
        }
    };
    struct Key {
        std::map<std::string, Key, NoCase> subkeys;
        std::optional<Value> value;
    };

    static Path Split(const std::string& path) {
        Path parts;
        std::size_t at = 0;
        while (at < path.size()) {
            const auto end = std::min(path.find('\\', at), path.size());
            if (end > at) parts.push_back(path.substr(at, end - at));
            at = end + 1;
        }
        return parts;
    }
    Key* Find(const Path& path) {
        Key* k = &root_;
        for (const auto& part : path) {
            const auto it = k->subkeys.find(part);
            if (it == k->subkeys.end()) return nullptr;
            k = &it->second;
        }
        return k;
    }
    Key& Make(const Path& path) {
        Key* k = &root_;
        for (const auto& part : path) k = &k->subkeys[part];
        return *k;
    }
    static void List(const Key& k, const std::string& prefix, std::vector<std::string>& out) {
        for (const auto& [name, sub] : k.subkeys) {
            out.push_back(prefix + name);
            List(sub, prefix + name + "\\", out);
        }
    }

    Key root_;
    int openKeys_ = 0;
};

// Natively every part is a fake, with the POSIX files underneath.
using FakeSystem = TestPlatform<TestFiles, FakeClipboard, FakeHashing, FakeRegistry>;

}  // namespace qb::testing
