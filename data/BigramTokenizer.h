#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

struct sqlite3;

// The tokenizer of the full-text index over law titles and texts: every pair of adjacent
// characters becomes one token (CJK text has no word boundaries), ASCII letters lowered as
// the SQL like compares them. Characters that never carry a search (blanks, controls, ASCII
// and CJK punctuation, broken byte sequences) break the pairs. Characters are read the way
// the engine's like reads them, so any text that matches "%word%" holds every pair that
// PatternBigrams finds in the word.
class CBigramTokenizer {
public:
    static constexpr const char* kName = "tolvarin_bigram";
    // The argument that makes the tokenizer read a text only up to its first NUL, where the
    // engine's like stops reading it: then a text holds a pair exactly when it matches the
    // like of the pair's two characters ("tokenize='tolvarin_bigram nul'"). Indexes made
    // before it read the whole text, and keep doing so.
    static constexpr const char* kStopAtNul = "nul";
    // The argument that makes the tokenizer hand the index every pair of a document at its
    // position, with a gap token (kGap) between runs of indexed characters, for an index with
    // positions (detail=full): the phrase of a word's overlapping pairs then finds exactly
    // the texts that hold the word. Without it a document's pair is handed once.
    static constexpr const char* kPositions = "pos";
    // The token between two runs of a document: no query ever holds it.
    static constexpr const char* kGap = "\x01";

    // Registers the tokenizer with the connection's FTS5 module; 1 when done, 0 when the
    // engine has no FTS5 or refused.
    static int Register(sqlite3* db);
    // Registers a tokenizer that takes any arguments under `name` with the connection, so
    // that an index table declared with a tokenizer the program does not know can be
    // dropped. 1 when done.
    static int RegisterAs(sqlite3* db, const std::string& name);

    // Calls `token` for every pair of `text`, in order, with the pair's byte range in the
    // text.
    static void
    Tokenize(std::string_view text,
             const std::function<void(std::string_view token, int start, int end)>& token);

    // The pairs that every text matching the like pattern "%" + word + "%" contains: the
    // pairs inside the runs of the word between its wildcards ("%", "_"), each once. Empty
    // when the index cannot narrow the search (a word of one character, wildcards only).
    static std::vector<std::string> PatternBigrams(std::string_view word);

    // The runs of overlapping pairs in the word between its wildcards and the characters
    // that break pairs: each run's pairs stand at consecutive positions in every text that
    // matches "%" + word + "%".
    static std::vector<std::vector<std::string>> PatternPhrases(std::string_view word);

    // True when the word is two or more characters, all of them carried by pairs (no
    // wildcard, blank, punctuation or NUL): then, in an index with positions that stops at
    // NUL, the laws holding the phrase of its pairs are exactly those whose text matches
    // "%" + word + "%".
    static bool IsOneRun(std::string_view word);

    // The text as the engine's like reads it: up to its first NUL.
    static std::string_view UpToNul(std::string_view text);
};
