#pragma once

#include <string>

class CCollectionWriter;

// The small sample collection the program starts on when no database exists: a handful of
// categories over several levels and a few dozen short sample laws in each edition. The texts
// are samples written for the demo, not real law.
class CDemoCollection {
public:
    static bool Write(CCollectionWriter& writer, std::string& error);
};
