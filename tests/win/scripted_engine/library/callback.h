// The calling convention of the engine's function-pointer members (CEF_CALLBACK) for the
// lambdas that fill the engine library's tables: __stdcall on 32-bit Windows, where a
// lambda converts only to a pointer of its own convention; nothing elsewhere.
#pragma once

#if defined(_WIN32) && !defined(_WIN64)
#define SCRIPTED_CALLBACK __attribute__((stdcall))
#else
#define SCRIPTED_CALLBACK
#endif
