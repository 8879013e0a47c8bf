#pragma once
// Where the text to restore comes from, read in pieces and from the start again for the second
// pass. Whatever the source's encoding, the scanner sees bytes in which lines are found:
// UTF-8, or the ANSI code page, whose double-byte characters never hold a CR or LF.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <vector>

#include "platform/Platform.h"

namespace qb::restore {

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

// A file opened afresh by `open` for each pass; the size is the one taken at each open.
class FileBytes final : public ByteSource {
public:
    explicit FileBytes(std::function<std::unique_ptr<platform::InputFile>()> open)
        : open_(std::move(open)) {}
    std::size_t Read(std::span<std::uint8_t> out) override;
    void Rewind() override { file_.reset(); }

private:
    std::function<std::unique_ptr<platform::InputFile>()> open_;
    std::unique_ptr<platform::InputFile> file_;
    std::uint64_t left_ = 0;
};

struct Piece {
    std::size_t size;       // bytes of text written
    std::uint64_t consumed; // bytes the source used up for them: what progress counts
};

class TextSource {
public:
    // Pieces are never asked for into less room than this.
    static constexpr std::size_t kMinRoom = 64;
    virtual ~TextSource() = default;
    // The next bytes of the text; size 0 only at its end.
    virtual Piece Read(std::span<char> out) = 0;
    virtual void Rewind() = 0;
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

}  // namespace qb::restore
