#pragma once

#include "browse/gui/BrowseFrame.h"

#include <QString>

class CShowLawView;
class QAction;
class QMainWindow;

// The main window as the reader's helper sees it: the panes, the commands it adds and
// updates, and the window that parents its bars and dialogs. The frame implements it.
class CReaderFrame : public CBrowseFrame {
public:
    virtual CShowLawView* GetLawView() const = 0;
    // The action of a command id (nullptr for none).
    virtual QAction* Action(int id) const = 0;
    // A new command with its id, menu text, status prompt and tooltip.
    virtual QAction* AddAction(int id, const QString& text, const QString& prompt = {},
                               const QString& tip = {}) = 0;
    // Enables, checks and unchecks the commands after the program's state.
    virtual void UpdateCommandStates() = 0;
    virtual void OnEdition(int edition) = 0;
    virtual void OnViewStyle(int id) = 0;
    // The window itself.
    virtual QMainWindow* GetWindow() = 0;
};
