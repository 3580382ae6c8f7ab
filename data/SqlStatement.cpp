#include "data/SqlStatement.h"

#include <string_view>

std::string InCondition(const std::string& column, std::span<const int> values) {
    std::string text = column + " in (";
    for (size_t i = 0; i < values.size(); ++i) {
        if (i > 0)
            text += ',';
        text += std::to_string(values[i]);
    }
    return text + ')';
}

void QuoteText(std::string& target, const char* value) {
    if (!value || !*value) {
        target += "NULL";
        return;
    }
    // Copied in runs between quotes: law texts are long and have few quotes.
    const std::string_view text(value);
    target.reserve(target.size() + text.size() + 2);
    target += '\'';
    size_t start = 0;
    for (size_t quote = text.find('\''); quote != std::string_view::npos;
         quote = text.find('\'', start)) {
        target.append(text, start, quote + 1 - start);
        target += '\'';
        start = quote + 1;
    }
    target.append(text, start, std::string_view::npos);
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
