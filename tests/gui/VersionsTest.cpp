// Versions of a law in the window: the version list in the page's header and its links, the
// older versions greyed in the law list, the comparison window, articles copied with their
// citation, opened from the command line (also by a later start) and kept as favourites.
#include "TestDatabase.h"
#include "WindowTest.h"

#include "app/ArticleCommands.h"
#include "browse/gui/LawListModel.h"
#include "display/gui/VersionCompareDlg.h"
#include "reader/gui/Reader.h"

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QScrollBar>
#include <QStatusBar>
#include <QTableView>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextBrowser>

namespace {

const char* const kTitle = "最高人民法院关于适用《中华人民共和国刑事诉讼法》的解释";
const char* const kOldBody = "第一章　管辖\n第一条　甲乙丙。\n第二条　旧的条文。\n第三条　删去的。";
const char* const kNewBody = "第一章　管辖\n第一条　甲乙丁丙。\n第二条　新的条文。\n"
                             "第四条　新增的。";

struct Versions {
    int m_nOld;
    int m_nNew;
    int m_nCode;
    int m_nMarriage;
};

// Two versions of one title (the older in 〈〉), a Civil Code and an interpretation whose
// title holds "民法典", and a long law of articles.
Versions Fill(CTestDatabase& db) {
    db.AddCategory(0, 1, 0, "司法解释", 1, 0);
    Versions v{};
    v.m_nOld = db.AddLaw(0, "最高人民法院关于适用〈中华人民共和国刑事诉讼法〉的解释",
                         "2012-12-20 00:00:00", "", "", kOldBody);
    v.m_nNew = db.AddLaw(0, kTitle, "2021-01-26 00:00:00", "", "", kNewBody);
    std::string code;
    for (int i = 1; i <= 300; ++i)
        code += "第" + std::to_string(i) + "条　第" + std::to_string(i) + "条的文字。\n\n";
    v.m_nMarriage =
        db.AddLaw(0, "最高人民法院关于适用《中华人民共和国民法典》婚姻家庭编的解释（一）",
                  "2020-12-29 00:00:00", "", "", "第一条　解释。");
    v.m_nCode = db.AddLaw(0, "中华人民共和国民法典", "2020-05-28 00:00:00", "", "", code);
    for (int lawid : {v.m_nOld, v.m_nNew, v.m_nMarriage, v.m_nCode})
        db.Link(0, lawid, 1);
    return v;
}

class VersionsTest : public CWindowTest {};

} // namespace

TEST_F(VersionsTest, HeaderListsTheVersionsAndItsLinksOpenAndCompareThem) {
    CTestDatabase db;
    const Versions v = Fill(db);
    CMainFrame* frame = StartWithPage();
    CShowLawView* view = frame->GetLawView();
    ASSERT_TRUE(frame->GetReader()->OpenLawId(v.m_nNew));
    const std::string& html = view->GetBodyHtml();
    EXPECT_NE(html.find("<b>2021-01-26 现行</b>"), std::string::npos) << html.substr(0, 400);
    EXPECT_NE(html.find("2012-12-20 历史版本"), std::string::npos);
    ASSERT_EQ(view->GetShownVersions().size(), 2u);

    // The older version's link opens it; on it, its own "对照" compares it with the one in
    // force.
    emit view->anchorClicked(QUrl(QStringLiteral("tolvarin-version:%1").arg(v.m_nOld)));
    EXPECT_EQ(view->GetShownLawId(), v.m_nOld);
    EXPECT_EQ(theEditionConfig.GetCurLawId(), v.m_nOld);
    EXPECT_NE(
        view->GetBodyHtml().find(
            QStringLiteral("tolvarin-compare:%1:%2").arg(v.m_nOld).arg(v.m_nNew).toStdString()),
        std::string::npos);
    // A law of one version has no version line.
    ASSERT_TRUE(frame->GetReader()->OpenLawId(v.m_nMarriage));
    EXPECT_TRUE(view->GetShownVersions().empty());
    EXPECT_EQ(view->GetBodyHtml().find("历史版本"), std::string::npos);

    ASSERT_TRUE(frame->GetReader()->OpenLawId(v.m_nNew));
    CVersionCompareDlg* dialog = frame->GetArticleCommands()->CompareShown();
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(dialog->IsValid());
    ASSERT_TRUE(WaitFor([&] { return dialog->IsComplete(); }));
    // 第一条 and 第二条 changed, 第三条 removed, 第四条 added.
    EXPECT_EQ(dialog->ChangeCount(), 4);
    const QString text = dialog->Browser()->toPlainText();
    EXPECT_TRUE(text.contains(QStringLiteral("2012-12-20 历史版本")));
    EXPECT_TRUE(text.contains(QStringLiteral("2021-01-26 现行")));
    EXPECT_TRUE(dialog->NextChange());
    EXPECT_TRUE(dialog->NextChange(true));
    EXPECT_TRUE(dialog->NextChange(true));
    EXPECT_EQ(dialog->CurrentChange(), 3);

    // Into a PDF that holds both sides.
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("compare.pdf"));
    bool finished = false, ok = false;
    QObject::connect(dialog, &CVersionCompareDlg::printFinished, [&](bool result) {
        finished = true;
        ok = result;
    });
    dialog->ExportPdfTo(pdf);
    ASSERT_TRUE(WaitFor([&] { return finished; }, 60000));
    EXPECT_TRUE(ok);
    QFile file(pdf);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.read(5) == "%PDF-");
    dialog->close();
}

TEST_F(VersionsTest, TheListGreysTheOlderVersion) {
    CTestDatabase db;
    const Versions v = Fill(db);
    CMainFrame* frame = Start({QStringLiteral("--search"), QStringLiteral("刑事诉讼法")});
    auto* table = frame->GetListView()->findChild<QTableView*>();
    ASSERT_NE(table, nullptr);
    QAbstractItemModel* model = table->model();
    ASSERT_TRUE(WaitFor([&] { return model->rowCount() == 2; }));
    for (int row = 0; row < 2; ++row) {
        const QModelIndex topic = model->index(row, CLawListModel::ColTopic);
        const bool older = model->data(topic, CLawListModel::LawIdRole).toInt() == v.m_nOld;
        EXPECT_EQ(
            model->data(topic, Qt::DisplayRole).toString().endsWith(QStringLiteral("（历史版本）")),
            older);
        EXPECT_EQ(model->data(topic, Qt::ForegroundRole).isValid(), older);
    }
}

TEST_F(VersionsTest, ArticlesAreCopiedOpenedAndKeptAsFavourites) {
    CTestDatabase db;
    const Versions v = Fill(db);
    // "民法典" is the Civil Code, not the interpretation whose title holds the word.
    CMainFrame* frame = Start({QStringLiteral("--law"), QStringLiteral("民法典"),
                               QStringLiteral("--article"), QStringLiteral("232")});
    CShowLawView* view = frame->GetLawView();
    ASSERT_TRUE(WaitFor([&] { return view->GetShownLawId() != 0 && !view->IsLoading(); }));
    EXPECT_EQ(view->GetShownLawId(), v.m_nCode);
    // The caret stands at the article's heading, and the heading is in view.
    const QTextBlock block = view->document()->findBlock(view->textCursor().position());
    EXPECT_TRUE(block.text().startsWith(QStringLiteral("第232条")))
        << block.text().toStdString() << " pos " << view->textCursor().position() << " status "
        << frame->statusBar()->currentMessage().toStdString();
    EXPECT_GT(view->verticalScrollBar()->value(), 0);

    // The article under the caret, with its citation.
    ASSERT_TRUE(frame->GetArticleCommands()->CopyArticle());
    EXPECT_EQ(QApplication::clipboard()->text(),
              QStringLiteral("《中华人民共和国民法典》第二百三十二条\n第232条的文字。"));

    // A later start's request reaches the running window the same way.
    m_app->OnOtherStart({QStringLiteral("tolvarin"), QStringLiteral("--law"),
                         QString::number(v.m_nCode), QStringLiteral("--article"),
                         QStringLiteral("第十条")});
    ASSERT_TRUE(WaitFor([&] { return !view->IsLoading(); }));
    EXPECT_TRUE(view->document()
                    ->findBlock(view->textCursor().position())
                    .text()
                    .startsWith(QStringLiteral("第10条")));
    // A selection over two articles copies both, each under its heading.
    QTextCursor selection = view->textCursor();
    const QTextBlock next = selection.block().next().next();
    ASSERT_TRUE(next.text().startsWith(QStringLiteral("第11条")));
    selection.setPosition(next.position() + 3, QTextCursor::KeepAnchor);
    view->setTextCursor(selection);
    ASSERT_TRUE(frame->GetArticleCommands()->CopyArticle());
    EXPECT_EQ(
        QApplication::clipboard()->text(),
        QStringLiteral("《中华人民共和国民法典》第十条\n第10条的文字。\n第十一条\n第11条的文字。"));
    selection.setPosition(selection.anchor());
    view->setTextCursor(selection);
    // An article the law lacks is said so, and the page stays where it is.
    EXPECT_FALSE(frame->GetReader()->GoToArticle(QStringLiteral("9999")));
    EXPECT_TRUE(
        frame->statusBar()->currentMessage().contains(QStringLiteral("第九千九百九十九条")));

    // A favourite article: kept with its heading beside the law's own favourite, and opened
    // there again.
    CReader* reader = frame->GetReader();
    ASSERT_TRUE(reader->ToggleArticleFavourite());
    ASSERT_TRUE(reader->ToggleFavourite());
    ASSERT_EQ(reader->Favourites().Items().size(), 2u);
    EXPECT_EQ(reader->Favourites().Items()[0].m_strArticle, "第十条");
    EXPECT_EQ(reader->Favourites().Items()[1].m_strArticle, "");
    ASSERT_TRUE(reader->OpenLawId(v.m_nNew));
    ASSERT_TRUE(reader->OpenLaw(reader->Favourites().Items()[0].m_law, "第十条"));
    ASSERT_TRUE(WaitFor([&] { return !view->IsLoading(); }));
    EXPECT_EQ(view->GetShownLawId(), v.m_nCode);
    EXPECT_TRUE(view->document()
                    ->findBlock(view->textCursor().position())
                    .text()
                    .startsWith(QStringLiteral("第10条")));
}
