#pragma once

#include <string>
#include <vector>

struct sqlite3;

// Where words occur in a law text, for ranking the hits of a law-text search and showing
// them: the SQL functions hit_rank(text, word...) (smaller is better: more occurrences,
// then an earlier first one) and hit_snippet(text, word...), registered on every connection.
// ASCII letters are compared without regard to case, as the SQL like compares them.
class CHitFunctions {
public:
    // 1 when both functions are registered on `db`.
    static int Register(sqlite3* db);

    // Occurrences of the words in the text and the byte offset of the first one (the
    // text's length when none).
    static void Score(const std::string& text, const std::vector<std::string>& words,
                      long long& occurrences, long long& first);
    // About `chars` characters of the text around the first occurrence of a word, line
    // breaks as blanks, with "…" where it is cut; empty when no word occurs.
    static std::string Snippet(const std::string& text, const std::vector<std::string>& words,
                               int chars = 60);
};
