#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct sqlite3;

// The full-text index of one law table ("dornlaws" or "en_dornlaws"): two FTS5 tables over
// the law table's own rows (law texts in <table>_body, titles in <table>_title), tokenized
// into character pairs by CBigramTokenizer, with every pair's position. Only this program
// reads and writes them. Whoever writes the law table, plain SQL triggers log each law
// written into <table>_changes with the values the index holds of it; the program takes the
// log into the index (Fold) before it next writes the index, and until then the laws logged
// are candidates of every search, decided by their texts. Nothing in the file calls the
// program's code when another program writes the laws.
//
// The index is built from the lowest lawid up: search_index.upto says up to which lawid the
// index holds the laws (INT64_MAX once complete). The log keeps the laws up to that mark;
// the laws above it are added by BuildStep. A search takes its candidates from the
// index for the laws up to the mark and searches the laws above it as before, so it is
// correct while the index is being built. The index narrows the search, and every candidate
// is checked by the search's own like conditions, except where the index decides exactly
// (see Candidates).
class CSearchIndex {
public:
    static constexpr std::int64_t kComplete = INT64_MAX;

    // Makes every connection this process opens from now on know the tokenizer (an FTS5
    // table can be neither read nor written without it).
    static void RegisterEverywhere();

    // The log of laws written and the triggers that keep it (plain SQL).
    static std::string LogDdl(const std::string& lawTable);
    static std::string ChangesTable(const std::string& lawTable);
    // Takes the log into the index, in the caller's transaction: the pairs the index holds
    // of each law logged out, the law's pairs now in (up to the mark), the log emptied.
    static bool Fold(sqlite3* db, const std::string& lawTable, std::string& error);
    // Drops the triggers of an index made by an earlier version, which call the tokenizer in
    // every write of a law (a file with them cannot be written by another program, nor by
    // this one once their index is damaged). The index they kept is then out of step and is
    // made again (IsOutdated). So are the triggers of a log whose table is gone. True when
    // none is left.
    static bool DropOldTriggers(sqlite3* db, const std::string& lawTable, std::string& error);
    // The mark as stored, whatever state the rest of the index is in; -1 when none.
    static std::int64_t Mark(sqlite3* db, const std::string& lawTable);

    // What the index tables hold as the program last left them: after each of its writes of
    // the index (in the same transaction) the program records, per index table, its mark,
    // the engine's totals and segment list, its highest page and its number of term pages in
    // search_index_state. No other program writes the index, so any difference found later is
    // damage done from outside: rows deleted from the engine's own tables, a mark moved, the
    // index replaced. Each of these is read by one seek but the term pages, a small table.
    static bool Remember(sqlite3* db, const std::string& lawTable, std::string& error);
    // Checks a usable index (BuiltUpTo >= 0) against what Remember recorded and asks each
    // index table one query: "" when it holds as it was left, else what differs. An index
    // without a record (made by an earlier version) is checked once by its number of laws
    // against the law table's (`unrecorded` tells so; Remember then records it). Costs a few
    // seeks and a count of the term pages: milliseconds at a million laws.
    static std::string Damage(sqlite3* db, const std::string& lawTable, bool* unrecorded = nullptr);
    // Takes the mark of `lawTable`'s index away, in the caller's transaction when there is
    // one: searches go without the index from then on, and it counts as one to make again
    // (IsOutdated). For an index found damaged. True when done.
    static bool SetAside(sqlite3* db, const std::string& lawTable, std::string& error);
    // What the window does with an index when the collection opens: a damaged one is set
    // aside (and `damage` says how it was found), one made by an earlier version is recorded.
    // True when the index can be used as it stands (or there is none to check).
    static bool CheckOnOpen(sqlite3* db, const std::string& lawTable, std::string& damage);

    // The statements that create the index of `lawTable`, empty, with its mark at `upto`.
    static std::string Ddl(const std::string& lawTable, std::int64_t upto);
    // Creates the index of `lawTable` when it has none: complete at once when the table is
    // empty, otherwise empty with its mark at 0 for BuildStep. 1 on success.
    static int Create(sqlite3* db, const std::string& lawTable, std::string& error);

    // Removes the index of `lawTable` with its triggers. 1 on success.
    static int Drop(sqlite3* db, const std::string& lawTable, std::string& error);

    // True when `lawTable` has an index, or a part of one, that cannot be used: made before
    // the present rules (texts read past a NUL, no positions, triggers that call the
    // tokenizer, no log), declared with a tokenizer of another name, or missing a table, a
    // trigger of its log or its mark. Searches then go without it; dropped and made again
    // (CSearchIndexBuilder does so), it is used again. Reads only the schema.
    static bool IsOutdated(sqlite3* db, const std::string& lawTable);

    // The mark of `lawTable`'s index; -1 when there is no index or it cannot be used
    // (IsOutdated).
    static std::int64_t BuiltUpTo(sqlite3* db, const std::string& lawTable);

    // Adds the next laws above the mark (at most `laws` of them) in one transaction and
    // moves the mark; marks the index complete when no law is left above it. Answers 1 while
    // laws are left, 0 once complete, -1 on failure (with the reason in `error`).
    // `done` and `total` tell the progress in laws.
    static int BuildStep(sqlite3* db, const std::string& lawTable, int laws, long long& done,
                         long long& total, std::string& error);

    // A bulk write of many laws in the caller's open transaction: BeginBulk takes the log
    // in and moves a complete index's mark down to the highest lawid there is, and EndBulk
    // takes the log in again (the laws up to the mark rewritten meanwhile), indexes the laws
    // inserted above the mark in one pass, merges the index and marks it complete again,
    // all before the caller commits. FTS5 keeps the pending pairs of the whole pass in
    // memory and merges once at the end instead of flushing and merging all along. BeginBulk
    // answers the mark to hand to EndBulk, or -1 when there is nothing to do in bulk (no index, or
    // one still being built on first use, which then indexes the new laws itself); -2 on failure.
    static std::int64_t BeginBulk(sqlite3* db, const std::string& lawTable, std::string& error);
    // A damaged index (Damage) or one that fails the bulk write is set aside (SetAside)
    // rather than failing the write of the laws.
    // `progress`, when given, hears how many of the new laws are in the index (done, total)
    // as the fill goes on, and (-1, -1) when the merge begins; a fill of one batch or less
    // says nothing.
    using FillProgress = std::function<void(std::int64_t done, std::int64_t total)>;
    static constexpr std::int64_t kFillBatch = 2000;
    static bool EndBulk(sqlite3* db, const std::string& lawTable, std::int64_t from,
                        std::string& error, const FillProgress& progress = {});

    // Candidates for laws whose `column` ("body" or "topic") matches "%word%" for every
    // word: the ascending lawids up to `upto` that the index holds with every pair of the
    // words. False when the index cannot narrow this search (no index, no pair in the
    // words, or a failure): then every law is a candidate. Laws above `upto` are not covered
    // by the index and are all candidates.
    // Each run of a word's pairs is asked as a phrase: the pairs one after the other.
    // `exact` (when given) tells whether the candidates up to `upto` are exactly the laws
    // that match: every word is one run of two or more characters
    // (CBigramTokenizer::IsOneRun) and the index keeps the pairs' positions and reads the
    // texts as like does (HasPositions); the laws then need no check of their texts.
    // With `above` and `through`, only the candidates in that range of lawids (above the
    // one, up to and including the other) are read.
    static bool Candidates(sqlite3* db, const std::string& lawTable, const std::string& column,
                           const std::vector<std::string>& words, std::vector<int>& lawids,
                           std::int64_t& upto, bool* exact = nullptr, std::int64_t above = 0,
                           std::int64_t through = kComplete);
    // True when the index of `column` reads each text only up to its first NUL, as the
    // engine's like does (every index made since that rule; older ones read to the end).
    static bool StopsAtNul(sqlite3* db, const std::string& lawTable, const std::string& column);
    // True when the index of `column` keeps every pair's position and stops at NUL (every
    // index made since that rule): a word's phrase then decides the search exactly.
    static bool HasPositions(sqlite3* db, const std::string& lawTable, const std::string& column);

    // How many laws the index gives as candidates for the words in `column`, counted up to
    // `limit` (a result of `limit` means that many or more); laws above the mark count as
    // candidates. -1 when the index cannot narrow this search.
    static std::int64_t CountCandidates(sqlite3* db, const std::string& lawTable,
                                        const std::string& column,
                                        const std::vector<std::string>& words, std::int64_t limit);

    // Compares the index with the law table: every law up to the mark with exactly the
    // pairs of its text and title, and nothing else. True when equal; else `difference`
    // names the first law that differs. Reads every law: for checks and tests.
    static bool MatchesTable(sqlite3* db, const std::string& lawTable, std::string& difference);

    // The FTS5 query for the words' runs of pairs ("ab" + "bc" AND "xy" ...); empty when
    // there is none.
    static std::string MatchQuery(const std::vector<std::string>& words);
    // The index of `lawTable`'s titles (with the list's columns) that comes with the search
    // index.
    static std::string TitleOrderIndex(const std::string& lawTable);
    // The index of `lawTable` by lawid with the list's columns that comes with the search
    // index: the laws the index decides are listed without reading the rows that hold their
    // texts. HasListByIdIndex tells whether the collection has it.
    static std::string ListByIdIndex(const std::string& lawTable);
    static bool HasListByIdIndex(sqlite3* db, const std::string& lawTable);
    // The FTS5 table of `column` ("body" or "topic") of `lawTable`.
    static std::string IndexTable(const std::string& lawTable, const std::string& column);

private:
    // EndBulk's filling of the index; false with the engine's reason on failure.
    static bool FillAfterBulk(sqlite3* db, const std::string& lawTable, std::int64_t from,
                              std::string& error, const FillProgress& progress);
};
