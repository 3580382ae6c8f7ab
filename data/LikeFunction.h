#pragma once

struct sqlite3;

// The engine's two-argument like, registered on each of our connections with the same
// results and a faster matcher (CLikeMatcher): X like Y is like(Y, X), true when the text X
// matches the pattern Y; NULL when either is NULL; a blob matches nothing; a pattern longer
// than the connection's limit fails with the engine's own message. The three-argument form
// (with ESCAPE) stays the engine's.
class CLikeFunction {
public:
    // 1 when registered, 0 when the engine refused.
    static int Register(sqlite3* db);
};
