// Shared by the fuzz targets: a property that must hold for every input.
// A failed check aborts, so libFuzzer keeps the input as a crash.
#pragma once
#include <cstdio>
#include <cstdlib>
#include <string>

#define FUZZ_CHECK(cond)                                                                   \
    do {                                                                                   \
        if (!(cond)) {                                                                     \
            std::fprintf(stderr, "property failed: %s (%s:%d)\n", #cond, __FILE__, __LINE__); \
            std::abort();                                                                  \
        }                                                                                  \
    } while (0)

// Input bytes read as UTF-16LE code units (an odd last byte is dropped), the
// way wide text reaches the rules from the Windows side.
inline std::wstring WideFromBytes(const unsigned char* data, size_t size)
{
    std::wstring out;
    for (size_t i = 0; i + 1 < size; i += 2)
        out.push_back(static_cast<wchar_t>(data[i] | (data[i + 1] << 8)));
    return out;
}
