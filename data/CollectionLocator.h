#pragma once

#include <string>
#include <vector>

// Where the program looks for its collection, in this order:
//   1. the file named with --db (then nothing else is looked at);
//   2. db1.mdb in the working directory;
//   3. $XDG_DATA_HOME/tolvarin/db1.mdb (~/.local/share/tolvarin/db1.mdb), the user's own;
//   4. tolvarin/db1.mdb in each system data folder of $XDG_DATA_DIRS (/usr/local/share,
//      /usr/share), and in the data folder the program was installed for.
// Paths are absolute, so that what the user is told names the file exactly.
class CCollectionLocator {
public:
    struct Result {
        std::string m_strFile;                // the collection found; empty for none
        std::vector<std::string> m_arrLooked; // every path looked at, in order
        std::string m_strRejected;            // a file that exists but holds no collection
        std::string m_strReason;              // why it was rejected
    };

    // `explicitFile` is the --db value (empty when not given).
    static Result Find(const std::string& explicitFile);
    static std::vector<std::string> Candidates(const std::string& explicitFile);

    // The user's own collection, where a new one is made.
    static std::string UserCollectionFile();
    // The laws shipped with the program (xz-compressed JSON Lines); empty when not installed.
    static std::string ShippedCorpus();

    // The file is a law collection: an SQLite database with the Chinese edition's three
    // tables. Otherwise false with the reason in Chinese.
    static bool IsCollection(const std::string& path, std::string& reason);

    static std::string Absolute(const std::string& path);
};
