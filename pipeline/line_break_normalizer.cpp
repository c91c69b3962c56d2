#include "pipeline/line_break_normalizer.h"

#include <bit>
#include <cstring>

#include "platform/utf_primitives.h"

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace quillmoor {
namespace {

// Which of the eight code units at p are line breaks: bit i for unit i. The one scan for
// line breaks in UTF-16 text, whether it is copied, counted or moved.
unsigned LineBreaksAmongEight(const char16_t* p) {
#ifdef __SSE2__
    const __m128i units = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const __m128i breaks = _mm_or_si128(_mm_cmpeq_epi16(units, _mm_set1_epi16(u'\r')),
                                        _mm_cmpeq_epi16(units, _mm_set1_epi16(u'\n')));
    return static_cast<unsigned>(_mm_movemask_epi8(_mm_packs_epi16(breaks, _mm_setzero_si128())));
#else
    unsigned breaks = 0;
    for (unsigned i = 0; i < 8; ++i) {
        breaks |= static_cast<unsigned>(utf::IsLineBreak(p[i])) << i;
    }
    return breaks;
#endif
}

// The first line break in [in, end), or end.
const char16_t* FindLineBreak(const char16_t* in, const char16_t* end) {
    for (; end - in >= 8; in += 8) {
        if (const unsigned breaks = LineBreaksAmongEight(in); breaks != 0) {
            return in + std::countr_zero(breaks);
        }
    }
    while (in < end && !utf::IsLineBreak(*in)) {
        ++in;
    }
    return in;
}

// The position just after the last line break in [begin, end), or begin.
const char16_t* AfterLastLineBreak(const char16_t* begin, const char16_t* end) {
    for (; end - begin >= 8; end -= 8) {
        if (const unsigned breaks = LineBreaksAmongEight(end - 8); breaks != 0) {
            return end - 8 + std::bit_width(breaks);
        }
    }
    while (end > begin && !utf::IsLineBreak(end[-1])) {
        --end;
    }
    return end;
}

// Copies the units of [in, end) up to the first CR or LF to out; returns how many. out has
// room for a unit per unit of [in, end): up to 7 units after the run may be written over.
size_t CopyUpToLineBreak(const char16_t* in, const char16_t* end, char16_t* out) {
    size_t done = 0;
    while (end - in - static_cast<std::ptrdiff_t>(done) >= 8) {
        std::memcpy(out + done, in + done, 8 * sizeof(char16_t));
        if (const unsigned breaks = LineBreaksAmongEight(in + done); breaks != 0) {
            return done + static_cast<size_t>(std::countr_zero(breaks));
        }
        done += 8;
    }
    for (; in + done < end && !utf::IsLineBreak(in[done]); ++done) {
        out[done] = in[done];
    }
    return done;
}

}  // namespace

template <class Unit, class OutUnit, class CopyRun, class ConvertOne>
OutUnit* LineBreakNormalizer::WriteNormalized(const Unit* in, const Unit* end, OutUnit* out,
                                              CopyRun copy_run, ConvertOne convert_one) {
    if (in == end) {
        return out;  // an empty piece: a CR before it still waits for its LF
    }
    if (after_cr_ && *in == '\n') {
        ++in;
    }
    after_cr_ = false;
    while (in < end) {
        const size_t run = copy_run(in, end, out);
        in += run;
        out += run;
        if (in == end) {
            break;
        }
        const Unit unit = *in;
        if (unit != '\r' && unit != '\n') {
            out = convert_one(in, end, out);
            continue;
        }
        ++in;
        *out++ = '\r';
        *out++ = '\n';
        if (unit == '\r') {
            if (in == end) {
                after_cr_ = true;
            } else if (*in == '\n') {
                ++in;
            }
        }
    }
    return out;
}

char16_t* LineBreakNormalizer::Write(std::u16string_view piece, char16_t* out) {
    return WriteNormalized(
        piece.data(), piece.data() + piece.size(), out,
        [](const char16_t* in, const char16_t* end, char16_t* to) {
            return CopyUpToLineBreak(in, end, to);
        },
        [](const char16_t*& in, const char16_t*, char16_t* to) {
            *to++ = *in++;  // never reached: runs end at line breaks only
            return to;
        });
}

template <class Unit, class OutUnit>
OutUnit* LineBreakNormalizer::WriteConverted(const Unit* in, const Unit* end, OutUnit* out,
                                             bool& well_formed) {
    return WriteNormalized(
        in, end, out,
        [](const Unit* from, const Unit* from_end, OutUnit* to) {
            return utf::CopyAsciiRun<true>(from, from_end, to);
        },
        [&well_formed](const Unit*& from, const Unit* from_end, OutUnit* to) {
            return utf::ConvertCodePoint(from, from_end, to, well_formed);
        });
}

char16_t* LineBreakNormalizer::WriteDecodedUtf8(std::string_view utf8, char16_t* out,
                                                bool& well_formed) {
    return WriteConverted(utf8.data(), utf8.data() + utf8.size(), out, well_formed);
}

char* LineBreakNormalizer::WriteEncodedUtf8(std::u16string_view piece, char* out,
                                            bool& well_formed) {
    return WriteConverted(piece.data(), piece.data() + piece.size(), out, well_formed);
}

std::size_t LineBreakGrowth(std::u16string_view text) {
    const char16_t* const begin = text.data();
    const char16_t* const end = begin + text.size();
    std::size_t growth = 0;
    for (const char16_t* at = FindLineBreak(begin, end); at < end;
         at = FindLineBreak(at + 1, end)) {
        if (*at == u'\n') {
            growth += at == begin || at[-1] != u'\r';
        } else {
            growth += at + 1 == end || at[1] != u'\n';
        }
    }
    return growth;
}

void NormalizeLineBreaks(std::u16string& text) {
    const std::size_t growth = LineBreakGrowth(text);
    if (growth == 0) {
        return;
    }
    // Widen in place from the end, line by line, so that every code unit moves at most
    // once; once the breaks that grow are all behind, the rest stays where it is.
    std::size_t read = text.size();
    std::size_t write = read + growth;
    text.resize(write);
    char16_t* const p = text.data();
    while (write > read) {
        const auto line_start = static_cast<std::size_t>(AfterLastLineBreak(p, p + read) - p);
        write -= read - line_start;
        std::memmove(p + write, p + line_start, (read - line_start) * sizeof(char16_t));
        read = line_start;
        const char16_t c = p[--read];
        p[--write] = u'\n';
        p[--write] = u'\r';
        if (c == u'\n' && read > 0 && p[read - 1] == u'\r') {
            --read;
        }
    }
}

}  // namespace quillmoor
