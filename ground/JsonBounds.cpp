#include "ground/JsonBounds.h"

bool CJsonBounds::Check(std::string_view text, std::size_t maxBytes, int maxDepth,
                        std::string* error) {
    if (text.size() > maxBytes) {
        if (error)
            *error = "文件太大（" + std::to_string(text.size()) + " 字节，最多 " +
                     std::to_string(maxBytes) + " 字节）";
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
                    *error = "列表嵌套超过 " + std::to_string(maxDepth) + " 层";
                return false;
            }
        } else if (c == ']' || c == '}') {
            --depth;
        }
    }
    return true;
}
