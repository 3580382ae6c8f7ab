#pragma once

#include <string>

// Copies a whole collection (both editions' categories, laws and links, ids and stamps kept)
// between an SQLite file and a PostgreSQL database ("postgresql://..."), either way. A
// PostgreSQL target gets the publisher's schema (tables, indexes, stamping triggers) and
// must hold no collection yet unless `replace`; an SQLite target is written to a temporary
// file beside it and renamed when complete, so a failed copy leaves nothing behind.
class CCollectionCopier {
public:
    // Answers the rows copied, or -1 with `error`.
    static long long Copy(const std::string& source, const std::string& target, bool replace,
                          std::string& error);
    // Imports a JSON Lines corpus into a PostgreSQL database (through a temporary SQLite
    // file). Answers the laws imported, or -1 with `error`.
    static long long ImportCorpus(const std::string& corpus, const std::string& edition,
                                  const std::string& target, bool replace, std::string& error);
    static bool IsPostgres(const std::string& name);
};
