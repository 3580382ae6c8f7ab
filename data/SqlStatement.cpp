#include "data/SqlStatement.h"

void QuoteText(std::string& target, const char* value) {
    if (!value || !*value) {
        target += "NULL";
        return;
    }
    target += '\'';
    for (const char* p = value; *p; ++p) {
        if (*p == '\'')
            target += '\'';
        target += *p;
    }
    target += '\'';
}

void CSqlStatement::Reset() {
    m_strStatement.clear();
    m_strItems.clear();
    m_strTable.clear();
    m_strCondition.clear();
    m_strListPrefix.clear();
}

void CSqlStatement::AppendConjunction(const char* conjunction) {
    if (!m_strCondition.empty() && conjunction)
        m_strCondition += conjunction;
}

void CSqlStatement::AddCondition(const char* conjunction, const char* column,
                                 const char* comparison, const char* value) {
    AppendConjunction(conjunction);
    m_strCondition += column;
    m_strCondition += comparison;
    QuoteText(m_strCondition, value);
}

void CSqlStatement::AddCondition(const char* conjunction, const char* column,
                                 const char* comparison, int value) {
    AppendConjunction(conjunction);
    m_strCondition += column;
    m_strCondition += comparison;
    m_strCondition += std::to_string(value);
}

void CSqlStatement::Prepare() {
    if (!m_strListPrefix.empty())
        m_strItems = m_strListPrefix + m_strItems;
}
