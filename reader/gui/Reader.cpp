#include "reader/gui/Reader.h"

#include "browse/gui/LeftView.h"
#include "browse/gui/TolvarinView.h"
#include "data/DocumentDatabase.h"
#include "data/SqlSelect.h"
#include "data/gui/MessageText.h"
#include "display/LawArticles.h"
#include "display/gui/ShowLawView.h"
#include "ground/CommandIds.h"
#include "ground/EditionConfig.h"
#include "ground/MessageService.h"
#include "ground/TextUtil.h"
#include "reader/LawLookup.h"
#include "reader/gui/FavouritesDlg.h"
#include "reader/gui/ReaderFrame.h"
#include "search/SearchComposer.h"
#include "search/SearchLimits.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QHeaderView>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QPolygonF>
#include <QSaveFile>
#include <QScrollBar>
#include <QSettings>
#include <QSplitter>
#include <QStatusBar>
#include <QStyle>
#include <QTableView>
#include <QTimer>
#include <QToolBar>

#include <nlohmann/json.hpp>

#include <cmath>
#include <numbers>

namespace {

const char* const kGroup = "Reader";
const char* const kFavouritesKey = "Reader/Favourites";
const char* const kRecentKey = "Reader/RecentLaws";
// The layout and reading state that --reset-layout forgets.
const char* const kLayoutKeys[] = {"OuterSplitter", "InnerSplitter", "Columns",   "ViewStyle",
                                   "Edition",       "Category0",     "Category1", "Law0",
                                   "Law1",          "Scroll0",       "Scroll1"};

QString Key(const char* name) {
    return QLatin1String(kGroup) + QLatin1Char('/') + QLatin1String(name);
}

QString Key(const char* name, int edition) {
    return Key(name) + QString::number(edition);
}

// The text a menu shows for a law; ampersands are not accelerators here.
QString MenuText(const CLawRef& law) {
    QString title = QString::fromStdString(law.m_strTitle);
    if (title.isEmpty())
        title = QString::number(law.m_nLawId);
    if (title.size() > 60)
        title = title.left(58) + QStringLiteral("…");
    // The date and the number tell apart laws of the same title.
    CLawRef shortened = law;
    shortened.m_strTitle = title.toStdString();
    title = QString::fromStdString(LawRefLabel(shortened));
    title.replace(QLatin1Char('&'), QStringLiteral("&&"));
    return law.m_nEdition == 1 ? title + QStringLiteral(" [EN]") : title;
}

// A star for the favourite button: the desktop theme's bookmark, else drawn here.
QIcon StarIcon() {
    const QIcon themed = QIcon::fromTheme(QStringLiteral("bookmark-new"));
    if (!themed.isNull())
        return themed;
    QIcon icon;
    for (const int size : {24, 48}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        QPolygonF star;
        const QPointF centre(size / 2.0, size / 2.0 + size / 24.0);
        for (int i = 0; i < 10; ++i) {
            const double radius = (i % 2 == 0 ? 0.48 : 0.2) * size;
            const double angle = -std::numbers::pi / 2 + i * std::numbers::pi / 5;
            star << centre + QPointF(radius * std::cos(angle), radius * std::sin(angle));
        }
        painter.setPen(QPen(QColor(0xb0, 0x80, 0x00), size / 24.0));
        painter.setBrush(QColor(0xf5, 0xc5, 0x18));
        painter.drawPolygon(star);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

int StyleCommand(CTolvarinView::Style style) {
    switch (style) {
    case CTolvarinView::Style::LargeIcon:
        return ID_VIEW_LARGEICON;
    case CTolvarinView::Style::SmallIcon:
        return ID_VIEW_SMALLICON;
    case CTolvarinView::Style::List:
        return ID_VIEW_LIST;
    case CTolvarinView::Style::Report:
        break;
    }
    return ID_VIEW_DETAILS;
}

} // namespace

CReader::CReader(CReaderFrame* frame) : QObject(frame->GetWindow()), m_pFrame(frame) {
    LoadLists();
    qApp->installEventFilter(this);
}

CReader::~CReader() {
    qApp->removeEventFilter(this);
}

void CReader::HookScrollBar() {
    CShowLawView* view = m_pFrame->GetLawView();
    if (m_bScrollHooked || !view)
        return;
    m_bScrollHooked = true;
    {
        QScrollBar* bar = view->verticalScrollBar();
        connect(bar, &QScrollBar::rangeChanged, this, [this, bar](int, int maximum) {
            if (m_nPendingScroll >= 0 && maximum >= m_nPendingScroll) {
                bar->setValue(m_nPendingScroll);
                m_nPendingScroll = -1;
            }
        });
        // Scrolling by hand ends the wait.
        connect(bar, &QScrollBar::actionTriggered, this, [this] { m_nPendingScroll = -1; });
    }
}

void CReader::CreateActions() {
    QAction* back = m_pFrame->AddAction(ID_HISTORY_BACK, tr("后退"), tr("回到前一部法规"),
                                        tr("后退 (Alt+Left)"));
    back->setShortcut(QKeySequence(Qt::ALT | Qt::Key_Left));
    back->setIcon(qApp->style()->standardIcon(QStyle::SP_ArrowBack));
    connect(back, &QAction::triggered, this, [this] { GoBack(); });
    QAction* forward = m_pFrame->AddAction(ID_HISTORY_FORWARD, tr("前进"), tr("回到后一部法规"),
                                           tr("前进 (Alt+Right)"));
    forward->setShortcut(QKeySequence(Qt::ALT | Qt::Key_Right));
    forward->setIcon(qApp->style()->standardIcon(QStyle::SP_ArrowForward));
    connect(forward, &QAction::triggered, this, [this] { GoForward(); });

    QAction* favourite = m_pFrame->AddAction(ID_FAVOURITE_TOGGLE, tr("收藏"),
                                             tr("把显示的法规加入收藏夹或从中删除"), tr("收藏"));
    favourite->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_D));
    favourite->setCheckable(true);
    favourite->setIcon(StarIcon());
    connect(favourite, &QAction::triggered, this, [this] { ToggleFavourite(); });
    QAction* article = m_pFrame->AddAction(ID_FAVOURITE_ARTICLE, tr("收藏本条"),
                                           tr("把光标所在的条文加入收藏夹或从中删除"));
    article->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_D));
    article->setShortcutContext(Qt::WindowShortcut);
    connect(article, &QAction::triggered, this, [this] {
        if (!ToggleArticleFavourite())
            m_pFrame->GetStatusBar()->showMessage(tr("光标不在条文中"));
    });
    connect(m_pFrame->AddAction(ID_FAVOURITES_ORGANIZE, tr("整理收藏夹..."),
                                tr("列出收藏的法规，打开、删除或加备注")),
            &QAction::triggered, this, &CReader::ShowFavourites);
    connect(m_pFrame->AddAction(ID_RECENT_CLEAR, tr("清除最近阅读的法规")), &QAction::triggered,
            this, [this] {
                m_recent.Clear();
                SaveLists();
            });
    for (QAction* action : {back, forward, favourite}) {
        action->setShortcutContext(Qt::WindowShortcut);
        m_pFrame->GetWindow()->addAction(action);
    }
}

void CReader::AddMenus(QMenuBar* bar, QMenu* before) {
    QAction* anchor = before ? before->menuAction() : nullptr;
    m_pFavouritesMenu = new QMenu(tr("收藏夹(&A)"), bar);
    m_pFavouritesMenu->setObjectName(QStringLiteral("FavouritesMenu"));
    bar->insertMenu(anchor, m_pFavouritesMenu);
    connect(m_pFavouritesMenu, &QMenu::aboutToShow, this, &CReader::FillFavouritesMenu);

    QMenu* history = new QMenu(tr("历史(&G)"), bar);
    history->setObjectName(QStringLiteral("HistoryMenu"));
    bar->insertMenu(anchor, history);
    history->addAction(m_pFrame->Action(ID_HISTORY_BACK));
    history->addAction(m_pFrame->Action(ID_HISTORY_FORWARD));
    history->addSeparator();
    m_pRecentMenu = history->addMenu(tr("最近阅读的法规(&R)"));
    m_pRecentMenu->setObjectName(QStringLiteral("RecentMenu"));
    connect(m_pRecentMenu, &QMenu::aboutToShow, this, &CReader::FillRecentMenu);
    connect(history, &QMenu::aboutToShow, m_pFrame->GetWindow(),
            [this] { m_pFrame->UpdateCommandStates(); });
    FillFavouritesMenu();
    FillRecentMenu();
}

QToolBar* CReader::CreateToolBar() {
    auto* bar = new QToolBar(tr("导航"), m_pFrame->GetWindow());
    bar->setObjectName(QStringLiteral("NavigationToolBar"));
    bar->setIconSize(QSize(24, 24));
    bar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    bar->addAction(m_pFrame->Action(ID_HISTORY_BACK));
    bar->addAction(m_pFrame->Action(ID_HISTORY_FORWARD));
    bar->addAction(m_pFrame->Action(ID_FAVOURITE_TOGGLE));
    return bar;
}

void CReader::UpdateCommandStates() {
    const int edition = theEditionConfig.GetEdition();
    if (QAction* back = m_pFrame->Action(ID_HISTORY_BACK))
        back->setEnabled(m_history.CanGoBack(edition));
    if (QAction* forward = m_pFrame->Action(ID_HISTORY_FORWARD))
        forward->setEnabled(m_history.CanGoForward(edition));
    if (QAction* favourite = m_pFrame->Action(ID_FAVOURITE_TOGGLE)) {
        const CLawRef law = CurrentLaw();
        favourite->setEnabled(law.m_nLawId != 0);
        favourite->setChecked(law.m_nLawId != 0 && m_favourites.Find(law) >= 0);
    }
}

void CReader::WhenPageReady(std::function<void()> what) {
    CShowLawView* view = m_pFrame->GetLawView();
    if (!view || view->HasDocument()) {
        what();
        return;
    }
    // The blank page arrives a moment after start-up, as a browser's navigation does.
    connect(
        view, &CMoreHtmlView::documentComplete, this,
        [what = std::move(what)](const QUrl&) { what(); }, Qt::SingleShotConnection);
}

void CReader::OnLawShown(int lawid, int leavingScroll) {
    const int edition = theEditionConfig.GetEdition();
    m_history.Visit(edition, lawid, leavingScroll);
    m_nPendingScroll = -1;
    AddRecent(lawid);
}

void CReader::AddRecent(int lawid) {
    CDocumentDatabase* doc = m_pFrame->GetDocument();
    if (!doc || lawid == 0)
        return;
    CLawRef law;
    law.m_nEdition = theEditionConfig.GetEdition();
    if (CLawLookup(doc->GetDatabase(), theEditionConfig.GetLawTable()).Describe(lawid, law)) {
        m_recent.Add(law);
        SaveLists();
    }
}

int CReader::Scroll() const {
    CShowLawView* view = m_pFrame->GetLawView();
    return view ? view->verticalScrollBar()->value() : 0;
}

void CReader::SetScroll(int scroll) {
    CShowLawView* view = m_pFrame->GetLawView();
    if (!view)
        return;
    // A long page is laid out a piece at a time; the position is taken once it exists.
    HookScrollBar();
    QScrollBar* bar = view->verticalScrollBar();
    m_nPendingScroll = -1;
    if (bar->maximum() >= scroll)
        bar->setValue(scroll);
    else
        m_nPendingScroll = scroll;
}

void CReader::ShowHistoryEntry(int lawid, int scroll) {
    CShowLawView* view = m_pFrame->GetLawView();
    if (!view)
        return;
    if (view->ShowLaw(lawid)) {
        AddRecent(lawid);
        // The list follows the law shown where the law has a row.
        if (CTolvarinView* list = m_pFrame->GetListView())
            list->SelectLaw(lawid);
    }
    theEditionConfig.SetCurLawId(lawid);
    SetScroll(scroll);
    m_pFrame->UpdateCommandStates();
}

bool CReader::GoBack() {
    const int edition = theEditionConfig.GetEdition();
    const CLawHistory::Entry* entry = m_history.Back(edition, Scroll());
    if (!entry)
        return false;
    ShowHistoryEntry(entry->m_nLawId, entry->m_nScroll);
    return true;
}

bool CReader::GoForward() {
    const int edition = theEditionConfig.GetEdition();
    const CLawHistory::Entry* entry = m_history.Forward(edition, Scroll());
    if (!entry)
        return false;
    ShowHistoryEntry(entry->m_nLawId, entry->m_nScroll);
    return true;
}

bool CReader::OpenLaw(const CLawRef& law, const std::string& article) {
    CDocumentDatabase* doc = m_pFrame->GetDocument();
    if (!doc || !doc->ConnectDatabase())
        return false;
    if (law.m_nEdition != theEditionConfig.GetEdition())
        m_pFrame->OnEdition(law.m_nEdition);
    const int lawid = CLawLookup(doc->GetDatabase(), theEditionConfig.GetLawTable()).Resolve(law);
    if (lawid == 0) {
        AppMessageBox(tr("这部法规已不在法规库中：%1")
                          .arg(QString::fromStdString(law.m_strTitle))
                          .toStdString(),
                      MsgIcon::Information);
        return false;
    }
    // Where the reader left it, or at the top; the law shown already stays where it is.
    CShowLawView* view = m_pFrame->GetLawView();
    const bool shown = view && view->GetShownLawId() == lawid;
    const int left = m_history.LeftScroll(theEditionConfig.GetEdition(), lawid);
    m_pFrame->ShowLaw(lawid);
    theEditionConfig.SetCurLawId(lawid);
    if (!article.empty())
        GoToArticle(QString::fromStdString(article));
    else if (!shown && left > 0)
        SetScroll(left);
    m_pFrame->UpdateCommandStates();
    return true;
}

bool CReader::OpenLawAt(int lawid, int article, const QString& text) {
    CShowLawView* view = m_pFrame->GetLawView();
    if (!view || lawid <= 0)
        return false;
    if (!view->HasDocument()) {
        WhenPageReady([this, lawid, article, text] { OpenLawAt(lawid, article, text); });
        return true;
    }
    if (lawid == view->GetShownLawId()) {
        // A place of the law shown: Back returns to where the reader was.
        const int leaving = Scroll();
        if (!view->ScrollToArticle(article, text))
            return false;
        m_history.Jump(theEditionConfig.GetEdition(), lawid, leaving);
        m_pFrame->UpdateCommandStates();
        return true;
    }
    view->ScrollToArticleOnShow(article, text);
    m_pFrame->ShowLaw(lawid);
    if (view->GetShownLawId() != lawid) {
        view->ScrollToArticleOnShow(-1);
        m_pFrame->GetStatusBar()->showMessage(tr("无法显示这部法规（编号 %1）").arg(lawid));
        return false;
    }
    theEditionConfig.SetCurLawId(lawid);
    m_pFrame->UpdateCommandStates();
    return true;
}

bool CReader::OpenLawByTitleOrId(const QString& text, const QString& article) {
    CDocumentDatabase* doc = m_pFrame->GetDocument();
    if (!doc || !doc->ConnectDatabase())
        return false;
    if (CShowLawView* view = m_pFrame->GetLawView(); view && !view->HasDocument()) {
        WhenPageReady([this, text, article] { OpenLawByTitleOrId(text, article); });
        return true;
    }
    const int lawid = CLawLookup(doc->GetDatabase(), theEditionConfig.GetLawTable())
                          .FindByTitleOrId(text.trimmed().toStdString());
    if (lawid == 0) {
        m_pFrame->GetStatusBar()->showMessage(tr("没有找到法规：%1").arg(text));
        return false;
    }
    m_pFrame->ShowLaw(lawid);
    theEditionConfig.SetCurLawId(lawid);
    if (!article.isEmpty())
        GoToArticle(article);
    m_pFrame->UpdateCommandStates();
    return true;
}

bool CReader::OpenLawId(int lawid) {
    CDocumentDatabase* doc = m_pFrame->GetDocument();
    if (lawid <= 0 || !doc || !doc->ConnectDatabase())
        return false;
    m_pFrame->ShowLaw(lawid);
    CShowLawView* view = m_pFrame->GetLawView();
    if (!view || view->GetShownLawId() != lawid)
        return false;
    theEditionConfig.SetCurLawId(lawid);
    m_pFrame->UpdateCommandStates();
    return true;
}

bool CReader::GoToArticle(const QString& article) {
    CShowLawView* view = m_pFrame->GetLawView();
    const std::string heading = CLawArticles::ArticleFromArgument(article.trimmed().toStdString());
    if (view && view->GetShownLawId() != 0 && !heading.empty() && view->GoToArticle(heading))
        return true;
    m_pFrame->GetStatusBar()->showMessage(
        tr("这部法规没有这一条：%1")
            .arg(heading.empty() ? article : QString::fromStdString(heading)));
    return false;
}

bool CReader::ToggleArticleFavourite() {
    CShowLawView* view = m_pFrame->GetLawView();
    CLawRef law = CurrentLaw();
    std::string heading;
    if (!view || law.m_nLawId == 0 || view->ArticleCitation(&heading).empty())
        return false;
    if (!m_favourites.Remove(law, heading)) {
        if (CDocumentDatabase* doc = m_pFrame->GetDocument())
            CLawLookup(doc->GetDatabase(), theEditionConfig.GetLawTable())
                .Describe(law.m_nLawId, law);
        m_favourites.Add(law, {}, heading);
        m_pFrame->GetStatusBar()->showMessage(
            tr("已收藏：%1%2")
                .arg(QString::fromStdString(law.m_strTitle), QString::fromStdString(heading)));
    } else {
        m_pFrame->GetStatusBar()->showMessage(
            tr("已从收藏夹删除：%1%2")
                .arg(QString::fromStdString(law.m_strTitle), QString::fromStdString(heading)));
    }
    SaveLists();
    m_pFrame->UpdateCommandStates();
    return true;
}

void CReader::SearchTitles(const QString& words) {
    CTolvarinView* list = m_pFrame->GetListView();
    if (!list || words.trimmed().isEmpty())
        return;
    const std::string text = words.trimmed().toStdString();
    // A search beyond what the database can take is refused with the reason, not run.
    const std::string refusal = CSearchLimits::Refusal(CSearchLimits::Distinct(SplitWords(text)));
    if (!refusal.empty()) {
        m_pFrame->GetStatusBar()->showMessage(QString::fromStdString(refusal));
        return;
    }
    CSqlSelect builder;
    CSearchComposer::FromEdition(theEditionConfig)
        .ComposeTitleSearch(builder, text, CSearchComposer::kScopeAll);
    list->RunQuery(builder.Build());
}

CLawRef CReader::CurrentLaw() const {
    CLawRef law;
    law.m_nEdition = theEditionConfig.GetEdition();
    CShowLawView* view = m_pFrame->GetLawView();
    const CLawHistory::Entry* current = m_history.Current(law.m_nEdition);
    // The law on the page is the edition's last law once the page shows one.
    const int lawid = theEditionConfig.GetCurLawId();
    if (!view || lawid == 0 || !current || current->m_nLawId != lawid)
        return law;
    law.m_nLawId = lawid;
    for (const CLawRef& recent : m_recent.Items())
        if (recent.m_nEdition == law.m_nEdition && recent.m_nLawId == lawid)
            return recent;
    return law;
}

bool CReader::ToggleFavourite() {
    CLawRef law = CurrentLaw();
    if (law.m_nLawId == 0)
        return false;
    if (!m_favourites.Remove(law)) {
        if (CDocumentDatabase* doc = m_pFrame->GetDocument())
            CLawLookup(doc->GetDatabase(), theEditionConfig.GetLawTable())
                .Describe(law.m_nLawId, law);
        m_favourites.Add(law);
    }
    SaveLists();
    m_pFrame->UpdateCommandStates();
    return true;
}

void CReader::ShowFavourites() {
    CFavouritesDlg dialog(m_favourites, m_pFrame->GetWindow());
    connect(&dialog, &CFavouritesDlg::exportRequested, this,
            [this](const QString& file) { ExportFavourites(file); });
    connect(&dialog, &CFavouritesDlg::importRequested, this, [this, &dialog](const QString& file) {
        if (ImportFavourites(file))
            dialog.Reload();
    });
    connect(&dialog, &CFavouritesDlg::listChanged, this, &CReader::SaveLists);
    const int chosen = dialog.DoModal();
    SaveLists();
    if (chosen >= 0 && chosen < static_cast<int>(m_favourites.Items().size())) {
        const CFavourites::Item item = m_favourites.Items()[static_cast<std::size_t>(chosen)];
        OpenLaw(item.m_law, item.m_strArticle);
    }
    m_pFrame->UpdateCommandStates();
}

bool CReader::ExportFavourites(const QString& file) {
    QSaveFile out(file);
    const std::string text = m_favourites.ToJson();
    if (!out.open(QIODevice::WriteOnly) ||
        out.write(text.data(), static_cast<qint64>(text.size())) !=
            static_cast<qint64>(text.size()) ||
        !out.commit()) {
        AppMessageBox(tr("无法写入收藏夹文件 %1：%2").arg(file, out.errorString()).toStdString(),
                      MsgIcon::Warning);
        return false;
    }
    return true;
}

bool CReader::ImportFavourites(const QString& file) {
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly)) {
        AppMessageBox(tr("无法读取收藏夹文件 %1：%2").arg(file, in.errorString()).toStdString(),
                      MsgIcon::Warning);
        return false;
    }
    const QByteArray bytes = in.read(static_cast<qint64>(CFavourites::kMaxTextBytes) + 1);
    CFavourites imported;
    std::string error;
    if (!imported.FromJson(bytes.toStdString(), &error)) {
        AppMessageBox(
            tr("%1 不是收藏夹文件：%2").arg(file, CMessageText::Translate(error)).toStdString(),
            MsgIcon::Warning);
        return false;
    }
    m_favourites.Merge(imported);
    SaveLists();
    m_pFrame->UpdateCommandStates();
    return true;
}

void CReader::FillFavouritesMenu() {
    if (!m_pFavouritesMenu)
        return;
    m_pFrame->UpdateCommandStates();
    m_pFavouritesMenu->clear();
    m_pFavouritesMenu->addAction(m_pFrame->Action(ID_FAVOURITE_TOGGLE));
    m_pFavouritesMenu->addAction(m_pFrame->Action(ID_FAVOURITE_ARTICLE));
    m_pFavouritesMenu->addAction(m_pFrame->Action(ID_FAVOURITES_ORGANIZE));
    if (!m_favourites.IsEmpty())
        m_pFavouritesMenu->addSeparator();
    for (const CFavourites::Item& item : m_favourites.Items()) {
        const CLawRef law = item.m_law;
        const std::string article = item.m_strArticle;
        QString text = MenuText(law);
        if (!article.empty())
            text += QStringLiteral(" ") + QString::fromStdString(article);
        QAction* action = m_pFavouritesMenu->addAction(text);
        if (!item.m_strNote.empty())
            action->setStatusTip(QString::fromStdString(item.m_strNote));
        connect(action, &QAction::triggered, this, [this, law, article] { OpenLaw(law, article); });
    }
}

void CReader::FillRecentMenu() {
    if (!m_pRecentMenu)
        return;
    m_pRecentMenu->clear();
    int number = 1;
    for (const CLawRef& law : m_recent.Items()) {
        const QString prefix =
            number < 10 ? QStringLiteral("&%1 ").arg(number) : QStringLiteral("%1 ").arg(number);
        QAction* action = m_pRecentMenu->addAction(prefix + MenuText(law));
        connect(action, &QAction::triggered, this, [this, law] { OpenLaw(law); });
        ++number;
    }
    if (!m_recent.Items().empty())
        m_pRecentMenu->addSeparator();
    m_pRecentMenu->addAction(m_pFrame->Action(ID_RECENT_CLEAR));
    m_pFrame->Action(ID_RECENT_CLEAR)->setEnabled(!m_recent.Items().empty());
}

bool CReader::eventFilter(QObject* watched, QEvent* e) {
    if (e->type() == QEvent::MouseButtonPress && watched->isWidgetType()) {
        const auto* mouse = static_cast<QMouseEvent*>(e);
        const Qt::MouseButton button = mouse->button();
        if ((button == Qt::BackButton || button == Qt::ForwardButton) &&
            static_cast<QWidget*>(watched)->window() == m_pFrame->GetWindow()) {
            if (button == Qt::BackButton)
                GoBack();
            else
                GoForward();
            m_pFrame->UpdateCommandStates();
            return true;
        }
    }
    return QObject::eventFilter(watched, e);
}

void CReader::LoadLists() {
    QSettings settings;
    const QString favourites = settings.value(QLatin1String(kFavouritesKey)).toString();
    std::string error;
    if (!favourites.isEmpty() && !m_favourites.FromJson(favourites.toStdString(), &error)) {
        // A list that cannot be read is kept aside rather than overwritten, and the reader is
        // told once the window is up.
        const QString aside = QLatin1String(kFavouritesKey) + QStringLiteral(".unreadable");
        settings.setValue(aside, favourites);
        const std::string text =
            tr("收藏夹无法读取（%1），已原样保存在设置 %2 中；收藏夹从空白开始。")
                .arg(CMessageText::Translate(error), aside)
                .toStdString();
        QTimer::singleShot(0, this, [text] { AppMessageBox(text, MsgIcon::Warning); });
    }
    m_recent.FromJson(settings.value(QLatin1String(kRecentKey)).toString().toStdString());
}

void CReader::SaveLists() const {
    if (!m_bPersistent)
        return;
    QSettings settings;
    settings.setValue(QLatin1String(kFavouritesKey), QString::fromStdString(m_favourites.ToJson()));
    settings.setValue(QLatin1String(kRecentKey), QString::fromStdString(m_recent.ToJson()));
}

void CReader::ForgetLayout() {
    QSettings settings;
    for (const char* name : kLayoutKeys)
        settings.remove(Key(name));
}

void CReader::SaveState() const {
    if (!m_bPersistent)
        return;
    QSettings settings;
    if (auto* outer = m_pFrame->GetWindow()->findChild<QSplitter*>(QStringLiteral("OuterSplitter")))
        settings.setValue(Key("OuterSplitter"), outer->saveState());
    if (auto* inner = m_pFrame->GetWindow()->findChild<QSplitter*>(QStringLiteral("InnerSplitter")))
        settings.setValue(Key("InnerSplitter"), inner->saveState());
    if (CTolvarinView* list = m_pFrame->GetListView()) {
        // Only widths the user set: otherwise the list fits the window it opens in.
        QVariantList widths;
        const std::vector<int> set = list->UserColumnWidths();
        if (!set.empty())
            widths.push_back(list->GetTable()->horizontalHeader()->sectionSize(0));
        for (int width : set)
            widths.push_back(width);
        if (widths.isEmpty())
            settings.remove(Key("Columns"));
        else
            settings.setValue(Key("Columns"), widths);
        settings.setValue(Key("ViewStyle"), StyleCommand(list->GetStyle()));
    }
    const int current = theEditionConfig.GetEdition();
    settings.setValue(Key("Edition"), current);
    CEditionConfig& config = theEditionConfig;
    for (int edition : {0, 1}) {
        config.SetEdition(edition);
        settings.setValue(Key("Category", edition), config.GetCurTreeId());
        int lawid = config.GetCurLawId();
        int scroll = 0;
        if (const CLawHistory::Entry* entry = m_history.Current(edition);
            entry && entry->m_nLawId == lawid)
            scroll = edition == current ? Scroll() : entry->m_nScroll;
        CLawRef law;
        law.m_nEdition = edition;
        law.m_nLawId = lawid;
        for (const CLawRef& recent : m_recent.Items())
            if (recent.m_nEdition == edition && recent.m_nLawId == lawid)
                law = recent;
        settings.setValue(Key("Law", edition),
                          lawid == 0
                              ? QString()
                              : QString::fromStdString(LawRefToJson(law).dump(
                                    -1, ' ', false, nlohmann::json::error_handler_t::replace)));
        settings.setValue(Key("Scroll", edition), scroll);
    }
    config.SetEdition(current);
    SaveLists();
}

void CReader::RestoreState() {
    QSettings settings;
    if (auto* outer = m_pFrame->GetWindow()->findChild<QSplitter*>(QStringLiteral("OuterSplitter")))
        outer->restoreState(settings.value(Key("OuterSplitter")).toByteArray());
    if (auto* inner = m_pFrame->GetWindow()->findChild<QSplitter*>(QStringLiteral("InnerSplitter")))
        inner->restoreState(settings.value(Key("InnerSplitter")).toByteArray());
    CTolvarinView* list = m_pFrame->GetListView();
    if (list) {
        // Column 0 keeps its fixed width and the last one stretches; the others at least the
        // list's minimum.
        const QVariantList saved = settings.value(Key("Columns")).toList();
        std::vector<int> widths;
        for (qsizetype column = 1; column < saved.size(); ++column)
            widths.push_back(saved[column].toInt());
        if (!widths.empty())
            list->SetColumnWidths(widths);
        const int style = settings.value(Key("ViewStyle"), ID_VIEW_DETAILS).toInt();
        if (style >= ID_VIEW_SMALLICON && style <= ID_VIEW_DETAILS)
            m_pFrame->OnViewStyle(style);
    }

    CLeftView* left = m_pFrame->GetLeftView();
    CDocumentDatabase* doc = m_pFrame->GetDocument();
    const int wanted = settings.value(Key("Edition"), 0).toInt() == 1 ? 1 : 0;
    int lawids[2] = {0, 0};
    // The other edition first, quietly: its tree selection and last law wait for a switch.
    for (int edition : {1, 0}) {
        theEditionConfig.SetEdition(edition);
        const int category = settings.value(Key("Category", edition), 0).toInt();
        // Selecting in the shown tree lists the category; the other tree only keeps it.
        if (left && category != 0 && left->SelectCategory(edition, category))
            theEditionConfig.SetCurTreeId(category);
        CLawRef law;
        const std::string text = settings.value(Key("Law", edition)).toString().toStdString();
        if (doc && !text.empty() && doc->ConnectDatabase() &&
            LawRefFromJson(nlohmann::json::parse(text, nullptr, false), law) &&
            law.m_nEdition == edition)
            lawids[edition] =
                CLawLookup(doc->GetDatabase(), theEditionConfig.GetLawTable()).Resolve(law);
        theEditionConfig.SetCurLawId(lawids[edition]);
        if (lawids[edition] != 0)
            m_history.Visit(edition, lawids[edition], 0);
    }
    if (wanted == 1)
        m_pFrame->OnEdition(1);
    if (const int lawid = lawids[wanted]; lawid != 0) {
        const int scroll = settings.value(Key("Scroll", wanted), 0).toInt();
        WhenPageReady([this, lawid, scroll, wanted] {
            CShowLawView* view = m_pFrame->GetLawView();
            if (!view || theEditionConfig.GetEdition() != wanted ||
                theEditionConfig.GetCurLawId() != lawid)
                return;
            view->ShowLaw(lawid);
            SetScroll(scroll);
            m_pFrame->UpdateCommandStates();
        });
    }
    m_pFrame->UpdateCommandStates();
}
