#include "pipeline/line_break_normalizer.h"

#include "platform/utf_primitives.h"

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace quillmoor {
namespace {

// Copies the units of [in, end) up to the first CR or LF to out; returns how many. out has
// room for a unit per unit of [in, end): up to 7 units after the run may be written over.
size_t CopyUpToLineBreak(const char16_t* in, const char16_t* end, char16_t* out) {
    size_t done = 0;
#ifdef __SSE2__
    const __m128i cr = _mm_set1_epi16(u'\r');
    const __m128i lf = _mm_set1_epi16(u'\n');
    while (end - in - static_cast<std::ptrdiff_t>(done) >= 8) {
        const __m128i units = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + done));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + done), units);
        const int breaks =
            _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi16(units, cr), _mm_cmpeq_epi16(units, lf)));
        if (breaks != 0) {
            return done + static_cast<size_t>(__builtin_ctz(static_cast<unsigned>(breaks))) / 2;
        }
        done += 8;
    }
#endif
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

char16_t* LineBreakNormalizer::WriteDecodedUtf8(std::string_view utf8, char16_t* out) {
    bool ok = true;
    return WriteNormalized(
        utf8.data(), utf8.data() + utf8.size(), out,
        [](const char* in, const char* end, char16_t* to) {
            return utf::WidenAsciiRun<true>(in, end, to);
        },
        [&ok](const char*& in, const char* end, char16_t* to) {
            return utf::WriteUtf16(utf::DecodeUtf8Sequence(in, end, ok), to);
        });
}

char* LineBreakNormalizer::WriteEncodedUtf8(std::u16string_view piece, char* out,
                                            bool& well_formed) {
    return WriteNormalized(
        piece.data(), piece.data() + piece.size(), out,
        [](const char16_t* in, const char16_t* end, char* to) {
            return utf::NarrowAsciiRun<true>(in, end, to);
        },
        [&well_formed](const char16_t*& in, const char16_t* end, char* to) {
            return utf::WriteUtf8(utf::ReadUtf16CodePoint(in, end, well_formed), to);
        });
}

}  // namespace quillmoor
