#pragma once

#include "tools/admin/CollectionWriter.h"

#include <string>
#include <string_view>
#include <vector>

// One line of a JSON Lines corpus read into a law and its category path. The usual line (an
// object of plain strings and one array of strings, escapes other than \u) is read by a
// direct scan; any other line goes to the general JSON parser, which gives the same result.
class CCorpusLine {
public:
    // False when the line is not a JSON object.
    static bool Read(const std::string& line, std::vector<std::string>& path,
                     CCollectionWriter::Law& law);

    // The direct scan alone: false when the line needs the general parser.
    static bool ReadPlain(std::string_view line, std::vector<std::string>& path,
                          CCollectionWriter::Law& law);
    // Why a line that Read refuses is no law, naming the place: invalid UTF-8 at a byte, a
    // JSON syntax error, or a JSON value that is not an object.
    static std::string Diagnose(const std::string& line);

    // The general parser alone.
    static bool ReadGeneral(const std::string& line, std::vector<std::string>& path,
                            CCollectionWriter::Law& law);
};
