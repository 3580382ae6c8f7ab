#include "display/ShowLawView.h"

#include "app/EditionConfig.h"
#include "app/TolvarinDoc.h"
#include "display/LawPage.h"

#include <QPrintDialog>
#include <QUrl>

CShowLawView::CShowLawView(CTolvarinDoc* doc, QWidget* parent)
    : CMoreHtmlView(parent), m_pDoc(doc) {}

QUrl CShowLawView::BlankPageUrl() {
    return QUrl(QStringLiteral("qrc:/html/145.html"));
}

void CShowLawView::OnInitialUpdate() {
    m_bPageRequested = true;
    Navigate2(BlankPageUrl());
}

bool CShowLawView::ShowLaw(int lawid) {
    if (lawid == 0 || !m_pDoc)
        return false;
    CLawFields law;
    if (!CLawPage::Load(m_pDoc->m_db, theEditionConfig.GetLawTable(), lawid, law))
        return false;
    return SetBodyHtml(CLawPage::Render(law, theEditionConfig.GetPageTemplate(),
                                        theEditionConfig.GetSearchWords(),
                                        theEditionConfig.GetFindWords()));
}

void CShowLawView::OnFilePrint() {
    QPrintDialog dialog(&m_printer, this);
    dialog.setWindowTitle(tr("打印"));
    if (dialog.exec() == QDialog::Accepted)
        PrintTo(&m_printer);
}

void CShowLawView::PrintTo(QPrinter* printer) {
    document()->print(printer);
}
