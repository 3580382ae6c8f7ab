#pragma once

class CDocumentDatabase;
class CLeftView;
class CTolvarinView;
class QStatusBar;
class QWidget;

// The main window as the tree, the list and the search box see it. The frame implements it;
// nothing below the frame includes the frame itself.
class CBrowseFrame {
public:
    virtual ~CBrowseFrame() = default;
    virtual CLeftView* GetLeftView() const = 0;
    virtual CTolvarinView* GetListView() const = 0;
    virtual CDocumentDatabase* GetDocument() const = 0;
    // Shows a law in the law text pane (0 shows nothing), at the top (the law shown already
    // stays where it is); with `atFirstSearchWord`, at the first of the blue words of the
    // law-text search the law was chosen from.
    virtual void ShowLaw(int lawid, bool atFirstSearchWord = false) = 0;
    // The law text pane, where the keyboard goes to read the law shown.
    virtual QWidget* GetLawPage() const = 0;
    // The window's status bar.
    virtual QStatusBar* GetStatusBar() const = 0;
};
