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
};
