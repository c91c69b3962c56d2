// The building blocks of the conversions between UTF-8 and UTF-16, inline for the loops
// that convert long texts: one sequence or code point at a time, and runs of ASCII
// several units at a time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include "platform/utf.h"

namespace quillmoor::utf {

inline bool IsHighSurrogate(char32_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}
inline bool IsLowSurrogate(char32_t c) {
    return c >= 0xDC00 && c <= 0xDFFF;
}
inline bool IsSurrogate(char32_t c) {
    return c >= 0xD800 && c <= 0xDFFF;
}

// The length of the sequence that a lead byte starts; 0 for a byte that starts none.
inline std::size_t Utf8SequenceLength(unsigned char lead) {
    return lead < 0x80                    ? 1
           : lead >= 0xC2 && lead <= 0xDF ? 2
           : lead >= 0xE0 && lead <= 0xEF ? 3
           : lead >= 0xF0 && lead <= 0xF4 ? 4
                                          : 0;
}

// Decodes the sequence at p (before end) and moves p past it. A malformed sequence (stray
// continuation byte, overlong form, surrogate, value above U+10FFFF, sequence cut short)
// gives kReplacementCharacter for its whole offending run of bytes, at least one, and clears ok.
inline char32_t DecodeUtf8Sequence(const char*& p, const char* end, bool& ok) {
    const auto lead = static_cast<unsigned char>(*p);
    const std::size_t length = Utf8SequenceLength(lead);
    if (length == 1) {
        ++p;
        return lead;
    }
    if (length == 0) {
        ++p;
        ok = false;
        return kReplacementCharacter;
    }
    constexpr char32_t kMinimum[] = {0, 0, 0x80, 0x800, 0x10000};
    char32_t value = lead & (0x7F >> length);
    std::size_t i = 1;
    for (; i < length && p + i < end; ++i) {
        const auto next = static_cast<unsigned char>(p[i]);
        if ((next & 0xC0) != 0x80) {
            break;
        }
        value = (value << 6) | (next & 0x3F);
    }
    p += i;
    if (i < length || value < kMinimum[length] || value > 0x10FFFF || IsSurrogate(value)) {
        ok = false;
        return kReplacementCharacter;
    }
    return value;
}

// Reads the code point at p (before end) and moves p past it. An unpaired surrogate reads
// as kReplacementCharacter and clears well_formed.
inline char32_t ReadUtf16CodePoint(const char16_t*& p, const char16_t* end, bool& well_formed) {
    const char32_t c = *p++;
    if (!IsSurrogate(c)) {
        return c;
    }
    if (IsHighSurrogate(c) && p < end && IsLowSurrogate(*p)) {
        return 0x10000 + ((c - 0xD800) << 10) + (*p++ - 0xDC00);
    }
    well_formed = false;
    return kReplacementCharacter;
}

inline std::size_t Utf8LengthOf(char32_t c) {
    return c < 0x80 ? 1 : c < 0x800 ? 2 : c < 0x10000 ? 3 : 4;
}

inline char* WriteUtf8(char32_t c, char* out) {
    if (c < 0x80) {
        *out++ = static_cast<char>(c);
    } else if (c < 0x800) {
        *out++ = static_cast<char>(0xC0 | (c >> 6));
        *out++ = static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        *out++ = static_cast<char>(0xE0 | (c >> 12));
        *out++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        *out++ = static_cast<char>(0x80 | (c & 0x3F));
    } else {
        *out++ = static_cast<char>(0xF0 | (c >> 18));
        *out++ = static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        *out++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        *out++ = static_cast<char>(0x80 | (c & 0x3F));
    }
    return out;
}

inline char16_t* WriteUtf16(char32_t c, char16_t* out) {
    if (c >= 0x10000) {
        *out++ = static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
        *out++ = static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
    } else {
        *out++ = static_cast<char16_t>(c);
    }
    return out;
}

inline bool IsLineBreak(char32_t c) {
    return c == u'\r' || c == u'\n';
}

#ifndef __SSE2__
// Where SSE2 is missing (the 32-bit Windows build): copies whole 64-bit words of units from
// in to out, converting each unit (bytes to UTF-16 units or back), as long as every unit of a
// word is ASCII and, when kStopAtLineBreaks, neither CR nor LF. count is how many units in
// has; returns how many were copied.
template <bool kStopAtLineBreaks, class Unit, class OutUnit>
std::size_t CopyAsciiWords(const Unit* in, std::size_t count, OutUnit* out) {
    constexpr std::size_t kUnits = sizeof(std::uint64_t) / sizeof(Unit);
    constexpr std::uint64_t kOnes =
        ~std::uint64_t{0} / ((std::uint64_t{1} << (8 * sizeof(Unit))) - 1);
    constexpr std::uint64_t kHighBits = kOnes << (8 * sizeof(Unit) - 1);
    // The bits that only a unit of 0x80 or more has.
    constexpr std::uint64_t kNonAsciiBits =
        kOnes * ((std::uint64_t{1} << (8 * sizeof(Unit))) - 0x80);
    const auto has_zero_unit = [](std::uint64_t v) { return ((v - kOnes) & ~v & kHighBits) != 0; };
    std::size_t done = 0;
    for (; count - done >= kUnits; done += kUnits) {
        std::uint64_t word;
        std::memcpy(&word, in + done, sizeof word);
        if ((word & kNonAsciiBits) != 0 ||
            (kStopAtLineBreaks &&
             (has_zero_unit(word ^ (kOnes * '\r')) || has_zero_unit(word ^ (kOnes * '\n'))))) {
            break;
        }
        for (std::size_t k = 0; k < kUnits; ++k) {
            out[done + k] =
                static_cast<OutUnit>(static_cast<std::make_unsigned_t<Unit>>(in[done + k]));
        }
    }
    return done;
}
#endif

// Widens the bytes at the start of [in, end) to code units at out, up to the first byte
// that is not ASCII, or (when kStopAtLineBreaks) is a CR or an LF; returns how many. out
// has room for a unit per byte of [in, end): up to 15 units after the run may be written
// over as well.
template <bool kStopAtLineBreaks>
std::size_t WidenAsciiRun(const char* in, const char* end, char16_t* out) {
    std::size_t done = 0;
    const auto left = [&] { return static_cast<std::size_t>(end - in) - done; };
#ifdef __SSE2__
    const __m128i zero = _mm_setzero_si128();
    while (left() >= 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + done));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + done), _mm_unpacklo_epi8(bytes, zero));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + done + 8),
                         _mm_unpackhi_epi8(bytes, zero));
        __m128i stops = bytes;
        if constexpr (kStopAtLineBreaks) {
            stops = _mm_or_si128(stops, _mm_cmpeq_epi8(bytes, _mm_set1_epi8('\r')));
            stops = _mm_or_si128(stops, _mm_cmpeq_epi8(bytes, _mm_set1_epi8('\n')));
        }
        const int stop = _mm_movemask_epi8(stops);
        if (stop != 0) {
            return done + static_cast<std::size_t>(__builtin_ctz(static_cast<unsigned>(stop)));
        }
        done += 16;
    }
#else
    done = CopyAsciiWords<kStopAtLineBreaks>(in, left(), out);
#endif
    for (; left() > 0; ++done) {
        const auto byte = static_cast<unsigned char>(in[done]);
        if (byte >= 0x80 || (kStopAtLineBreaks && IsLineBreak(byte))) {
            break;
        }
        out[done] = byte;
    }
    return done;
}

// Narrows the code units at the start of [in, end) to bytes at out, up to the first unit
// that is not ASCII, or (when kStopAtLineBreaks) is a CR or an LF; returns how many. out
// has room for a byte per unit of [in, end): up to 15 bytes after the run may be written
// over as well.
template <bool kStopAtLineBreaks>
std::size_t NarrowAsciiRun(const char16_t* in, const char16_t* end, char* out) {
    std::size_t done = 0;
    const auto left = [&] { return static_cast<std::size_t>(end - in) - done; };
#ifdef __SSE2__
    const __m128i non_ascii_bits = _mm_set1_epi16(static_cast<short>(0xFF80));
    const __m128i zero = _mm_setzero_si128();
    const auto passes = [&](__m128i units) {
        __m128i pass = _mm_cmpeq_epi16(_mm_and_si128(units, non_ascii_bits), zero);
        if constexpr (kStopAtLineBreaks) {
            pass = _mm_andnot_si128(_mm_cmpeq_epi16(units, _mm_set1_epi16(u'\r')), pass);
            pass = _mm_andnot_si128(_mm_cmpeq_epi16(units, _mm_set1_epi16(u'\n')), pass);
        }
        return pass;
    };
    while (left() >= 16) {
        const __m128i low = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + done));
        const __m128i high = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + done + 8));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + done), _mm_packus_epi16(low, high));
        const int pass = _mm_movemask_epi8(_mm_packs_epi16(passes(low), passes(high)));
        if (pass != 0xFFFF) {
            return done + static_cast<std::size_t>(__builtin_ctz(~static_cast<unsigned>(pass)));
        }
        done += 16;
    }
#else
    done = CopyAsciiWords<kStopAtLineBreaks>(in, left(), out);
#endif
    for (; left() > 0; ++done) {
        const char16_t unit = in[done];
        if (unit >= 0x80 || (kStopAtLineBreaks && IsLineBreak(unit))) {
            break;
        }
        out[done] = static_cast<char>(unit);
    }
    return done;
}

// The two directions of conversion under one name each, so that a loop written once serves
// both: UTF-8 bytes to UTF-16 units, and UTF-16 units to UTF-8 bytes.

// The ASCII run at the start of [in, end), copied to out (WidenAsciiRun, NarrowAsciiRun).
template <bool kStopAtLineBreaks>
std::size_t CopyAsciiRun(const char* in, const char* end, char16_t* out) {
    return WidenAsciiRun<kStopAtLineBreaks>(in, end, out);
}
template <bool kStopAtLineBreaks>
std::size_t CopyAsciiRun(const char16_t* in, const char16_t* end, char* out) {
    return NarrowAsciiRun<kStopAtLineBreaks>(in, end, out);
}

// The code point at in, written to out in the other form; in moves past it. A malformed
// sequence or an unpaired surrogate clears well_formed. Returns the end of what was written.
inline char16_t* ConvertCodePoint(const char*& in, const char* end, char16_t* out,
                                  bool& well_formed) {
    return WriteUtf16(DecodeUtf8Sequence(in, end, well_formed), out);
}
inline char* ConvertCodePoint(const char16_t*& in, const char16_t* end, char* out,
                              bool& well_formed) {
    return WriteUtf8(ReadUtf16CodePoint(in, end, well_formed), out);
}

// [in, end) converted to out, an ASCII run at a time. Returns the end of what was written.
template <class Unit, class OutUnit>
OutUnit* Convert(const Unit* in, const Unit* end, OutUnit* out, bool& well_formed) {
    while (in < end) {
        const std::size_t ascii = CopyAsciiRun<false>(in, end, out);
        in += ascii;
        out += ascii;
        if (in < end) {
            out = ConvertCodePoint(in, end, out, well_formed);
        }
    }
    return out;
}

}  // namespace quillmoor::utf
