#pragma once

#include <span>
#include <string>

// Appends a text value as an SQL literal: quotes doubled and the value wrapped in single
// quotes; an empty or absent value becomes NULL.
void QuoteText(std::string& target, const char* value);
inline void QuoteText(std::string& target, const std::string& value) {
    QuoteText(target, value.c_str());
}

// "<column> in (1,2,3)": the condition that `column` is one of `values` (never true for none).
std::string InCondition(const std::string& column, std::span<const int> values);

// The base of the statement builders: a statement is filled part by part and then built.
class CSqlStatement {
public:
    CSqlStatement() = default;
    virtual ~CSqlStatement() = default;
    virtual void Reset();

    void SetTable(const char* text) { m_strTable = text; }
    const std::string& GetTable() const { return m_strTable; }
    void AddCondition(const char* conjunction, const char* column, const char* comparison,
                      const char* value);
    void AddCondition(const char* conjunction, const char* column, const char* comparison,
                      const std::string& value) {
        AddCondition(conjunction, column, comparison, value.c_str());
    }
    void AddCondition(const char* conjunction, const char* column, const char* comparison,
                      int value);
    void SetWhere(const char* text) { m_strCondition = text; }
    void SetWhere(const std::string& text) { m_strCondition = text; }
    const std::string& GetWhere() const { return m_strCondition; }
    void Prepare();

protected:
    void AppendConjunction(const char* conjunction);

    std::string m_strCondition;
    std::string m_strItems;
    std::string m_strTable;
    std::string m_strStatement;
    std::string m_strListPrefix;
};
