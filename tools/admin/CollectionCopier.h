#pragma once

#include "tools/admin/CollectionWriter.h"
#include "tools/admin/CorpusImporter.h"

#include <functional>
#include <string>

// Copies a whole collection (both editions' categories, laws and links, ids and stamps kept)
// between an SQLite file and a PostgreSQL database ("postgresql://..."), either way. A
// PostgreSQL target gets the publisher's schema (tables, indexes, stamping triggers) and
// must hold no collection yet unless `replace`; an SQLite target is written to a temporary
// file beside it and renamed when complete, so a failed copy leaves nothing behind.
class CCollectionCopier {
public:
    // Told as each table is copied: its rows copied so far (0 when it begins) of `total`,
    // which is counted in the source at the table's start only when progress is wanted.
    using Progress = std::function<void(const std::string& table, long long done, long long total)>;
    // What an import through a temporary file tells: the corpus read, the file written, the
    // copy.
    struct ImportProgress {
        CCorpusImporter::Progress read;
        CCollectionWriter::ProgressHook write;
        Progress copy;
    };

    // Answers the rows copied, or -1 with `error`.
    static long long Copy(const std::string& source, const std::string& target, bool replace,
                          std::string& error, const Progress& progress = {});
    // Imports a JSON Lines corpus into a PostgreSQL database (through a temporary SQLite
    // file). Answers the laws imported, or -1 with `error`.
    static long long ImportCorpus(const std::string& corpus, const std::string& edition,
                                  const std::string& target, bool replace, std::string& error,
                                  const ImportProgress& progress = {});
    static bool IsPostgres(const std::string& name);
};
