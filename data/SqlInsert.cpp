#include "data/SqlInsert.h"

void CSqlInsert::AddColumnName(const char* column) {
    if (!m_strItems.empty()) {
        m_strItems += ',';
        m_strCondition += ',';
    }
    m_strItems += column;
}

void CSqlInsert::AddValue(const char* column, const char* value) {
    AddColumnName(column);
    QuoteText(m_strCondition, value);
}

void CSqlInsert::AddValue(const char* column, int value) {
    AddColumnName(column);
    m_strCondition += std::to_string(value);
}

const std::string& CSqlInsert::Build() {
    m_strStatement =
        "insert into " + m_strTable + " ( " + m_strItems + " ) values( " + m_strCondition + " )";
    return m_strStatement;
}
