#include "tools/admin/CorpusImporter.h"

#include "tools/admin/CollectionWriter.h"

#include <fstream>
#include <nlohmann/json.hpp>

namespace {

std::string Text(const nlohmann::json& law, const char* key) {
    const auto it = law.find(key);
    return it != law.end() && it->is_string() ? it->get<std::string>() : std::string();
}

} // namespace

long long CCorpusImporter::Import(const std::string& corpusPath, CCollectionWriter& writer,
                                  std::string& error) {
    std::ifstream in(corpusPath);
    if (!in) {
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
        const nlohmann::json law = nlohmann::json::parse(line, nullptr, false);
        if (law.is_discarded() || !law.is_object()) {
            error = corpusPath + ":" + std::to_string(lineNumber) + ": not a JSON object";
            return -1;
        }
        std::vector<std::string> path;
        if (const auto it = law.find("category"); it != law.end() && it->is_array())
            for (const auto& name : *it)
                if (name.is_string() && !name.get<std::string>().empty())
                    path.push_back(name.get<std::string>());
        const int category = writer.Category(path, error);
        if (category < 0)
            return -1;
        CCollectionWriter::Law row{Text(law, "title"), Text(law, "number"),
                                   Text(law, "department"), Text(law, "date"), Text(law, "body")};
        if (!writer.AddLaw(row, {category}, error)) {
            error = corpusPath + ":" + std::to_string(lineNumber) + ": " + error;
            return -1;
        }
        ++count;
    }
    return count;
}
