#pragma once

#include "display/MoreHtmlView.h"

#include <QPrinter>

class CTolvarinDoc;

// The law text pane: shows one law at a time as a page built by CLawPage.
class CShowLawView : public CMoreHtmlView {
    Q_OBJECT
public:
    explicit CShowLawView(CTolvarinDoc* doc, QWidget* parent = nullptr);

    // Starts loading the blank page.
    void OnInitialUpdate();

    // Reads the law from the current edition on the document's connection and shows it;
    // lawid 0, a missing law or a failing query leave the page as it is and answer false.
    bool ShowLaw(int lawid);

    // The print dialog, then the page shown (an empty page when none).
    void OnFilePrint();
    // Prints the page shown without a dialog.
    void PrintTo(QPrinter* printer);
    QPrinter* GetPrinter() { return &m_printer; }

    // The address of the blank page among the program's resources.
    static QUrl BlankPageUrl();

private:
    CTolvarinDoc* m_pDoc;
    QPrinter m_printer{QPrinter::HighResolution};
};
