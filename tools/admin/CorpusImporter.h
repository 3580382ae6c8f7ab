#pragma once

#include <functional>
#include <string>

class CCollectionWriter;

// Files every law of a JSON Lines corpus (category path, title, date, department, number,
// body) into one edition: categories level by level, the law, one link to its deepest category.
class CCorpusImporter {
public:
    // Told after each law: the laws filed so far and the share of the file read (0 to 1),
    // or -1 when the file's size is not known.
    using Progress = std::function<void(long long laws, double fraction)>;

    // Answers the number of laws filed, or -1 with `error` set.
    static long long Import(const std::string& corpusPath, CCollectionWriter& writer,
                            std::string& error, const Progress& progress = {});
};
