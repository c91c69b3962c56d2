#include "pipeline/line_break_normalizer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/utf.h"
#include "tests/pipeline/mixed_text.h"
#include "tests/support/example.h"

namespace quillmoor {
namespace {

using test_support::Example;

using namespace std::string_literals;

// Sizes of the pieces a text is cut into: a CR at the end of one piece and an LF at the
// start of the next, and pieces shorter and longer than the converters' blocks.
const size_t kPieceSizes[] = {1, 2, 3, 7, 15, 16, 17, 33, 1000, 1u << 20};

// Runs check(size, normalizer) for each piece size, with a new normalizer each time.
template <class Check>
void ForEachPieceSize(Check check) {
    for (const size_t size : kPieceSizes) {
        SCOPED_TRACE(size);
        LineBreakNormalizer normalizer;
        check(size, normalizer);
    }
}

TEST(LineBreakNormalizer, PiecesOfUtf16AreNormalizedAsOneText) {
    const std::u16string text = test_support::MixedText(5000);
    ForEachPieceSize([&](size_t size, LineBreakNormalizer& normalizer) {
        std::u16string result;
        for (size_t start = 0; start < text.size(); start += size) {
            const std::u16string_view piece = std::u16string_view(text).substr(start, size);
            // Exactly the room promised, so that a sanitizer sees any write past it.
            std::vector<char16_t> out(2 * piece.size());
            result.append(out.data(), normalizer.Write(piece, out.data()));
        }
        EXPECT_EQ(result, test_support::Normalized(text));
    });
}

TEST(LineBreakNormalizer, DecodesUtf8PiecesAsOneText) {
    // Malformed sequences among the characters: they decode as the whole-text decoder does.
    const std::string bytes = Utf16ToUtf8(test_support::MixedText(5000)) + "\xFF\r" + "\xE4\xB8\n" +
                              "\xED\xA0\x80" + Utf16ToUtf8(test_support::MixedText(300)) +
                              "\xE4\xB8";
    ForEachPieceSize([&](size_t size, LineBreakNormalizer& normalizer) {
        std::u16string result;
        bool well_formed = true;
        for (size_t start = 0; start < bytes.size();) {
            // Pieces end with whole sequences; the page decoder holds back the rest.
            const std::string_view rest = std::string_view(bytes).substr(start);
            size_t length = std::min(size, rest.size());
            while (length < rest.size() && Utf8PieceEnd(rest.substr(0, length)) == 0) {
                ++length;
            }
            if (length < rest.size()) {
                length = Utf8PieceEnd(rest.substr(0, length));
            }
            const std::string_view piece = rest.substr(0, length);
            std::vector<char16_t> out(2 * piece.size());
            result.append(out.data(), normalizer.WriteDecodedUtf8(piece, out.data(), well_formed));
            start += piece.size();
        }
        EXPECT_EQ(result, test_support::Normalized(Utf8ToUtf16(bytes)));
        EXPECT_FALSE(well_formed);
    });
    // Well-formed bytes leave well_formed as it was.
    const std::string good = Utf16ToUtf8(test_support::MixedText(5000));
    std::vector<char16_t> out(2 * good.size());
    bool well_formed = true;
    LineBreakNormalizer().WriteDecodedUtf8(good, out.data(), well_formed);
    EXPECT_TRUE(well_formed);
}

TEST(LineBreakNormalizer, EncodesUtf16PiecesAsOneText) {
    const std::u16string text = test_support::MixedText(5000);
    ForEachPieceSize([&](size_t size, LineBreakNormalizer& normalizer) {
        std::string result;
        bool well_formed = true;
        for (size_t start = 0; start < text.size();) {
            // Pieces never split a surrogate pair.
            size_t end = std::min(text.size(), start + size);
            if (end < text.size() && text[end - 1] >= 0xD800 && text[end - 1] <= 0xDBFF) {
                ++end;
            }
            const std::u16string_view piece = std::u16string_view(text).substr(start, end - start);
            std::vector<char> out(3 * piece.size());
            result.append(out.data(), normalizer.WriteEncodedUtf8(piece, out.data(), well_formed));
            start = end;
        }
        EXPECT_EQ(result, Utf16ToUtf8(test_support::Normalized(text)));
        EXPECT_TRUE(well_formed);
    });
}

TEST(LineBreakNormalizer, UnpairedSurrogatesEncodeAsReplacementAndAreReported) {
    const Example<std::u16string, std::string> cases[] = {
        {"lone high half before a break", u"a"s + char16_t(0xD800) + u"\n", "a\xEF\xBF\xBD\r\n"},
        {"lone low half at the end", u"\r"s + char16_t(0xDC00), "\r\n\xEF\xBF\xBD"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        LineBreakNormalizer normalizer;
        bool well_formed = true;
        std::vector<char> out(3 * c.input.size());
        EXPECT_EQ(
            std::string(out.data(), normalizer.WriteEncodedUtf8(c.input, out.data(), well_formed)),
            c.expected);
        EXPECT_FALSE(well_formed);
    }
}

TEST(LineBreakNormalizer, EmptyPiecesKeepACrWaitingForItsLf) {
    LineBreakNormalizer normalizer;
    char16_t out[8];
    std::u16string result;
    for (const std::u16string_view piece : {u"a\r", u"", u"\nb"}) {
        result.append(out, normalizer.Write(piece, out));
    }
    EXPECT_EQ(result, u"a\r\nb");
}

}  // namespace
}  // namespace quillmoor
