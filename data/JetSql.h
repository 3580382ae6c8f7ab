#pragma once
// Runs the program's Jet SQL on SQLite unchanged from the callers' side:
//  - "select top N ..." becomes "select ... limit N";
//  - date literals between '#' signs become canonical text literals (an impossible date
//    makes the statement fail, as Jet refuses it);
//  - text given for the date columns (datum, updatetime) in INSERT values and in
//    comparisons or assignments is stored and compared as "%Y-%m-%d %H:%M:%S".
// Text literals pass through untouched.

#include <string>
#include <string_view>

class CJetSql {
public:
    // Translates `jet` into `out`. On a refused statement answers false with the reason.
    static bool Translate(std::string_view jet, std::string& out, std::string& error);

    // Parses a date text ("2003-1-1", "2003/01/01", "2004-5-1 10:20:30", ...) into the
    // canonical "%Y-%m-%d %H:%M:%S". A year of one or two digits is read as Jet reads it
    // (00-29: 2000-2029, 30-99: 1930-1999). False for an impossible or malformed date.
    static bool CanonicalDate(std::string_view text, std::string& out);

    // True for the names of the date columns (with or without a table alias).
    static bool IsDateColumn(std::string_view name);
};
