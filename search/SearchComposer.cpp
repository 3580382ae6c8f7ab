#include "search/SearchComposer.h"

#include "data/SqlSelect.h"
#include "data/TreeNode.h"
#include "ground/EditionConfig.h"
#include "ground/TextUtil.h"
#include "search/SearchLimits.h"

#include <cstdio>

CSearchComposer::CSearchComposer(std::string linkTable, std::string lawTable, int curTreeId)
    : m_strLinkTable(std::move(linkTable)), m_strLawTable(std::move(lawTable)),
      m_nCurTreeId(curTreeId) {}

CSearchComposer CSearchComposer::FromEdition(const CEditionConfig& config) {
    return CSearchComposer(config.GetLinkTable(), config.GetLawTable(), config.GetCurTreeId());
}

void CSearchComposer::ComposeFrame(CSqlSelect& builder, int scope) const {
    builder.SetTable((m_strLinkTable + " v").c_str());
    builder.Join(m_strLawTable + " law", "v.lawid=law.lawid");
    builder.SetDistinct(" distinct ");
    builder.AddColumn("law.lawid as lawid");
    builder.AddColumn("law.topic as topic");
    builder.AddColumn("law.datum as datum");
    builder.AddColumn("law.wenhao as wenhao");
    builder.AddColumn("law.bumen as bumen");
    if (m_nCurTreeId != 0 && scope == kScopeCurrent) {
        CTreeNode node;
        node.SetNodeId(m_nCurTreeId);
        builder.AddCondition(nullptr, "v.treeid", ">=", m_nCurTreeId);
        builder.AddCondition(" and ", "v.treeid", "<", node.GetRangeEnd());
    }
}

void CSearchComposer::ComposeTitleSearch(CSqlSelect& builder, const std::string& text,
                                         int scope) const {
    ComposeFrame(builder, scope);
    AddWordConditions(builder, "law.topic", text);
    builder.SetOrderBy("datum DESC");
}

void CSearchComposer::ComposeAdvancedSearch(CSqlSelect& builder,
                                            const CAdvancedSearchValues& values) const {
    ComposeFrame(builder, values.m_nScope);
    AddWordConditions(builder, "law.topic", values.m_strTitle);
    AddWordConditions(builder, "law.bumen", values.m_strBumen);
    AddWordConditions(builder, "law.wenhao", values.m_strWenhao);
    if (values.m_nFromYear != 0)
        AddDateBound(builder, ">=", values.m_nFromYear, values.m_nFromMonth, values.m_nFromDay);
    if (values.m_nToYear != 0)
        AddDateBound(builder, "<", values.m_nToYear, values.m_nToMonth, values.m_nToDay);
    builder.SetOrderBy("datum DESC");
}

void CSearchComposer::AddWordConditions(CSqlSelect& builder, const char* column,
                                        const std::string& text) {
    // A word typed twice is one condition: the same laws, a shorter statement.
    for (const std::string& word : CSearchLimits::Distinct(SplitWords(text)))
        builder.AddCondition(" and ", column, " like ", LikeValue(word));
}

void CSearchComposer::AddDateBound(CSqlSelect& builder, const char* comparison, int year, int month,
                                   int day) {
    char date[48];
    std::snprintf(date, sizeof date, "%d-%d-%d", year, month == 0 ? 1 : month, day == 0 ? 1 : day);
    builder.AddDelimitedCondition(" and ", "law.datum", comparison, date, "#");
}

std::string CSearchComposer::LikeValue(const std::string& word) {
    return "%" + word + "%";
}
