#include "pipeline/widget_snippet.h"

namespace quillmoor {

std::u16string WidgetSnippet(std::u16string_view language_code) {
    std::u16string snippet(kWidgetSnippetOpening);
    snippet += language_code;
    snippet += u"',    ";
    snippet += u"\tlayout: google.translate.TranslateElement.InlineLayout.SIMPLE, ";
    snippet += u"\tautoDisplay: false,    ";
    snippet += u"},    ";
    snippet += u"'google_translate_element'";
    snippet += u");  } </script> <script src=\"";
    snippet += kWidgetLoaderAddress;
    snippet += u"\"></script>";
    return snippet;
}

}  // namespace quillmoor
