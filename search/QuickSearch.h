#pragma once

#include <string>
#include <vector>

struct sqlite3;

// The search box beside the dialogs: the statement it hands to the law list as the user
// types. Words are split at every Unicode blank (the full-width U+3000 included). Titles
// are searched by default, law texts on request, in one category subtree or everywhere; the
// laws found are those every word matches with the same like as the dialogs, and the
// rows come ranked:
//  - titles: the title equal to the words, then titles beginning with the first word, then
//    the rest (a leading "中华人民共和国" does not count), newest first within each group;
//  - law texts: the most occurrences of the words first, then the earliest first occurrence,
//    then the newest; each row carries a snippet of the text around its first hit.
// The ranking and the snippet come from CHitFunctions. The index narrows the candidates where it
// can (CSearchIndex); the like conditions decide.
class CQuickSearch {
public:
    struct Request {
        std::string lawTable;       // "dornlaws" or "en_dornlaws"
        std::string linkTable;      // "dornlawas" or "en_dornlawas"
        int categoryId = 0;         // 0: every law of the edition
        int rangeEnd = 0;           // end of the category's id range
        bool body = false;          // search the law texts instead of the titles
        std::string text;           // as typed
        long long indexedUpTo = -1; // the index's mark for the column searched (-1: none)
        // Titles: the rank groups come one after the other, each in date order, instead of
        // all laws found being ranked before the first row. The same rows in the same order
        // (laws of the same date within a group may come in another order).
        bool streamed = false;
    };

    // Above this many candidates a title search streams its groups (ShouldStream).
    static constexpr long long kRankWholeUpTo = 2000;

    // Whether a title search is better streamed: when the index gives more candidates than
    // ranking whole is quick for, or cannot narrow the search at all.
    static bool ShouldStream(sqlite3* db, const Request& request);

    // The words of `text`, split at every Unicode blank; empty words are dropped.
    static std::vector<std::string> SplitBlanks(const std::string& text);

    // The words searched for `text` as people type it: split at blanks and at `*` (which is
    // matched as no character of its own: 合同* finds what 合同 finds), 《》 and quotation marks
    // around a word are dropped, and in a title search ASCII brackets are the full-width ones the
    // titles use; each word once, empty ones dropped.
    static std::vector<std::string> Words(const std::string& text, bool body);

    // The statement for `request` (columns lawid, topic, datum, wenhao, bumen, and snippet
    // for a law-text search); empty when the text has no word or the search is refused.
    // Each word counts once, however often it is typed.
    static std::string Statement(const Request& request);

    // Why the search cannot run (too many different words, a word too long), in plain
    // words; empty when it can (CSearchLimits).
    static std::string Refusal(const Request& request);

private:
    static std::string StreamedTitleStatement(const Request& request,
                                              const std::vector<std::string>& words);
};
