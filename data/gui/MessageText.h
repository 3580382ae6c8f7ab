#pragma once

#include <QString>

#include <string>

// The interface's words for the texts that the core (which has no Qt) composes in Chinese:
// the boxes of the data layer and the update, their status texts. A text is looked up whole,
// then line by line; a line that is none of the catalogue's fixed texts is matched against
// its patterns, whose %1, %2, ... stand for the parts the core put in (a path, an address, a
// number) and are carried over into the translation. A line that matches nothing is shown as
// the core wrote it (a provider's own message, a law's title).
class CMessageText {
public:
    static QString Translate(const std::string& text);
    static QString Translate(const QString& text);
};
