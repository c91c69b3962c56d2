#include "pipeline/source_file_choice.h"

#include <utility>

namespace quillmoor {
namespace {

std::vector<std::u16string> SplitAt(std::u16string_view text, char16_t separator) {
    std::vector<std::u16string> parts;
    for (std::size_t start = 0;;) {
        const std::size_t end = text.find(separator, start);
        parts.emplace_back(text.substr(start, end - start));
        if (end == std::u16string_view::npos) {
            return parts;
        }
        start = end + 1;
    }
}

}  // namespace

std::vector<FilterChoice> ParseBarFilter(std::u16string_view filter) {
    if (!filter.empty() && filter.back() == u'|') {
        filter.remove_suffix(1);
    }
    std::vector<FilterChoice> choices;
    if (filter.empty()) {
        return choices;
    }
    const std::vector<std::u16string> parts = SplitAt(filter, u'|');
    for (std::size_t i = 0; i + 1 < parts.size(); i += 2) {
        FilterChoice choice;
        choice.caption = parts[i];
        for (std::u16string& pattern : SplitAt(parts[i + 1], u';')) {
            if (!pattern.empty()) {
                choice.patterns.push_back(std::move(pattern));
            }
        }
        choices.push_back(std::move(choice));
    }
    return choices;
}

std::u16string DialogFilterEntry(const FilterChoice& choice) {
    std::u16string entry = choice.caption + u" (";
    for (std::size_t i = 0; i < choice.patterns.size(); ++i) {
        if (i > 0) {
            entry += u' ';
        }
        entry += choice.patterns[i] == u"*.*" ? std::u16string(u"*") : choice.patterns[i];
    }
    entry += u')';
    return entry;
}

std::u16string DialogFilterText(const std::vector<FilterChoice>& choices) {
    std::u16string text;
    for (std::size_t i = 0; i < choices.size(); ++i) {
        if (i > 0) {
            text += u";;";
        }
        text += DialogFilterEntry(choices[i]);
    }
    return text;
}

FileListRow FileListRowFor(std::u16string_view full_path, PathStyle style) {
    FileListRow row;
    row.file = FileNameOf(full_path, style);
    row.path = std::u16string(full_path.substr(0, full_path.size() - row.file.size()));
    return row;
}

}  // namespace quillmoor
