#pragma once

#include <QCoreApplication>

class CMainFrame;

// A collection opened for reading only (a read-only medium, a place the user may not write):
// browsing and searching work as usual, the online update cannot. The notice disables the
// update command with the reason in its tip and puts a lasting mark with the same reason in
// the status bar.
class CReadOnlyNotice {
    Q_DECLARE_TR_FUNCTIONS(CReadOnlyNotice)

public:
    // The reason, as the user reads it (in the interface's language).
    static QString Reason();
    // Brings the frame's update command and status bar in line with the document's connection.
    static void Apply(CMainFrame& frame);
};
