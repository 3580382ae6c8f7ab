#include "ground/JsonBounds.h"

bool CJsonBounds::Check(std::string_view text, std::size_t maxBytes, int maxDepth,
                        std::string* error) {
    if (text.size() > maxBytes) {
        if (error)
            *error = "the text is too large (" + std::to_string(text.size()) + " bytes; at most " +
                     std::to_string(maxBytes) + ")";
        return false;
    }
    int depth = 0;
    bool inString = false;
    bool escaped = false;
    for (const char c : text) {
        if (inString) {
            if (escaped)
                escaped = false;
            else if (c == '\\')
                escaped = true;
            else if (c == '"')
                inString = false;
            continue;
        }
        if (c == '"') {
            inString = true;
        } else if (c == '[' || c == '{') {
            if (++depth > maxDepth) {
                if (error)
                    *error =
                        "the text nests lists deeper than " + std::to_string(maxDepth) + " levels";
                return false;
            }
        } else if (c == ']' || c == '}') {
            --depth;
        }
    }
    return true;
}
