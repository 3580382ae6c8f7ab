#pragma once

#include <string>

class CCollectionWriter;

// Files every law of a JSON Lines corpus (category path, title, date, department, number,
// body) into one edition: categories level by level, the law, one link to its deepest category.
class CCorpusImporter {
public:
    // Answers the number of laws filed, or -1 with `error` set.
    static long long Import(const std::string& corpusPath, CCollectionWriter& writer,
                            std::string& error);
};
