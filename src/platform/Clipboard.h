#pragma once
// The clipboard: its text read, and a text put on it.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>

namespace qb::platform {

enum class ClipboardContent {
    kText,
    kFiles,  // no text, but files copied in Explorer
    kNone,   // no text (an empty text counts as none)
};

// A buffer of a fixed size that becomes visible to the user only on Commit. Dropping it
// uncommitted leaves nothing behind, and closes the clipboard if it was opened.
class ClipboardBuffer {
public:
    virtual ~ClipboardBuffer() = default;
    virtual std::span<char> Bytes() = 0;
    // Opens the clipboard, waiting a while for another program to let go of it, and asking
    // `stopped` meanwhile: false, and the clipboard untouched, if the user stopped first. Throws
    // Error if it stays busy.
    virtual bool Open(const std::function<bool()>& stopped) = 0;
    // Once opened: empties the clipboard and puts the text on it.
    virtual void Commit() = 0;
};

class Clipboard {
public:
    virtual ~Clipboard() = default;
    // Hands `use` the Unicode text where the clipboard keeps it, up to its first NUL and never
    // past its memory block, and returns what the clipboard held; `use` runs only for a text, and
    // every other program waits to use the clipboard meanwhile. Throws Error when the clipboard
    // cannot be opened or read; what `use` throws goes up, the clipboard closed first.
    virtual ClipboardContent ReadText(const std::function<void(std::u16string_view)>& use) = 0;
    // Plain text in the ANSI code page, to be opened and committed. `transient` keeps it out of
    // the clipboard history (Windows 10 and later), as for one of many parts of a file.
    virtual std::unique_ptr<ClipboardBuffer> Text(std::size_t bytes, bool transient = false) = 0;
    // One short line for another program to read, as Unicode text and in the ANSI code page, kept
    // out of the clipboard history. Returns the clipboard's sequence number just after, by which
    // this change is told from other programs'. Throws Error when the clipboard stays busy.
    virtual std::uint32_t PutLine(std::u16string_view line) = 0;
    // Changes with every change of the clipboard's content, by any program.
    virtual std::uint32_t Sequence() = 0;
};

}  // namespace qb::platform
