#include "win/ui/open_dialog_filter.h"

namespace quillmoor::win {

std::u16string OpenDialogFilter(const std::vector<FilterChoice>& choices) {
    std::u16string filter;
    for (const FilterChoice& choice : choices) {
        filter += choice.caption;
        filter += u'\0';
        for (std::size_t i = 0; i < choice.patterns.size(); ++i) {
            if (i > 0) {
                filter += u';';
            }
            filter += choice.patterns[i];
        }
        filter += u'\0';
    }
    filter += u'\0';
    return filter;
}

std::vector<std::u16string> OpenDialogPaths(std::u16string_view answer) {
    std::vector<std::u16string_view> texts;
    while (!answer.empty() && answer.front() != u'\0') {
        const std::size_t end = std::min(answer.find(u'\0'), answer.size());
        texts.push_back(answer.substr(0, end));
        answer.remove_prefix(std::min(end + 1, answer.size()));
    }
    if (texts.size() <= 1) {
        return {texts.begin(), texts.end()};
    }
    // A folder at the root of a drive ("C:\") already ends with its separator.
    std::u16string folder(texts.front());
    if (folder.back() != u'\\' && folder.back() != u'/') {
        folder += u'\\';
    }
    std::vector<std::u16string> paths;
    for (std::size_t i = 1; i < texts.size(); ++i) {
        paths.push_back(folder + std::u16string(texts[i]));
    }
    return paths;
}

}  // namespace quillmoor::win
