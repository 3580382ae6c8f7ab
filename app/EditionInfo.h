#pragma once

#include <string>
#include <vector>

// Everything that differs between the Chinese and the English edition, plus the browsing
// state that belongs to an edition.
class CEditionInfo {
public:
    CEditionInfo(const char* caption, const char* treeTable, const char* linkTable,
                 const char* lawTable, const char* treeUrl, const char* lawUrl,
                 const char* linkUrl, const char* pageTemplate)
        : m_strCaption(caption), m_strTreeTable(treeTable), m_strLinkTable(linkTable),
          m_strLawTable(lawTable), m_strTreeUrl(treeUrl), m_strLawUrl(lawUrl),
          m_strLinkUrl(linkUrl), m_strPageTemplate(pageTemplate) {}

    const char* m_strCaption;
    const char* m_strTreeTable;
    const char* m_strLinkTable;
    const char* m_strLawTable;
    const char* m_strTreeUrl;
    const char* m_strLawUrl;
    const char* m_strLinkUrl;
    const char* m_strPageTemplate;
    std::vector<std::string> m_arrSearchWords;
    std::vector<std::string> m_arrFindWords;
    int m_nCurTreeId = 0;
    int m_nCurLawId = 0;
};
