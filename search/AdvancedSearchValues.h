#pragma once

#include <string>

// What the advanced search form holds when the user starts the search: the four texts as
// typed, the two dates (a year of 0 means no bound; a month or day of 0 means the first)
// and the scope (0 the current category, 1 all categories).
struct CAdvancedSearchValues {
    std::string m_strTitle;
    std::string m_strWenhao;
    std::string m_strBumen;
    std::string m_strContent;
    int m_nFromYear = 0;
    int m_nFromMonth = 0;
    int m_nFromDay = 0;
    int m_nToYear = 0;
    int m_nToMonth = 0;
    int m_nToDay = 0;
    int m_nScope = 0;
};
