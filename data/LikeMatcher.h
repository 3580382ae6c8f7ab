#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// One compiled LIKE pattern with the engine's own meaning: "%" any run of characters, "_"
// exactly one character, every other character itself, ASCII letters without regard to
// case and all other characters exactly (no escape character). Texts are UTF-8.
//
// The law search asks "%word%" of every law text, so a pattern without "_" is matched run by
// run with a vectorised substring search instead of character by character.
class CLikeMatcher {
public:
    explicit CLikeMatcher(std::string_view pattern);

    // True when the whole of `text` matches the pattern. With `decided`, how many bytes of
    // the text from its start the answer depends on (the whole text when the pattern does not
    // end with "%").
    bool Matches(std::string_view text, size_t* decided = nullptr) const;

    const std::string& GetPattern() const { return m_strPattern; }
    // True when the answer can depend on the end of the text (no "%" at the pattern's end).
    bool IsAnchoredEnd() const { return m_bAnchoredEnd; }

    // First occurrence of `needle` in `hay` with ASCII letters compared without regard to
    // case; `needle` must hold its letters in lower case and not be empty. npos when none.
    static size_t FindFolded(std::string_view hay, std::string_view needle, bool hasLetters);

private:
    // The engine's own character-by-character comparison, for a pattern that is not valid
    // UTF-8 (the engine reads its broken sequences as replacement characters). Both texts
    // end with a NUL.
    static bool MatchCharacters(const unsigned char* pattern, const unsigned char* text);

    // A run of the pattern between "%" signs, letters lowered.
    struct Run {
        std::string text;
        bool hasLetters = false;
        bool hasAnyChar = false; // holds "_"
    };

    // Length in bytes matched by `run` at `pos`, or npos when it does not match there.
    static size_t MatchRunAt(const Run& run, std::string_view text, size_t pos);
    // Leftmost match of `run` at or after `pos`; its start in `start` and end returned, npos
    // when there is none.
    static size_t FindRun(const Run& run, std::string_view text, size_t pos, size_t& start);

    std::string m_strPattern;
    std::vector<Run> m_arrRuns;
    bool m_bAnchoredStart = true; // the pattern does not begin with "%"
    bool m_bAnchoredEnd = true;   // the pattern does not end with "%"
    bool m_bValidUtf8 = true;
};
