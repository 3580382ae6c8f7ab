#pragma once

#include "search/AdvancedSearchValues.h"

#include <string>

class CEditionConfig;
class CSqlSelect;

// Fills the statement builder of the title and the advanced search: the link table joined
// to the law table, the distinct law columns, the category range when the search is bound
// to the current category, one " like " condition per typed word and the date bounds.
class CSearchComposer {
public:
    // Scope values of the search dialogs' radio buttons.
    enum { kScopeCurrent = 0, kScopeAll = 1 };

    CSearchComposer(std::string linkTable, std::string lawTable, int curTreeId);
    // The current edition's tables and selected category.
    static CSearchComposer FromEdition(const CEditionConfig& config);

    // The frame both searches share: tables, distinct columns and, for scope 0 with a
    // category selected, the category's id range.
    void ComposeFrame(CSqlSelect& builder, int scope) const;

    // The title search, ordered and ready to Build.
    void ComposeTitleSearch(CSqlSelect& builder, const std::string& text, int scope) const;

    // The advanced search without the content words, ordered; Build it, or hand it to the
    // body search when the content field has words.
    void ComposeAdvancedSearch(CSqlSelect& builder, const CAdvancedSearchValues& values) const;

    // One " like " condition on `column` per word of `text` (split as every search splits),
    // a word typed twice once.
    static void AddWordConditions(CSqlSelect& builder, const char* column, const std::string& text);

    // A date bound on law.datum with `comparison` (">=" or "<"); month and day 0 become 1.
    static void AddDateBound(CSqlSelect& builder, const char* comparison, int year, int month,
                             int day);

    // "%" + word + "%", the value of a word condition.
    static std::string LikeValue(const std::string& word);

private:
    std::string m_strLinkTable;
    std::string m_strLawTable;
    int m_nCurTreeId;
};
