// Reading a frame's current document back from Chromium: its markup with every change
// that scripts made, or its text.
#pragma once

#include "bridge/held_reference.h"
#include "engine/cef_capi.h"
#include "engine/engine_object.h"

namespace quillmoor::bridge {

class Frame;

enum class DocumentPart { kMarkup, kText };

// Reads the current document of frame and hands it once to visitor's visit on the engine
// thread: its markup as Chromium itself serialises the document (HTML or XML, with every
// change that scripts made), or its text. The reading runs in an isolated world of its
// own, so the page's scripts cannot change what it sees.
//
// A document that is being replaced (a navigation, a reload, a refresh) is read again
// until the frame's document of that moment answers, the old one or the new one. The
// visitor is released without a visit only when the frame goes (its browser closes, it is
// removed, Chromium ends) or Chromium has given no document for a long while.
//
// Any thread; the reading starts on the engine thread, after whatever was asked of it
// before.
void ReadDocument(EngineObjectPtr<Frame> frame, DocumentPart part,
                  HeldReference<cef_string_visitor_t> visitor);

}  // namespace quillmoor::bridge
