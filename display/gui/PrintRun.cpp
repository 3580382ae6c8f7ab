#include "display/gui/PrintRun.h"

#include "display/gui/PrintDocument.h"
#include "display/gui/PrintJob.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QProgressDialog>
#include <QTimer>

namespace {

// How long one slice of painting may keep the event loop waiting.
constexpr int kSliceMilliseconds = 40;

} // namespace

CPrintRun::CPrintRun(QWidget* owner, std::string bodyHtml, const QString& title, QPrinter* printer,
                     Mode mode, std::unique_ptr<QPrinter> owned)
    : QObject(owner), m_pOwner(owner), m_strBodyHtml(std::move(bodyHtml)), m_strTitle(title),
      m_pPrinter(printer), m_mode(mode), m_pOwnedPrinter(std::move(owned)) {}

CPrintRun::~CPrintRun() {
    if (m_painter.isActive())
        m_painter.end();
    delete m_pProgress;
}

void CPrintRun::Start() {
    m_pProgress = new QProgressDialog(tr("正在准备打印..."), tr("取消"), 0, 0, m_pOwner);
    m_pProgress->setWindowTitle(m_mode == Preview ? tr("打印预览") : tr("打印"));
    m_pProgress->setWindowModality(Qt::WindowModal);
    m_pProgress->setAutoReset(false);
    m_pProgress->setAutoClose(false);
    m_pProgress->setMinimumDuration(500);
    connect(m_pProgress, &QProgressDialog::canceled, this, &CPrintRun::Cancel);

    if (!m_strTitle.isEmpty())
        m_pPrinter->setDocName(m_strTitle);
    m_pJob = new CPrintJob(std::move(m_strBodyHtml), m_strTitle, QApplication::font(),
                           CPrintDocument::CPaper::Of(m_pPrinter), this);
    connect(m_pJob, &CPrintJob::progress, this, [this](int done, int total) {
        m_pProgress->setMaximum(total);
        m_pProgress->setValue(done);
    });
    connect(m_pJob, &CPrintJob::finished, this, &CPrintRun::OnReady);
    m_pJob->Start();
}

void CPrintRun::Cancel() {
    if (m_bDone)
        return;
    m_bCancel = true;
    // While the pages are painted the next slice stops; before, the worker is stopped now.
    if (!m_pDoc)
        Finish(false);
}

void CPrintRun::OnReady(CPrintDocument* doc) {
    m_pDoc.reset(doc);
    if (m_bCancel) {
        Finish(false);
        return;
    }
    if (m_mode == Preview) {
        m_pProgress->hide();
        QPrintPreviewDialog dialog(m_pPrinter, m_pOwner);
        dialog.setWindowTitle(tr("打印预览"));
        // Painted from the document made in the background; a page setup changed in the
        // preview lays it out again.
        connect(&dialog, &QPrintPreviewDialog::paintRequested, this,
                [this](QPrinter* printer) { m_pDoc->PrintAll(printer); });
        dialog.exec();
        Finish(true);
        return;
    }
    const auto [first, last] = m_pDoc->PageRange(m_pPrinter);
    if (!m_painter.begin(m_pPrinter)) {
        Finish(false);
        return;
    }
    m_nFirst = first;
    m_nPage = first;
    m_nLast = last;
    m_pProgress->setMaximum(std::max(1, last - first + 1));
    m_pProgress->setValue(0);
    PaintSome();
}

void CPrintRun::PaintSome() {
    if (m_bDone)
        return;
    if (m_bCancel) {
        Finish(false);
        return;
    }
    QElapsedTimer slice;
    slice.start();
    while (m_nPage <= m_nLast && slice.elapsed() < kSliceMilliseconds) {
        if (m_nPage > m_nFirst && !m_pPrinter->newPage()) {
            Finish(false);
            return;
        }
        m_pDoc->PaintPage(m_painter, m_nPage);
        ++m_nPage;
    }
    if (m_nPage > m_nLast) {
        Finish(m_painter.end());
        return;
    }
    m_pProgress->setLabelText(tr("正在打印第 %1 页，共 %2 页").arg(m_nPage).arg(m_nLast));
    m_pProgress->setValue(m_nPage - m_nFirst);
    // The dialog may have heard a cancel while it took events.
    QTimer::singleShot(0, this, &CPrintRun::PaintSome);
}

void CPrintRun::Finish(bool ok) {
    if (m_bDone)
        return;
    m_bDone = true;
    if (m_pJob)
        m_pJob->Cancel();
    if (m_painter.isActive()) {
        if (!ok)
            m_pPrinter->abort();
        m_painter.end();
    }
    // A cancelled PDF leaves no file behind.
    if (!ok && m_mode == Print && m_pPrinter->outputFormat() == QPrinter::PdfFormat &&
        !m_pPrinter->outputFileName().isEmpty())
        QFile::remove(m_pPrinter->outputFileName());
    if (m_pProgress)
        m_pProgress->hide();
    emit finished(ok);
    deleteLater();
}
