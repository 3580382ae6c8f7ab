#pragma once
// Text helpers shared by the searches, the law page and the data layer. All texts are UTF-8.

#include <string>
#include <string_view>
#include <vector>

// Returns the leading part of `text` up to the first ASCII space (the whole text when there
// is none) and leaves in `text` what follows it with its leading white space removed.
// The word is empty when the text began with a space.
std::string ExtractFirstWord(std::string& text);

// Splits a typed text into words the way every search does: ExtractFirstWord once if the
// text is not empty, then again while text remains. Empty words are kept.
std::vector<std::string> SplitWords(std::string text);

// Replaces every occurrence of `pattern` by `replacement`, left to right, without overlap,
// exact and case-sensitive, only at character boundaries. An empty pattern replaces nothing.
// Returns the number of replacements.
size_t ReplaceAll(std::string& text, std::string_view pattern, std::string_view replacement);

// Removes trailing space, tab, line feed, vertical tab, form feed and carriage return.
void TrimRight(std::string& text);

// The longest prefix of `text` of at most `maxBytes` bytes that does not end inside a
// UTF-8 character.
std::string_view Utf8Prefix(std::string_view text, size_t maxBytes);

// True when a byte is a UTF-8 continuation byte.
inline bool IsUtf8Continuation(unsigned char c) { return (c & 0xC0) == 0x80; }

// ASCII-only lower case (the case folding of Jet's text comparisons for Latin letters).
std::string AsciiLower(std::string_view text);
