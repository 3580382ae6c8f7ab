#pragma once

#include "reader/LawRef.h"

#include <string>

class CDbConnection;

// Finds laws of one edition's law table by id, server id or title, for the reader's
// remembered laws and the command line.
class CLawLookup {
public:
    CLawLookup(CDbConnection& db, const char* lawTable) : m_db(db), m_strTable(lawTable) {}

    // Title and server id of a law; false when there is no such law.
    bool Describe(int lawid, CLawRef& law);
    // The lawid of the law with this server id, 0 when there is none.
    int FindByOldId(const std::string& oldid);
    // A law given by the user: its lawid when the text is a number naming a law, else the law
    // with exactly this title, else the one titled "中华人民共和国" and the text, else the
    // newest law whose title holds it (the newest version in each case); 0 when none.
    int FindByTitleOrId(const std::string& text);
    // Where a remembered law is now: by its server id when it has one, else by its lawid.
    int Resolve(const CLawRef& law);

private:
    int FirstLawId(const std::string& sql);

    CDbConnection& m_db;
    std::string m_strTable;
};
