#pragma once

#include <cstddef>

/** Strict UTF-8 checks on raw bytes, made before text from a file becomes a juce::String:
    JUCE trusts its strings to be valid and walks past their end when they are not. */
struct Utf8Text
{
    /** True when the bytes are well-formed UTF-8: no stray continuation bytes, no truncated,
        overlong or surrogate sequences, nothing above U+10FFFF. NUL bytes are valid here. */
    static bool isValid (const char* data, size_t numBytes) noexcept;

    /** True for the code points a character reference may name: 1 to U+10FFFF, surrogates
        excepted. */
    static bool isUsableCodePoint (unsigned long codePoint) noexcept;
};
