#pragma once
// Where the text to restore comes from, as the scanner reads it: bytes from memory or a file,
// their encoding found and turned into UTF-8 where it is UTF-16.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <vector>

#include "platform/Platform.h"
#include "uue/TextScanner.h"

namespace qb::restore {

using uue::Piece;
using uue::TextSource;

// Raw bytes, in order. Read fills `out` and returns fewer bytes only at the end (0 there).
class ByteSource {
public:
    virtual ~ByteSource() = default;
    virtual std::size_t Read(std::span<std::uint8_t> out) = 0;
    virtual void Rewind() = 0;
};

class MemoryBytes final : public ByteSource {
public:
    explicit MemoryBytes(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
    std::size_t Read(std::span<std::uint8_t> out) override;
    void Rewind() override { at_ = 0; }

private:
    std::span<const std::uint8_t> bytes_;
    std::size_t at_ = 0;
};

// A file opened once for every pass, up to the size it had when it was opened.
class FileBytes final : public ByteSource {
public:
    explicit FileBytes(std::unique_ptr<platform::InputFile> file)
        : file_(std::move(file)), left_(file_->Size()) {}
    std::size_t Read(std::span<std::uint8_t> out) override;
    void Rewind() override {
        file_->Seek(0);
        left_ = file_->Size();
    }

private:
    std::unique_ptr<platform::InputFile> file_;
    std::uint64_t left_;
};

// UTF-16 to UTF-8, carried from one piece to the next; a lone surrogate becomes U+FFFD.
class Utf16ToUtf8 {
public:
    // Writes at most 3 bytes per unit, plus 3 for a high surrogate left open by the last piece.
    std::size_t Convert(std::span<const char16_t> units, char* out);
    // Whatever a piece left open, at the end of the text.
    std::size_t Finish(char* out);
    void Reset() { high_ = 0; }

private:
    char16_t high_ = 0;
};

// A text as stored in a file or as bytes: a UTF-8 BOM is skipped, a UTF-16 text with its BOM (LE
// or BE) is converted, anything else is passed on as it is.
class EncodedText final : public TextSource {
public:
    explicit EncodedText(ByteSource& bytes) : bytes_(bytes) {}
    Piece Read(std::span<char> out) override;
    void Rewind() override;

private:
    enum class Kind { kUnknown, kBytes, kUtf16Le, kUtf16Be };
    ByteSource& bytes_;
    Kind kind_ = Kind::kUnknown;
    std::vector<std::uint8_t> pending_;  // read while looking for the BOM, not yet passed on
    std::vector<std::uint8_t> raw_;
    bool oddByte_ = false;
    std::uint8_t odd_ = 0;
    bool finished_ = false;
    Utf16ToUtf8 convert_;
};

// UTF-16 text already in memory, as the clipboard gives it (no BOM needed; one is skipped).
// Progress counts its bytes: two per unit.
class Utf16Text final : public TextSource {
public:
    explicit Utf16Text(std::span<const char16_t> text) : text_(text) {}
    Piece Read(std::span<char> out) override;
    void Rewind() override;

private:
    std::span<const char16_t> text_;
    std::size_t at_ = 0;
    bool finished_ = false;
    Utf16ToUtf8 convert_;
};

// A scratch file's bytes, read as a file's.
class ScratchBytes final : public ByteSource {
public:
    explicit ScratchBytes(std::unique_ptr<platform::ScratchFile> file) : file_(std::move(file)) {}
    std::size_t Read(std::span<std::uint8_t> out) override;
    void Rewind() override { at_ = 0; }
    std::uint64_t Size() const { return file_->Size(); }

private:
    std::unique_ptr<platform::ScratchFile> file_;
    std::uint64_t at_ = 0;
};

// A clipboard text, copied out as UTF-8 into a scratch file so that it can be read once the
// clipboard is free again, and never held whole in memory. Runs while the clipboard is open,
// each piece counted into `progress`; throws Error when the scratch file cannot be written.
std::unique_ptr<ScratchBytes> CopyText(platform::Files& files, std::u16string_view text,
                                       platform::JobProgress& progress);

// A text from bytes it owns, as the scanner reads it.
class OwnedText final : public TextSource {
public:
    explicit OwnedText(std::unique_ptr<ByteSource> bytes) : bytes_(std::move(bytes)), text_(*bytes_) {}
    Piece Read(std::span<char> out) override { return text_.Read(out); }
    void Rewind() override { text_.Rewind(); }

private:
    std::unique_ptr<ByteSource> bytes_;
    EncodedText text_;
};

}  // namespace qb::restore
