#pragma once

#include <string>

// Creates the law database: both editions' category, law and link tables with the indexes
// their lookups need, in WAL journaling. The program itself only opens existing files.
class CSchema {
public:
    // Creates `path` with empty tables. Refuses an existing file unless `overwrite`.
    static bool CreateDatabase(const std::string& path, bool overwrite, std::string& error);
    // The statements that create one edition's tables ("" for Chinese, "en_" for English).
    static std::string EditionDdl(const std::string& prefix);
};
