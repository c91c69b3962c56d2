#include "pipeline/not_translated_list.h"

#include <algorithm>
#include <iterator>
#include <string>

#include "platform/utf.h"

namespace quillmoor {

void NotTranslatedList::Add(std::u16string_view file_name, std::u16string_view language_code) {
    ++count_;
    auto file = std::find_if(files_.begin(), files_.end(),
                             [&](const File& f) { return f.name == file_name; });
    if (file == files_.end()) {
        files_.push_back({std::u16string(file_name), {}});
        file = std::prev(files_.end());
    }
    file->codes.emplace_back(language_code);
}

std::u16string NotTranslatedList::ReportLines() const {
    if (count_ == 0) {
        return std::u16string();
    }
    std::u16string text =
        u"Not translated (nothing stored): " + Utf8ToUtf16(std::to_string(count_));
    const std::size_t named = std::min(files_.size(), kNamedFiles);
    for (std::size_t i = 0; i < named; ++i) {
        text += u"\n" + files_[i].name + u": ";
        for (std::size_t j = 0; j < files_[i].codes.size(); ++j) {
            text += (j == 0 ? u"" : u", ") + files_[i].codes[j];
        }
    }
    if (files_.size() > named) {
        text +=
            u"\n... and " + Utf8ToUtf16(std::to_string(files_.size() - named)) + u" more file(s)";
    }
    return text;
}

std::u16string TranslateDoneMessage(const NotTranslatedList& not_translated) {
    std::u16string message = u"Translate Done!";
    const std::u16string report = not_translated.ReportLines();
    if (!report.empty()) {
        message += u"\n\n" + report;
    }
    return message;
}

}  // namespace quillmoor
