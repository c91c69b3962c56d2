// The edge of the engine's C interface: nothing unwinds into a C caller. An exported
// function runs its body through NoExceptionOut, which answers the function's failure value
// and writes one line to standard error when anything the body calls throws (a thread or a
// pipe that cannot be made, memory that runs out).
#pragma once

#include <cstdio>
#include <exception>
#include <type_traits>

namespace quillmoor::bridge {

// Writes "quillmoor engine: <function> failed: <what>" to standard error.
inline void ReportEscapedException(const char* function) noexcept {
    try {
        throw;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "quillmoor engine: %s failed: %s\n", function, error.what());
    } catch (...) {
        std::fprintf(stderr, "quillmoor engine: %s failed.\n", function);
    }
}

// body() when it returns; failure when it throws.
template <typename Result, typename Body>
Result NoExceptionOut(const char* function, Result failure, Body&& body) noexcept {
    try {
        return body();
    } catch (...) {
        ReportEscapedException(function);
        return failure;
    }
}

// body() for a function that returns nothing.
template <typename Body>
void NoExceptionOut(const char* function, Body&& body) noexcept {
    static_assert(std::is_void_v<decltype(body())>);
    try {
        body();
    } catch (...) {
        ReportEscapedException(function);
    }
}

}  // namespace quillmoor::bridge
