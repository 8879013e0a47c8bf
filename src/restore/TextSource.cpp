#include "restore/TextSource.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "platform/Failure.h"

namespace qb::restore {

std::size_t MemoryBytes::Read(std::span<std::uint8_t> out) {
    const std::size_t n = std::min(out.size(), bytes_.size() - at_);
    std::memcpy(out.data(), bytes_.data() + at_, n);
    at_ += n;
    return n;
}

std::size_t FileBytes::Read(std::span<std::uint8_t> out) {
    const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(out.size(), left_));
    if (n > 0) file_->Read(out.first(n));
    left_ -= n;
    return n;
}

namespace {

char* PutUtf8(char32_t c, char* o) {
    if (c < 0x80) {
        *o++ = static_cast<char>(c);
    } else if (c < 0x800) {
        *o++ = static_cast<char>(0xC0 | c >> 6);
        *o++ = static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        *o++ = static_cast<char>(0xE0 | c >> 12);
        *o++ = static_cast<char>(0x80 | (c >> 6 & 0x3F));
        *o++ = static_cast<char>(0x80 | (c & 0x3F));
    } else {
        *o++ = static_cast<char>(0xF0 | c >> 18);
        *o++ = static_cast<char>(0x80 | (c >> 12 & 0x3F));
        *o++ = static_cast<char>(0x80 | (c >> 6 & 0x3F));
        *o++ = static_cast<char>(0x80 | (c & 0x3F));
    }
    return o;
}

constexpr char32_t kReplacement = 0xFFFD;
bool IsHigh(char16_t u) { return u >= 0xD800 && u <= 0xDBFF; }
bool IsLow(char16_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

}  // namespace

std::size_t Utf16ToUtf8::Convert(std::span<const char16_t> units, char* out) {
    char* o = out;
    for (const char16_t u : units) {
        if (high_ != 0) {
            if (IsLow(u)) {
                o = PutUtf8(0x10000 + ((char32_t{high_} - 0xD800) << 10) + (u - 0xDC00), o);
                high_ = 0;
                continue;
            }
            o = PutUtf8(kReplacement, o);
            high_ = 0;
        }
        if (IsHigh(u)) high_ = u;
        else if (IsLow(u)) o = PutUtf8(kReplacement, o);
        else o = PutUtf8(u, o);
    }
    return static_cast<std::size_t>(o - out);
}

std::size_t Utf16ToUtf8::Finish(char* out) {
    if (high_ == 0) return 0;
    high_ = 0;
    return static_cast<std::size_t>(PutUtf8(kReplacement, out) - out);
}

void EncodedText::Rewind() {
    bytes_.Rewind();
    kind_ = Kind::kUnknown;
    pending_.clear();
    oddByte_ = false;
    finished_ = false;
    convert_.Reset();
}

Piece EncodedText::Read(std::span<char> out) {
    std::uint64_t consumed = 0;
    if (kind_ == Kind::kUnknown) {
        pending_.resize(3);
        pending_.resize(bytes_.Read(pending_));
        consumed = pending_.size();
        const auto starts = [&](std::initializer_list<std::uint8_t> bom) {
            return pending_.size() >= bom.size() && std::equal(bom.begin(), bom.end(), pending_.begin());
        };
        std::size_t skip = 0;
        if (starts({0xEF, 0xBB, 0xBF})) kind_ = Kind::kBytes, skip = 3;
        else if (starts({0xFF, 0xFE})) kind_ = Kind::kUtf16Le, skip = 2;
        else if (starts({0xFE, 0xFF})) kind_ = Kind::kUtf16Be, skip = 2;
        else kind_ = Kind::kBytes;
        pending_.erase(pending_.begin(), pending_.begin() + static_cast<long>(skip));
    }

    if (kind_ == Kind::kBytes) {
        const std::size_t head = pending_.size();
        std::memcpy(out.data(), pending_.data(), head);
        pending_.clear();
        const std::size_t n = bytes_.Read({reinterpret_cast<std::uint8_t*>(out.data()) + head, out.size() - head});
        return {head + n, consumed + n};
    }

    // UTF-16: as many units as surely fit at 3 bytes each, with room for three broken characters
    // more: a high surrogate left open before them, one at the end, and a lone last byte.
    const std::size_t room = (out.size() - 9) / 3 * 2;
    raw_.resize(room);
    std::size_t have = 0;
    if (oddByte_) raw_[have++] = odd_;
    const std::size_t fromPending = std::min(pending_.size(), room - have);
    std::memcpy(raw_.data() + have, pending_.data(), fromPending);
    pending_.erase(pending_.begin(), pending_.begin() + static_cast<long>(fromPending));
    have += fromPending;
    const std::size_t n = bytes_.Read({raw_.data() + have, room - have});
    const bool ended = n < room - have;  // a byte source reads short only at its end
    consumed += n;
    have += n;
    oddByte_ = have % 2 != 0;
    if (oddByte_) odd_ = raw_[--have];

    std::vector<char16_t> units(have / 2);
    const bool le = kind_ == Kind::kUtf16Le;
    for (std::size_t i = 0; i < units.size(); ++i)
        units[i] = static_cast<char16_t>(le ? raw_[2 * i] | raw_[2 * i + 1] << 8
                                            : raw_[2 * i] << 8 | raw_[2 * i + 1]);
    std::size_t size = convert_.Convert(units, out.data());
    if (ended && !finished_) {
        // The end: a high surrogate left open, or a lone last byte, is one broken character.
        finished_ = true;
        size += convert_.Finish(out.data() + size);
        if (oddByte_) size += static_cast<std::size_t>(PutUtf8(kReplacement, out.data() + size) - (out.data() + size));
        oddByte_ = false;
    }
    return {size, consumed};
}

void Utf16Text::Rewind() {
    at_ = 0;
    finished_ = false;
    convert_.Reset();
}

Piece Utf16Text::Read(std::span<char> out) {
    std::uint64_t consumed = 0;
    if (at_ == 0 && !text_.empty() && text_[0] == 0xFEFF) at_ = 1, consumed = 2;
    const std::size_t n = std::min((out.size() - 6) / 3, text_.size() - at_);
    std::size_t size = convert_.Convert(text_.subspan(at_, n), out.data());
    consumed += 2 * n;
    at_ += n;
    if (at_ == text_.size() && !finished_) {
        finished_ = true;
        size += convert_.Finish(out.data() + size);
    }
    return {size, consumed};
}

std::size_t ScratchBytes::Read(std::span<std::uint8_t> out) {
    const auto n = static_cast<std::size_t>(std::min<std::uint64_t>(out.size(), file_->Size() - at_));
    if (n > 0) file_->ReadAt(at_, out.first(n));
    at_ += n;
    return n;
}

std::unique_ptr<ScratchBytes> CopyText(platform::Files& files, std::u16string_view text,
                                       platform::JobProgress& progress) {
    auto scratch = files.Scratch();
    Utf16Text utf16({text.data(), text.size()});
    std::string piece(uue::kPieceSize, '\0');
    for (uue::Piece got; (got = utf16.Read(piece)).size > 0;) {
        if (progress.StopRequested()) throw platform::JobStopped{};
        scratch->Append(piece.data(), got.size);
        progress.Add(got.consumed);
    }
    return std::make_unique<ScratchBytes>(std::move(scratch));
}

}  // namespace qb::restore
