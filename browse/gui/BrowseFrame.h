#pragma once

class CDocumentDatabase;
class CLeftView;
class CTolvarinView;
class QStatusBar;

// The main window as the tree, the list and the search box see it. The frame implements it;
// nothing below the frame includes the frame itself.
class CBrowseFrame {
public:
    virtual ~CBrowseFrame() = default;
    virtual CLeftView* GetLeftView() const = 0;
    virtual CTolvarinView* GetListView() const = 0;
    virtual CDocumentDatabase* GetDocument() const = 0;
    // Shows a law in the law text pane (0 shows nothing).
    virtual void ShowLaw(int lawid) = 0;
    // The window's status bar.
    virtual QStatusBar* GetStatusBar() const = 0;
};
