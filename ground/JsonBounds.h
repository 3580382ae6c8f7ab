#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Bounds on JSON text read from settings or files before it is parsed: a parse builds a node
// for every value, so a few megabytes of nested brackets ("[[[[...") would cost gigabytes
// and seconds. The check reads the text once and allocates nothing.
class CJsonBounds {
public:
    // False with `error` (in English) when the text is longer than `maxBytes` or nests arrays
    // and objects deeper than `maxDepth`.
    static bool Check(std::string_view text, std::size_t maxBytes, int maxDepth,
                      std::string* error = nullptr);
};
