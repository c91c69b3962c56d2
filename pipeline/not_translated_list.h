// The page-languages of a batch that the widget did not translate: nothing of them was
// stored, and the batch's final message names them.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace quillmoor {

class NotTranslatedList {
  public:
    // The most files named in the report; the rest are counted.
    static constexpr std::size_t kNamedFiles = 10;

    // Notes the page file_name in the language language_code.
    void Add(std::u16string_view file_name, std::u16string_view language_code);
    int Count() const { return count_; }

    // The lines for the batch's final message, empty when every page-language came back
    // translated. Otherwise the count, then one line per file with its language codes in
    // the order met:
    //   Not translated (nothing stored): 3
    //   index.html: de, fr
    //   about.html: es
    // After kNamedFiles files, one line "... and N more file(s)".
    std::u16string ReportLines() const;

  private:
    struct File {
        std::u16string name;
        std::vector<std::u16string> codes;
    };
    std::vector<File> files_;
    int count_ = 0;
};

// The batch's final message: "Translate Done!", and below it, after a blank line, the
// report of the page-languages that were not translated, when there are any.
std::u16string TranslateDoneMessage(const NotTranslatedList& not_translated);

}  // namespace quillmoor
