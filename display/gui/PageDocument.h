#pragma once

#include <QString>

class QFont;
class QTextDocument;

// Builds the text document the law pane shows: the prepared HTML parsed into a document that
// loads nothing from outside the program, with each line break made a paragraph of its own so
// that a long law is laid out and painted a screenful at a time. Safe to run on a worker
// thread: the document is made there and handed over with moveToThread.
class CPageDocument {
public:
    static QTextDocument* Build(const QString& html, const QFont& font, const QString& title);

    // Splits every block at its line separators (what "<br>" becomes).
    static void SplitLines(QTextDocument* doc);
};
