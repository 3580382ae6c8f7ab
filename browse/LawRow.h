#pragma once

#include <string>

// One row of the law list: what a listing statement delivers for a law.
struct CLawRow {
    int m_nLawId = 0;       // 0 marks the no-records row
    std::string m_strTopic; // title
    std::string m_strDatum; // date part, at most 10 characters
    std::string m_strWenhao;
    std::string m_strBumen;
    std::string m_strSnippet; // the text around the first hit of a law-text search, or empty
    // The lawid and the date are known; the title, the number and the department are still
    // to be read (CLawRowFill). A long list is shown before every row's columns are read.
    bool m_bPending = false;
};
