#include "data/LikeFunction.h"

#include "data/LikeMatcher.h"

#include <cstring>
#include <sqlite3.h>
#include <string_view>

namespace {

void DeleteMatcher(void* matcher) {
    delete static_cast<CLikeMatcher*>(matcher);
}

void Like(sqlite3_context* context, int, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_BLOB || sqlite3_value_type(argv[1]) == SQLITE_BLOB) {
        sqlite3_result_int(context, 0);
        return;
    }
    const auto* pattern = reinterpret_cast<const char*>(sqlite3_value_text(argv[0]));
    const int patternBytes = sqlite3_value_bytes(argv[0]);
    if (patternBytes >
        sqlite3_limit(sqlite3_context_db_handle(context), SQLITE_LIMIT_LIKE_PATTERN_LENGTH, -1)) {
        sqlite3_result_error(context, "LIKE or GLOB pattern too complex", -1);
        return;
    }
    const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(argv[1]));
    if (!pattern || !text)
        return; // NULL
    const std::string_view patternView(pattern, static_cast<size_t>(patternBytes));
    // A constant pattern is compiled once per statement.
    auto* matcher = static_cast<CLikeMatcher*>(sqlite3_get_auxdata(context, 0));
    if (!matcher || matcher->GetPattern() != patternView) {
        matcher = new CLikeMatcher(patternView);
        sqlite3_set_auxdata(context, 0, matcher, &DeleteMatcher);
        matcher = static_cast<CLikeMatcher*>(sqlite3_get_auxdata(context, 0));
        if (!matcher) {
            // Not kept (out of memory, or the pattern is not a constant): match once.
            sqlite3_result_int(context,
                               CLikeMatcher(patternView)
                                   .Matches(std::string_view(
                                       text, static_cast<size_t>(sqlite3_value_bytes(argv[1])))));
            return;
        }
    }
    // The engine's like stops at a NUL character, so the text ends there for it too; only
    // the part of the text a match rests on needs that check.
    std::string_view textView(text, static_cast<size_t>(sqlite3_value_bytes(argv[1])));
    if (matcher->IsAnchoredEnd())
        textView = textView.substr(0, textView.find('\0'));
    size_t decided = 0;
    bool matches = matcher->Matches(textView, &decided);
    if (matches && std::memchr(text, '\0', decided))
        matches = matcher->Matches(textView.substr(0, textView.find('\0')));
    sqlite3_result_int(context, matches ? 1 : 0);
}

} // namespace

int CLikeFunction::Register(sqlite3* db) {
    return sqlite3_create_function_v2(db, "like", 2,
                                      SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS,
                                      nullptr, &Like, nullptr, nullptr, nullptr) == SQLITE_OK
               ? 1
               : 0;
}
