#pragma once

#include "data/SqlStatement.h"

class CSqlSelect : public CSqlStatement {
public:
    void AddColumn(const char* item);
    void SetDistinct(const char* prefix) { m_strListPrefix = prefix; }
    void Join(const char* table, const char* onCondition);
    void Join(const std::string& table, const char* onCondition) {
        Join(table.c_str(), onCondition);
    }
    void AddDelimitedCondition(const char* conjunction, const char* column, const char* comparison,
                               const char* value, const char* delimiter);
    void SetOrderBy(const char* text) { m_strOrder = text; }
    const std::string& GetOrderBy() const { return m_strOrder; }
    // The column list as built: after Prepare, with the distinct prefix in front.
    const std::string& GetItems() const { return m_strItems; }
    const std::string& Build();
    const std::string& BuildAgain();

private:
    std::string m_strOrder;
};
