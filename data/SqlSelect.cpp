#include "data/SqlSelect.h"

void CSqlSelect::AddColumn(const char* item) {
    if (!m_strItems.empty())
        m_strItems += ',';
    m_strItems += item;
}

void CSqlSelect::Join(const char* table, const char* onCondition) {
    if (m_strTable.empty()) {
        m_strTable = table;
        return;
    }
    m_strTable = "(" + m_strTable + " left join " + table + " on " + onCondition + ")";
}

void CSqlSelect::AddDelimitedCondition(const char* conjunction, const char* column,
                                       const char* comparison, const char* value,
                                       const char* delimiter) {
    AppendConjunction(conjunction);
    m_strCondition += column;
    m_strCondition += comparison;
    m_strCondition += delimiter;
    m_strCondition += value;
    m_strCondition += delimiter;
}

const std::string& CSqlSelect::Build() {
    Prepare();
    return BuildAgain();
}

const std::string& CSqlSelect::BuildAgain() {
    m_strStatement = "select " + m_strItems + " from " + m_strTable;
    if (!m_strCondition.empty())
        m_strStatement += " where " + m_strCondition;
    if (!m_strOrder.empty())
        m_strStatement += " order by " + m_strOrder;
    return m_strStatement;
}
