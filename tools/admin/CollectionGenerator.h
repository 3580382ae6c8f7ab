#pragma once

#include <string>

class CCollectionWriter;

// Makes a synthetic collection of any size for benchmarks: a five-level category tree,
// titles and bodies of realistic length, several links per law. The same seed gives the same
// collection. Paragraphs come from a corpus file when one is given, else from a built-in
// vocabulary.
class CCollectionGenerator {
public:
    struct Options {
        long long laws = 1000;
        int categories = 200;
        int averageBodyChars = 5400;
        unsigned seed = 1;
        std::string corpus; // JSON Lines corpus to draw paragraphs from, optional
    };
    static bool Generate(const Options& options, CCollectionWriter& writer, std::string& error);
};
