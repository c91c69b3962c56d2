// The part of the engine's C interface (CEF 78.3.9, branch 3904) that the program and its
// browser layer use: types, objects and exported functions.
#pragma once

#include "engine/cef_base_types.h"
#include "engine/cef_exports.h"
#include "engine/cef_object_types.h"
