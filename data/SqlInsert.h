#pragma once

#include "data/SqlStatement.h"

// The column names go to the item list and the values to the condition slot.
class CSqlInsert : public CSqlStatement {
public:
    void AddValue(const char* column, const char* value);
    void AddValue(const char* column, const std::string& value) { AddValue(column, value.c_str()); }
    void AddValue(const char* column, int value);
    const std::string& Build();

private:
    void AddColumnName(const char* column);
};
