#pragma once
// The versions of a law: the laws of one law table whose titles are the same once blanks and
// the forms of brackets are set aside (〈〉 read as 《》, ASCII parentheses as full-width
// ones). The newest by date is the law in force (现行), the others are historical versions
// (历史版本).

#include <string>
#include <string_view>
#include <vector>

class CDbConnection;

struct CLawVersion {
    int m_nLawId = 0;
    std::string m_strTopic;
    std::string m_strDatum; // the date part, at most 10 characters ("" when none)
};

class CLawVersions {
public:
    // The title as versions compare it: no blanks (ASCII, full-width, no-break), 〈〉 as 《》,
    // () as （）, [] and ［］ as 〔〕.
    static std::string NormaliseTitle(std::string_view title);
    // The longest beginning of the title that every version's title shares byte for byte:
    // up to its first blank or bracket.
    static std::string_view SharedPrefix(std::string_view title);

    // The versions of the law titled `title`, newest first (by date, then lawid); the law
    // itself among them. Reads through the index of titles: only the titles that begin as
    // this one does. Empty when the statement fails.
    static std::vector<CLawVersion> Find(CDbConnection& db, const std::string& lawTable,
                                         std::string_view title);
    // The versions of the law `lawid` (empty when it does not exist or has no other version).
    static std::vector<CLawVersion> OfLaw(CDbConnection& db, const std::string& lawTable,
                                          int lawid);

    // True when `lawid` is among `versions` and is not their first (the one in force).
    static bool IsHistorical(const std::vector<CLawVersion>& versions, int lawid);
};
