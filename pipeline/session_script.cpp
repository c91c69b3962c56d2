#include "pipeline/session_script.h"

#include <algorithm>
#include <array>

namespace quillmoor {
namespace {

bool IsBlank(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'\v' || c == u'\f';
}

std::u16string_view Trimmed(std::u16string_view text) {
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

// A whole number of decimal digits only (no sign), or -1.
int WholeNumber(std::u16string_view digits) {
    if (digits.empty() || digits.size() > 9) {
        return -1;
    }
    int value = 0;
    for (const char16_t c : digits) {
        if (c < u'0' || c > u'9') {
            return -1;
        }
        value = value * 10 + (c - u'0');
    }
    return value;
}

// The value of a timed step, "MS VALUE": the milliseconds (-1 when they are not a whole
// number) and the value after them (empty when there is none).
struct Timed {
    int milliseconds;
    std::u16string_view value;
};

Timed TimedValue(std::u16string_view rest) {
    const std::size_t gap = rest.find(u' ');
    if (gap == std::u16string_view::npos) {
        return {-1, {}};
    }
    return {WholeNumber(rest.substr(0, gap)), Trimmed(rest.substr(gap))};
}

std::u16string Ascii(std::string_view text) {
    return std::u16string(text.begin(), text.end());
}

// The steps whose one value is a path or a code.
struct ValueWord {
    std::u16string_view word;
    SessionStep::Kind kind;
};
constexpr std::array kValueWords = {
    ValueWord{u"log", SessionStep::Kind::kLog},
    ValueWord{u"add", SessionStep::Kind::kAdd},
    ValueWord{u"tick", SessionStep::Kind::kTick},
    ValueWord{u"screenshot", SessionStep::Kind::kScreenshot},
};

// The steps without a value.
constexpr std::array kBareWords = {
    ValueWord{u"translate", SessionStep::Kind::kTranslate},
    ValueWord{u"close", SessionStep::Kind::kClose},
    ValueWord{u"exit", SessionStep::Kind::kExit},
};

constexpr std::array<std::u16string_view, 4> kAnswers = {u"ok", u"cancel", u"yes", u"no"};

}  // namespace

SessionScript ParseSessionScript(std::u16string_view script) {
    using Kind = SessionStep::Kind;
    SessionScript result;
    std::size_t number = 0;
    while (!script.empty()) {
        const std::size_t end = std::min(script.find(u'\n'), script.size());
        const std::u16string_view line = Trimmed(script.substr(0, end));
        script.remove_prefix(std::min(end + 1, script.size()));
        ++number;
        if (line.empty() || line.front() == u'#') {
            continue;
        }
        const std::size_t blank = line.find(u' ');
        const std::u16string_view word = line.substr(0, blank);
        const std::u16string_view rest = blank == std::u16string_view::npos
                                             ? std::u16string_view()
                                             : Trimmed(line.substr(blank));
        const auto fail = [&](std::u16string_view why) {
            result.steps.clear();
            result.problem = u"line " + Ascii(std::to_string(number)) + u": " + std::u16string(why);
            return result;
        };
        const auto value_word = std::find_if(kValueWords.begin(), kValueWords.end(),
                                             [&](const ValueWord& v) { return v.word == word; });
        const auto bare_word = std::find_if(kBareWords.begin(), kBareWords.end(),
                                            [&](const ValueWord& v) { return v.word == word; });
        if (value_word != kValueWords.end()) {
            if (rest.empty()) {
                return fail(std::u16string(word) + u" needs a value");
            }
            result.steps.push_back({value_word->kind, std::u16string(rest), 0});
        } else if (word == u"answer") {
            if (std::find(kAnswers.begin(), kAnswers.end(), rest) == kAnswers.end()) {
                return fail(u"answer is ok, cancel, yes or no");
            }
            result.steps.push_back({Kind::kAnswer, std::u16string(rest), 0});
        } else if (word == u"screenshot-after") {
            const auto [milliseconds, path] = TimedValue(rest);
            if (milliseconds < 0 || path.empty()) {
                return fail(u"screenshot-after needs milliseconds and a path");
            }
            result.steps.push_back({Kind::kScreenshotAfter, std::u16string(path), milliseconds});
        } else if (word == u"press-after") {
            const auto [milliseconds, button] = TimedValue(rest);
            if (milliseconds < 0 || (button != u"pause" && button != u"cancel")) {
                return fail(u"press-after needs milliseconds and pause or cancel");
            }
            result.steps.push_back({Kind::kPressAfter, std::u16string(button), milliseconds});
        } else if (bare_word != kBareWords.end()) {
            if (!rest.empty()) {
                return fail(std::u16string(word) + u" takes no value");
            }
            result.steps.push_back({bare_word->kind, std::u16string(), 0});
        } else {
            return fail(u"unknown step \"" + std::u16string(word) + u"\"");
        }
    }
    return result;
}

}  // namespace quillmoor
