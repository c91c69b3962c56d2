#include "pipeline/page_text_decoder.h"

#include <algorithm>

#include "pipeline/page_encoding.h"
#include "platform/memory_pages.h"
#include "platform/utf.h"

namespace quillmoor {
namespace {

constexpr std::string_view kUtf16LittleEndianMark = "\xFF\xFE";
constexpr std::string_view kUtf16BigEndianMark = "\xFE\xFF";
// Bytes are decoded in pieces of at most this size, which keep the piece, its decoded text
// and the place it goes to in the processor's fastest caches.
constexpr std::size_t kPieceBytes = 16 * 1024;
// Texts of at least this many bytes are worth large pages.
constexpr std::size_t kLargeTextBytes = std::size_t{4} << 20;

}  // namespace

PageTextDecoder::PageTextDecoder(const AnsiCodePage& code_page, std::size_t spare_units)
    : code_page_(code_page), spare_units_(spare_units) {}

void PageTextDecoder::Expect(std::uint64_t bytes) {
    expected_bytes_ = bytes;
}

void PageTextDecoder::Take(std::string_view block) {
    if (form_ == Form::kUndecided) {
        if (!held_.empty() || block.size() < kUtf8ByteOrderMark.size()) {
            held_ += block;
            const std::size_t mark = DecideForm(held_, false);
            if (form_ == Form::kUndecided) {
                return;
            }
            const std::string first = held_.substr(mark);
            held_.clear();
            Feed(first);
            return;
        }
        block.remove_prefix(DecideForm(block, false));
    }
    Feed(block);
}

std::u16string PageTextDecoder::Finish() {
    if (form_ == Form::kUndecided) {
        const std::string first = held_.substr(DecideForm(held_, true));
        held_.clear();
        Feed(first);
    }
    switch (form_) {
        case Form::kUtf8:
            DecodeUtf8(held_);
            break;
        case Form::kUtf16LittleEndian:
        case Form::kUtf16BigEndian:
            if (!held_.empty()) {  // a file of odd length
                decoded_.assign(1, kReplacementCharacter);
                AppendDecoded();
            }
            break;
        case Form::kCodePageInPieces:
            decoded_.clear();
            code_page_.DecodeAppend(held_, decoded_);
            AppendDecoded();
            break;
        case Form::kCodePageWhole:
            code_page_.DecodeAppend(held_, text_);
            text_.reserve(text_.size() + LineBreakGrowth(text_) + spare_units_);
            NormalizeLineBreaks(text_);
            break;
        case Form::kUndecided:
            break;
    }
    held_.clear();
    if (text_.capacity() < text_.size() + spare_units_) {
        text_.reserve(text_.size() + spare_units_);
    }
    return std::move(text_);
}

bool PageTextDecoder::FoundByteOrderMark() const {
    return marked_;
}

bool PageTextDecoder::FoundInvalidUtf8() const {
    return !marked_ && form_ == Form::kUtf8 && !well_formed_;
}

std::size_t PageTextDecoder::DecideForm(std::string_view first_bytes, bool at_end) {
    if (first_bytes.starts_with(kUtf8ByteOrderMark)) {
        form_ = Form::kUtf8;
        marked_ = true;
        ReserveText();
        return kUtf8ByteOrderMark.size();
    }
    // The start of a mark, which the next bytes may complete.
    const bool mark_may_follow =
        !at_end && (kUtf8ByteOrderMark.starts_with(first_bytes) ||
                    (first_bytes.size() < 2 && (kUtf16LittleEndianMark.starts_with(first_bytes) ||
                                                kUtf16BigEndianMark.starts_with(first_bytes))));
    if (mark_may_follow) {
        return 0;
    }
    std::size_t mark = 0;
    if (first_bytes.starts_with(kUtf16LittleEndianMark)) {
        form_ = Form::kUtf16LittleEndian;
        marked_ = true;
        mark = kUtf16LittleEndianMark.size();
    } else if (first_bytes.starts_with(kUtf16BigEndianMark)) {
        form_ = Form::kUtf16BigEndian;
        marked_ = true;
        mark = kUtf16BigEndianMark.size();
    } else if (code_page_.IsUtf8()) {
        form_ = Form::kUtf8;
    } else {
        form_ =
            code_page_.PieceEnd({}).has_value() ? Form::kCodePageInPieces : Form::kCodePageWhole;
    }
    ReserveText();
    return mark;
}

void PageTextDecoder::ReserveText() {
    const auto bytes = static_cast<std::size_t>(expected_bytes_);
    if (form_ == Form::kCodePageWhole) {
        held_.reserve(bytes);
        return;
    }
    // No byte gives more than one code unit. Line breaks that grow are rarely more than
    // one in eight units; where there are more, the text grows as it must.
    const bool utf16 = form_ == Form::kUtf16LittleEndian || form_ == Form::kUtf16BigEndian;
    const std::size_t units = utf16 ? bytes / 2 : bytes;
    text_.reserve(units + units / 8 + 2 * kPieceBytes + spare_units_);
    if (units * sizeof(char16_t) >= kLargeTextBytes) {
        PreferLargePages(text_.data(), text_.capacity() * sizeof(char16_t));
    }
}

void PageTextDecoder::Feed(std::string_view bytes) {
    if (form_ == Form::kCodePageWhole) {
        held_ += bytes;
        return;
    }
    if (!held_.empty()) {
        // Complete the character held back with the first bytes: no character is longer
        // than four bytes.
        const std::size_t held_before = held_.size();
        held_ += bytes.substr(0, 4);
        const std::size_t end = CompleteEnd(held_);
        if (end <= held_before) {
            return;  // bytes were too few to complete it; all of them are held now
        }
        DecodeWhole(std::string_view(held_).substr(0, end));
        bytes.remove_prefix(end - held_before);
        held_.clear();
    }
    const std::size_t end = CompleteEnd(bytes);
    DecodeWhole(bytes.substr(0, end));
    held_.assign(bytes.substr(end));
}

std::size_t PageTextDecoder::CompleteEnd(std::string_view bytes) const {
    switch (form_) {
        case Form::kUtf8:
            return Utf8PieceEnd(bytes);
        case Form::kUtf16LittleEndian:
        case Form::kUtf16BigEndian:
            return bytes.size() & ~std::size_t{1};
        case Form::kCodePageInPieces:
            return code_page_.PieceEnd(bytes).value_or(0);
        case Form::kUndecided:
        case Form::kCodePageWhole:
            break;
    }
    return 0;
}

void PageTextDecoder::DecodeWhole(std::string_view bytes) {
    for (std::size_t start = 0; start < bytes.size();) {
        std::string_view piece = bytes.substr(start, kPieceBytes);
        if (start + piece.size() < bytes.size()) {
            piece = piece.substr(0, CompleteEnd(piece));
        }
        start += piece.size();
        if (form_ == Form::kUtf8) {
            DecodeUtf8(piece);
            continue;
        }
        decoded_.clear();
        switch (form_) {
            case Form::kUtf16LittleEndian:
            case Form::kUtf16BigEndian: {
                const bool big_endian = form_ == Form::kUtf16BigEndian;
                decoded_.resize(piece.size() / 2);
                const auto byte = [&piece](std::size_t i) {
                    return static_cast<unsigned char>(piece[i]);
                };
                for (std::size_t i = 0; i < decoded_.size(); ++i) {
                    decoded_[i] = big_endian
                                      ? static_cast<char16_t>(byte(2 * i) << 8 | byte(2 * i + 1))
                                      : static_cast<char16_t>(byte(2 * i + 1) << 8 | byte(2 * i));
                }
                break;
            }
            case Form::kCodePageInPieces:
                code_page_.DecodeAppend(piece, decoded_);
                break;
            case Form::kUtf8:
            case Form::kUndecided:
            case Form::kCodePageWhole:
                break;
        }
        AppendDecoded();
    }
}

void PageTextDecoder::DecodeUtf8(std::string_view bytes) {
    const std::size_t used = text_.size();
    text_.resize(used + 2 * bytes.size());
    char16_t* const end = line_breaks_.WriteDecodedUtf8(bytes, text_.data() + used, well_formed_);
    text_.resize(static_cast<std::size_t>(end - text_.data()));
}

void PageTextDecoder::AppendDecoded() {
    const std::size_t used = text_.size();
    text_.resize(used + 2 * decoded_.size());
    char16_t* const end = line_breaks_.Write(decoded_, text_.data() + used);
    text_.resize(static_cast<std::size_t>(end - text_.data()));
}

}  // namespace quillmoor
