#pragma once

#include <string>

// Plain words for what the engine reports, for the boxes that tell the user a database
// operation failed: what failed, what the user can do about it, and the engine's own text
// as the detail. Only a damaged file (or one that is no database at all) is called damaged.
class CDbErrorText {
public:
    // The engine's result code (primary or extended) says the file is damaged or is no
    // database.
    static bool IsDamage(int code);
    // What the user can do about a failure with that result code, in a sentence or two.
    static std::string Advice(int code);
    // `what` (what failed, in plain words), then the advice for `code`, then the engine's
    // text as the detail.
    static std::string Compose(const std::string& what, int code, const std::string& engineText);
};
