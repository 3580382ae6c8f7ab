#pragma once

#include <string>

class CDbConnection;
struct sqlite3;

// Creates the law database: both editions' category, law and link tables with the indexes
// their lookups need, in WAL journaling. The program itself only opens existing files.
class CSchema {
public:
    // Creates `path` with empty tables. Refuses an existing file unless `overwrite`.
    static bool CreateDatabase(const std::string& path, bool overwrite, std::string& error);
    // The statements that create one edition's tables ("" for Chinese, "en_" for English).
    static std::string EditionDdl(const std::string& prefix);

    // Whether the open database holds a collection: both editions' category, law and link
    // tables with every column the program reads or writes. Answers true when it does;
    // otherwise false with `missing` naming the first table ("dornlaws") or column
    // ("dornlaws.oldid") that is not there. Reads only the schema, so it costs nothing even
    // on a large collection. A database that cannot be read at all also answers false.
    static bool CheckCollection(sqlite3* db, std::string& missing);
    static bool CheckCollection(CDbConnection& db, std::string& missing);
    // The text that tells the user the database file holds no collection, naming what is
    // missing (the result of CheckCollection).
    static std::string NoCollectionText(const std::string& missing);
};
