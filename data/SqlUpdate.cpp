#include "data/SqlUpdate.h"

void CSqlUpdate::AddValue(const char* column, const char* value) {
    if (!m_strItems.empty())
        m_strItems += ',';
    m_strItems += column;
    m_strItems += '=';
    QuoteText(m_strItems, value);
}

void CSqlUpdate::AddValue(const char* column, int value) {
    if (!m_strItems.empty())
        m_strItems += ',';
    m_strItems += column;
    m_strItems += '=';
    m_strItems += std::to_string(value);
}

const std::string& CSqlUpdate::Build() {
    Prepare();
    m_strStatement = "Update " + m_strTable + " set " + m_strItems;
    if (!m_strCondition.empty())
        m_strStatement += " where " + m_strCondition;
    return m_strStatement;
}
