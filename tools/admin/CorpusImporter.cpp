#include "tools/admin/CorpusImporter.h"

#include "tools/admin/CollectionWriter.h"
#include "tools/admin/CorpusLine.h"
#include "tools/admin/CorpusStream.h"

long long CCorpusImporter::Import(const std::string& corpusPath, CCollectionWriter& writer,
                                  std::string& error, const Progress& progress) {
    CCorpusStream in(corpusPath);
    if (!in.IsOpen()) {
        error = "cannot read " + corpusPath;
        return -1;
    }
    long long count = 0;
    std::string line;
    size_t lineNumber = 0;
    while (std::getline(in, line)) {
        ++lineNumber;
        if (line.find_first_not_of(" \t\r") == std::string::npos)
            continue;
        std::vector<std::string> path;
        CCollectionWriter::Law row;
        if (!CCorpusLine::Read(line, path, row)) {
            error =
                corpusPath + ":" + std::to_string(lineNumber) + ": " + CCorpusLine::Diagnose(line);
            return -1;
        }
        const int category = writer.Category(path, error);
        if (category < 0) {
            error = corpusPath + ":" + std::to_string(lineNumber) + ": " + error;
            return -1;
        }
        if (!writer.AddLaw(row, {category}, error)) {
            error = corpusPath + ":" + std::to_string(lineNumber) + ": " + error;
            return -1;
        }
        ++count;
        if (progress) {
            const long long size = in.FileSize();
            progress(count, size > 0
                                ? static_cast<double>(in.BytesRead()) / static_cast<double>(size)
                                : -1.0);
        }
    }
    if (in.bad()) {
        // A damaged or cut-off compressed corpus: what was read so far is not the corpus.
        error = corpusPath + ":" + std::to_string(lineNumber + 1) + ": " + in.Error();
        return -1;
    }
    return count;
}
