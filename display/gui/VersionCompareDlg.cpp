#include "display/gui/VersionCompareDlg.h"

#include "data/LawVersions.h"
#include "display/LawPage.h"
#include "display/gui/PrintRun.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QLabel>
#include <QPrintDialog>
#include <QPushButton>
#include <QShortcut>
#include <QStandardPaths>
#include <QTextBrowser>
#include <QTextCursor>
#include <QTimer>
#include <QVBoxLayout>

#include <utility>

CVersionCompareDlg::CVersionCompareDlg(CDbConnection& db, const std::string& lawTable,
                                       int olderLawId, int newerLawId, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(tr("版本对照"));
    setAttribute(Qt::WA_DeleteOnClose, false);
    auto* layout = new QVBoxLayout(this);
    m_pBrowser = new QTextBrowser(this);
    m_pBrowser->setOpenLinks(false);
    m_pBrowser->setAccessibleName(tr("版本对照"));
    m_pStatus = new QLabel(this);
    auto* buttons = new QHBoxLayout;
    m_pPrevious = new QPushButton(tr("上一处改动"), this);
    m_pNext = new QPushButton(tr("下一处改动"), this);
    auto* print = new QPushButton(tr("打印..."), this);
    auto* pdf = new QPushButton(tr("另存为 PDF..."), this);
    auto* close = new QPushButton(tr("关闭"), this);
    m_pPrevious->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F3));
    m_pNext->setShortcut(QKeySequence(Qt::Key_F3));
    m_pNext->setDefault(true);
    buttons->addWidget(m_pStatus, 1);
    for (QPushButton* button : {m_pPrevious, m_pNext, print, pdf, close})
        buttons->addWidget(button);
    layout->addWidget(m_pBrowser, 1);
    layout->addLayout(buttons);
    connect(m_pPrevious, &QPushButton::clicked, this, [this] { NextChange(true); });
    connect(m_pNext, &QPushButton::clicked, this, [this] { NextChange(false); });
    connect(print, &QPushButton::clicked, this, &CVersionCompareDlg::Print);
    connect(pdf, &QPushButton::clicked, this, &CVersionCompareDlg::ExportPdf);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    resize(1100, 760);

    CLawFields older, newer;
    if (!CLawPage::Load(db, lawTable.c_str(), olderLawId, older) ||
        !CLawPage::Load(db, lawTable.c_str(), newerLawId, newer)) {
        m_pStatus->setText(tr("无法读取要对照的版本"));
        for (QPushButton* button : {m_pPrevious, m_pNext, print, pdf})
            button->setEnabled(false);
        return;
    }
    m_bValid = true;
    m_strTitle = newer.m_strTopic;
    setWindowTitle(tr("版本对照 - %1").arg(QString::fromStdString(m_strTitle)));
    // Each side under its date and its mark among the versions.
    const std::vector<CLawVersion> versions = CLawVersions::Find(db, lawTable, newer.m_strTopic);
    auto caption = [&](int lawid, const CLawFields& law) {
        const QString mark =
            !versions.empty() && versions.front().m_nLawId == lawid ? tr("现行") : tr("历史版本");
        const QString date =
            law.m_strDatum.empty() ? tr("日期不详") : QString::fromStdString(law.m_strDatum);
        return (date + ' ' + mark).toStdString();
    };
    m_rows = CVersionCompare::Compare(older.m_strBody, newer.m_strBody);
    m_counts = CVersionCompare::Count(m_rows);
    const std::string heading =
        "<p><b>" + QString::fromStdString(m_strTitle).toHtmlEscaped().toStdString() + "</b></p>";
    const std::string head =
        heading + CVersionCompare::HtmlHead(caption(olderLawId, older), caption(newerLawId, newer));
    m_vRowHtml = CVersionCompare::HtmlRows(m_rows);
    m_strHtml = head;
    for (const std::string& row : m_vRowHtml)
        m_strHtml += row;
    // The first screen at once, the rest from the event loop.
    m_pBrowser->setHtml(QString::fromStdString(head));
    AddRows(kFirstBytes);
    UpdateStatus();
    if (!IsComplete())
        QTimer::singleShot(0, this, [this] { AddMore(); });
}

void CVersionCompareDlg::AddMore() {
    if (AddRows(kMoreBytes))
        QTimer::singleShot(0, this, [this] { AddMore(); });
}

bool CVersionCompareDlg::AddRows(size_t bytes) {
    if (IsComplete())
        return false;
    std::string chunk;
    while (m_nRowsShown < m_vRowHtml.size() && chunk.size() < bytes) {
        chunk += m_vRowHtml[m_nRowsShown];
        if (m_rows[m_nRowsShown].m_nState != CCompareRow::Same)
            ++m_nChangesShown;
        ++m_nRowsShown;
    }
    QTextCursor cursor(m_pBrowser->document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertHtml(QString::fromStdString(chunk));
    if (m_nPendingChange > 0 && m_nPendingChange <= m_nChangesShown)
        ScrollToChange(std::exchange(m_nPendingChange, 0));
    return !IsComplete();
}

void CVersionCompareDlg::ScrollToChange(int n) {
    if (n > m_nChangesShown) {
        // Not made yet: shown when its row arrives.
        m_nPendingChange = n;
        return;
    }
    m_pBrowser->scrollToAnchor(QString::fromStdString(CVersionCompare::ChangeAnchor(n)));
}

bool CVersionCompareDlg::NextChange(bool backward) {
    const int count = ChangeCount();
    if (count == 0)
        return false;
    if (m_nCurrent == 0)
        m_nCurrent = backward ? count : 1;
    else
        m_nCurrent = (m_nCurrent - 1 + (backward ? count - 1 : 1)) % count + 1;
    ScrollToChange(m_nCurrent);
    UpdateStatus();
    return true;
}

void CVersionCompareDlg::UpdateStatus() {
    const int count = ChangeCount();
    QString text = count == 0 ? tr("两个版本的文字相同")
                              : tr("共 %1 处改动：修改 %2，新增 %3，删除 %4")
                                    .arg(count)
                                    .arg(m_counts.m_nChanged)
                                    .arg(m_counts.m_nAdded)
                                    .arg(m_counts.m_nRemoved);
    if (m_nCurrent > 0)
        text = tr("第 %1 处，").arg(m_nCurrent) + text;
    m_pStatus->setText(text);
    m_pPrevious->setEnabled(count > 0);
    m_pNext->setEnabled(count > 0);
}

void CVersionCompareDlg::Print() {
    if (m_pPrintRun || !m_bValid)
        return;
    QPrintDialog dialog(&m_printer, this);
    dialog.setWindowTitle(tr("打印"));
    if (dialog.exec() == QDialog::Accepted)
        StartPrintRun(&m_printer, {});
}

void CVersionCompareDlg::ExportPdf() {
    if (m_pPrintRun || !m_bValid)
        return;
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    QString name = QString::fromStdString(m_strTitle).simplified().left(100);
    for (QChar& c : name)
        if (c.unicode() < 0x20 || QStringLiteral("/\\:*?\"<>|").contains(c))
            c = '_';
    const QString file = QFileDialog::getSaveFileName(
        this, tr("另存为 PDF"), folder + '/' + name + tr("（对照）") + QStringLiteral(".pdf"),
        QStringLiteral("PDF (*.pdf)"));
    if (!file.isEmpty())
        ExportPdfTo(file);
}

void CVersionCompareDlg::ExportPdfTo(const QString& file) {
    if (m_pPrintRun || !m_bValid)
        return;
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printer->setOutputFormat(QPrinter::PdfFormat);
    printer->setOutputFileName(file);
    printer->setPageOrientation(QPageLayout::Landscape);
    QPrinter* target = printer.get();
    StartPrintRun(target, std::move(printer));
}

void CVersionCompareDlg::StartPrintRun(QPrinter* printer, std::unique_ptr<QPrinter> owned) {
    m_pPrintRun =
        new CPrintRun(this, m_strHtml, windowTitle(), printer, CPrintRun::Print, std::move(owned));
    connect(m_pPrintRun, &CPrintRun::finished, this, [this](bool ok) {
        m_pPrintRun = nullptr;
        emit printFinished(ok);
    });
    m_pPrintRun->Start();
}
