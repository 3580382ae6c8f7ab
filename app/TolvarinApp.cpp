#include "app/TolvarinApp.h"

#include "app/CollectionController.h"
#include "app/MainFrame.h"
#include "app/SingleInstance.h"
#include "app/TolvarinDoc.h"
#include "browse/ListQueryJob.h"
#include "browse/gui/TolvarinView.h"
#include "data/CollectionFile.h"
#include "data/CollectionLocator.h"
#include "ground/AppConstants.h"
#include "reader/gui/Reader.h"
#include "ui/SplashWnd.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCoreApplication>
#include <QImageWriter>
#include <QItemSelectionModel>
#include <QPixmap>
#include <QStatusBar>
#include <QTimer>

#include <cstdio>
#include <cstdlib>

namespace {

// How long the screenshot waits for the first listing.
constexpr int kScreenshotTimeoutMs = 60000;

} // namespace

CTolvarinApp::CTolvarinApp() = default;

CTolvarinApp::~CTolvarinApp() {
    m_pFrame.reset();
    m_pDoc.reset();
}

void CTolvarinApp::SetRegistryKey() {
    QCoreApplication::setOrganizationName(QStringLiteral("morvexal"));
    QCoreApplication::setApplicationName(QStringLiteral("tolvarin"));
}

bool CTolvarinApp::InitInstance(const QStringList& arguments) {
    QCoreApplication::setApplicationVersion(QString::fromLatin1(kProductVersion));
    m_commandLine.Process(arguments);
    m_strScreenshot = m_commandLine.m_strScreenshot;
    m_bShowSplash = !m_commandLine.m_bNoSplash && m_strScreenshot.isEmpty();
    CSplashWnd::EnableSplashScreen(m_bShowSplash);

    SetRegistryKey();
    if (m_commandLine.m_bResetLayout)
        CMainFrame::ForgetLayout();

    // Every connection opens the collection found here; without one the window opens on
    // the welcome page and connects to nothing.
    const CCollectionLocator::Result collection =
        CCollectionLocator::Find(m_commandLine.m_strDatabase.toStdString());
    SetCollectionFile(collection.m_strFile);

    m_pDoc = std::make_unique<CTolvarinDoc>();
    m_pFrame = std::make_unique<CMainFrame>(m_pDoc.get());
    if (!m_pFrame->Create()) {
        m_pFrame.reset();
        return false;
    }
    if (!m_strScreenshot.isEmpty())
        m_pFrame->GetReader()->SetPersistent(false);
    m_pFrame->GetCollections()->Start(collection);
    if (!m_pDoc->OnNewDocument())
        return false;
    m_pFrame->InitialUpdate();
    m_pFrame->RestoreFrameState();
    m_pFrame->update();
    m_pFrame->setWindowTitle(QStringLiteral("Tolvarin"));
    HandleRequest(m_commandLine);

    if (!m_strScreenshot.isEmpty()) {
        CTolvarinView* list = m_pFrame->GetListView();
        connect(list, &CTolvarinView::listingFinished, this, &CTolvarinApp::WriteScreenshot,
                Qt::SingleShotConnection);
        QTimer::singleShot(kScreenshotTimeoutMs, this, [this] {
            std::fprintf(stderr, "tolvarin: the first listing did not finish in time\n");
            QCoreApplication::exit(2);
        });
    }
    return true;
}

bool CTolvarinApp::ListenForOtherStarts(const QString& name) {
    delete m_pInstance;
    m_pInstance = new CSingleInstance(name, this);
    connect(m_pInstance, &CSingleInstance::argumentsReceived, this, &CTolvarinApp::OnOtherStart);
    return m_pInstance->Listen();
}

void CTolvarinApp::HandleRequest(const CCommandLine& line) {
    CReader* reader = m_pFrame ? m_pFrame->GetReader() : nullptr;
    if (!reader)
        return;
    if (!line.m_strLaw.isEmpty())
        reader->OpenLawByTitleOrId(line.m_strLaw, line.m_strArticle);
    else if (!line.m_strArticle.isEmpty())
        reader->WhenPageReady(
            [reader, article = line.m_strArticle] { reader->GoToArticle(article); });
    if (!line.m_strSearch.isEmpty())
        reader->SearchTitles(line.m_strSearch);
}

void CTolvarinApp::OnOtherStart(const QStringList& arguments) {
    if (!m_pFrame)
        return;
    CCommandLine line;
    if (line.Parse(arguments))
        HandleRequest(line);
    else
        m_pFrame->statusBar()->showMessage(line.ErrorText());
    if (m_pFrame->isMinimized())
        m_pFrame->showNormal();
    m_pFrame->show();
    m_pFrame->raise();
    m_pFrame->activateWindow();
}

void CTolvarinApp::WriteScreenshot() {
    // Let the list and the page paint their last rows first; the law page has taken its blank
    // page by then, so that the law chosen below can be shown on it.
    QTimer::singleShot(200, this, [this] {
        SelectScreenshotLaw();
        QTimer::singleShot(200, this, [this] {
            const QPixmap image = m_pFrame->grab();
            QImageWriter writer(m_strScreenshot, "png");
            if (!writer.write(image.toImage())) {
                std::fprintf(stderr, "tolvarin: cannot write %s: %s\n", qPrintable(m_strScreenshot),
                             qPrintable(writer.errorString()));
                QCoreApplication::exit(1);
                return;
            }
            QCoreApplication::exit(0);
        });
    });
}

void CTolvarinApp::SelectScreenshotLaw() {
    // The picture shows a law too, selected as a click would select it: the first one that
    // carries a document number, as a typical law does, or else the first one.
    CTolvarinView* list = m_pFrame->GetListView();
    QAbstractItemView* table = nullptr;
    if (list) {
        for (QAbstractItemView* view : list->findChildren<QAbstractItemView*>())
            if (view->isVisible())
                table = view;
    }
    if (!table || !table->model() || list->GetRowCount() == 0 || list->GetRow(0).m_nLawId == 0)
        return;
    int row = 0;
    for (int i = 0; i < list->GetRowCount(); ++i) {
        if (!list->GetRow(i).m_strWenhao.empty()) {
            row = i;
            break;
        }
    }
    table->setFocus();
    table->selectionModel()->setCurrentIndex(table->model()->index(row, 1),
                                             QItemSelectionModel::ClearAndSelect |
                                                 QItemSelectionModel::Rows);
    list->OnRowClicked(row);
}

int CTolvarinApp::ExitInstance(int exitCode) {
    StopListQuery();
    // A worker may still wait for a message box, which needs the event loop.
    bool idle = false;
    for (int i = 0; i < 600 && !(idle = WaitForListQueriesIdle(std::chrono::milliseconds(50))); ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    m_pFrame.reset();
    m_pDoc.reset();
    if (idle)
        CloseListQueryConnection();
    else
        // A worker that never ended: leave without waiting for it.
        std::_Exit(exitCode);
    return exitCode;
}
