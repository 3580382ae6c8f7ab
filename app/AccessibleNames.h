#pragma once

#include <QCoreApplication>

class CMainFrame;

// Names and descriptions for assistive technology on the main window's panes, bars and law
// page, and the keyboard order of the panes (tree, list, law page).
class CAccessibleNames {
    Q_DECLARE_TR_FUNCTIONS(CAccessibleNames)
public:
    static void Apply(CMainFrame* frame);
};
