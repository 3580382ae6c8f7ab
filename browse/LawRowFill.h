#pragma once

#include "browse/LawRow.h"

#include <string>
#include <vector>

class CDbConnection;

// Reads the columns of the law list's pending rows (CLawRow::m_bPending): a long list is
// delivered with lawids and dates, and the rows shown get their titles, numbers and
// departments here, a block at a time.
class CLawRowFill {
public:
    static constexpr size_t kLawsPerStatement = 500;
    // From this many rows on, the laws are read in one pass in lawid order.
    static constexpr size_t kOnePassFrom = 5000;

    // Reads the title, the number and the department of `rows` from `lawTable` by lawid.
    // Every row given is no longer pending afterwards: a law that is no longer there, or
    // could not be read, keeps empty columns. False when a statement failed.
    static bool Fill(CDbConnection& db, const std::string& lawTable,
                     const std::vector<CLawRow*>& rows);
};
