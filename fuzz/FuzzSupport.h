#pragma once

#include "platform/Log.h"

#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace tallowmere::fuzz {

// What the code logs about bad input is expected here, thousands of times a second.
inline const bool quietLog = [] {
    setLogSink([](const std::string&) {});
    return true;
}();

// A broken promise of the code under test: a crash the fuzzer reports with this input.
inline void require(bool holds, const char* what) {
    if (!holds) {
        std::fprintf(stderr, "fuzz check failed: %s\n", what);
        std::abort();
    }
}

inline std::string_view bytesOf(const unsigned char* data, std::size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

} // namespace tallowmere::fuzz
