#include "bridge/document_reader.h"

#include "bridge/engine_strings.h"
#include "engine/engine_string.h"
#include "platform/utf.h"

namespace quillmoor::bridge {

namespace {

using nlohmann::json;

constexpr const char* kWorldName = "quillmoor-document-reader";

const std::string& TextScript() {
    static const std::string script =
        "(() => document.documentElement ? document.documentElement.innerText : '')()";
    return script;
}

}  // namespace

const std::string& MarkupScript() {
    static const std::string script = R"JS((() => {
  let markup = '';
  for (let node = document.firstChild; node; node = node.nextSibling) {
    switch (node.nodeType) {
      case Node.DOCUMENT_TYPE_NODE:
        markup += '<!DOCTYPE ' + node.name +
            (node.publicId ? ' PUBLIC "' + node.publicId + '"' : '') +
            (node.systemId ? (node.publicId ? ' "' : ' SYSTEM "') + node.systemId + '"' : '') + '>';
        break;
      case Node.ELEMENT_NODE:
        markup += node.outerHTML;
        break;
      case Node.COMMENT_NODE:
        markup += '<!--' + node.data + '-->';
        break;
      case Node.PROCESSING_INSTRUCTION_NODE:
        markup += '<?' + node.target + ' ' + node.data + '>';
        break;
    }
  }
  return markup;
})())JS";
    return script;
}

void ReadDocument(ChromiumSession& chromium, const std::string& session,
                  const std::string& devtools_id, DocumentPart part,
                  HeldReference<cef_string_visitor_t> visitor) {
    DevToolsClient& client = chromium.Client();
    const std::string& script = part == DocumentPart::kMarkup ? MarkupScript() : TextScript();
    client.Command(
        session, "Page.createIsolatedWorld", {{"frameId", devtools_id}, {"worldName", kWorldName}},
        [&client, session, &script, visitor = std::move(visitor)](bool ok,
                                                                  const json& world) mutable {
            if (!ok || !world.contains("executionContextId")) {
                return;  // the visitor goes unvisited
            }
            client.Command(session, "Runtime.evaluate",
                           {{"expression", script},
                            {"contextId", world["executionContextId"]},
                            {"returnByValue", true},
                            {"silent", true}},
                           [visitor = std::move(visitor)](bool ok, const json& evaluated) {
                               if (!ok || evaluated.contains("exceptionDetails")) {
                                   return;
                               }
                               auto result = evaluated.find("result");
                               if (result == evaluated.end() || !result->contains("value") ||
                                   !(*result)["value"].is_string()) {
                                   return;
                               }
                               const std::u16string text =
                                   Utf8ToUtf16((*result)["value"].get_ref<const std::string&>());
                               cef_string_t string = EngineStringView(text);
                               if (visitor->visit != nullptr) {
                                   visitor->visit(visitor.get(), &string);
                               }
                           });
        });
}

}  // namespace quillmoor::bridge
