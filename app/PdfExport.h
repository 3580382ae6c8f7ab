#pragma once

#include <QStringList>

// `tolvarin --export-pdf FILE --law LAWID [--edition zh|en]`: writes the law's page as the
// law pane prints it to a PDF file, without a window. Exit code 0 when the file was written,
// 1 when the law or the file could not be had, 2 for wrong arguments; each failure says why
// on standard error.
class CPdfExport {
public:
    // True when the arguments ask for an export.
    static bool Wanted(int argc, char** argv);
    // Runs the export; a QApplication must exist.
    static int Run(const QStringList& arguments);
};
