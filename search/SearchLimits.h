#pragma once

#include <cstddef>
#include <string>
#include <vector>

// What one search may ask of the database engine. A word typed twice is one condition: it
// finds the same laws. Beyond the bounds below the engine would refuse the statement (too
// many arguments to the ranking functions, too deep an expression, a like pattern too
// long), so such a search is refused before it runs, with a message that says why.
class CSearchLimits {
public:
    // Different words of one search: the law-text ranking functions take the text and the
    // words as arguments, and the engine takes at most 127 arguments.
    static constexpr int kMaxWords = 126;
    // Bytes of one word: its like pattern ("%" + word + "%") may be at most 50,000 bytes.
    static constexpr std::size_t kMaxWordBytes = 50000 - 2;

    // The words in their first order, each once.
    static std::vector<std::string> Distinct(const std::vector<std::string>& words);

    // Why a search for `words` (each once) cannot run, in plain words; empty when it can.
    static std::string Refusal(const std::vector<std::string>& words);
};
