// Reading a frame's current document back from Chromium: its markup with every change
// that scripts made, or its text.
#pragma once

#include <string>

#include "bridge/chromium_session.h"
#include "bridge/held_reference.h"
#include "engine/cef_capi.h"

namespace quillmoor::bridge {

enum class DocumentPart { kMarkup, kText };

// Reads the document of frame devtools_id, hosted by session, in an isolated world of its
// own (the page's scripts cannot change what the reading sees), and hands it once to
// visitor's visit on the engine thread. When the document cannot be read (the frame has
// gone, Chromium has gone) the visitor is released without a visit.
void ReadDocument(ChromiumSession& chromium, const std::string& session,
                  const std::string& devtools_id, DocumentPart part,
                  HeldReference<cef_string_visitor_t> visitor);

// The script that serialises a document: doctype, comments and the root element in
// document order, as the engine's markup serialiser writes them.
const std::string& MarkupScript();

}  // namespace quillmoor::bridge
