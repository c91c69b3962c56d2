// The fixed catalogue of the target languages: display names and the translation widget's
// language codes, aligned by index. One index identifies a language everywhere.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace quillmoor {

// The display names, in catalogue order (the captions of the language check boxes).
const std::vector<std::u16string>& LanguageNames();

// The widget's language codes, in the same order (also the names of the result folders).
const std::vector<std::u16string>& LanguageCodes();

// The component name of the check box of the language at index: "Checkbox" followed by
// the language's name without blanks and parentheses. Throws std::out_of_range for an
// index outside the catalogue.
std::u16string CheckboxComponentName(std::size_t index);

}  // namespace quillmoor
