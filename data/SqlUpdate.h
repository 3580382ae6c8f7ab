#pragma once

#include "data/SqlStatement.h"

class CSqlUpdate : public CSqlStatement {
public:
    void AddValue(const char* column, const char* value);
    void AddValue(const char* column, const std::string& value) { AddValue(column, value.c_str()); }
    void AddValue(const char* column, int value);
    const std::string& Build();
};
