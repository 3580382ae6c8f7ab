#include "TestDatabase.h"
#include "WindowTest.h"

#include "data/CitationParser.h"
#include "display/CitationLinks.h"
#include "display/gui/CitedByButton.h"
#include "reader/gui/Reader.h"

#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocument>
#include <QUrl>

namespace {

class CitationViewTest : public CWindowTest {
protected:
    void SetUp() override {
        CWindowTest::SetUp();
        std::string body;
        for (int n = 1; n <= 240; ++n)
            body += CCitationParser::ArticleLabel(CCitationParser::ArticleKey(n)) +
                    "　本条规定有关事项。\n";
        body += "第二百四十一条　依照本法第二条的规定处理。\n";
        m_nCited = m_db.AddLaw(0, "中华人民共和国刑法", "1997-03-14 00:00:00", "", "", body);
        m_nCiting = m_db.AddLaw(0, "关于甲的解释", "2000-01-01 00:00:00", "", "",
                                "第一条　依照《刑法》第二百三十二条的规定。\n"
                                "第二条　《某省条例》另有规定的除外。");
    }
    // The fragment of the page shown whose text is `text`.
    static QTextFragment Fragment(CShowLawView* view, const QString& text) {
        for (QTextBlock block = view->document()->begin(); block.isValid(); block = block.next())
            for (auto it = block.begin(); !it.atEnd(); ++it)
                if (it.fragment().text() == text)
                    return it.fragment();
        return {};
    }
    static int HeadingPosition(CShowLawView* view, const QString& label) {
        for (QTextBlock block = view->document()->begin(); block.isValid(); block = block.next())
            if (block.text().startsWith(label))
                return block.position();
        return -1;
    }
    static bool InView(CShowLawView* view, int position) {
        QTextCursor cursor(view->document());
        cursor.setPosition(position);
        const QRect rect = view->cursorRect(cursor);
        return rect.top() >= 0 && rect.bottom() <= view->viewport()->height();
    }

    CTestDatabase m_db;
    int m_nCited = 0;
    int m_nCiting = 0;
};

} // namespace

TEST_F(CitationViewTest, ALinkOpensTheCitedArticleAndBackReturns) {
    CMainFrame* frame = StartWithPage();
    frame->resize(1000, 800);
    frame->show();
    CShowLawView* view = frame->GetLawView();
    frame->ShowLaw(m_nCiting);
    ASSERT_EQ(view->GetShownLawId(), m_nCiting);

    const QTextFragment link = Fragment(view, QStringLiteral("《刑法》第二百三十二条"));
    ASSERT_TRUE(link.isValid());
    ASSERT_TRUE(link.charFormat().isAnchor());
    const QString href = link.charFormat().anchorHref();
    EXPECT_EQ(href.toStdString(), CCitationLinks::Href({m_nCited}, 23200));
    // Hovering shows the law's title and the article cited.
    const QString tip = view->CitationTip(href);
    EXPECT_TRUE(tip.contains(QStringLiteral("中华人民共和国刑法"))) << tip.toStdString();
    EXPECT_TRUE(tip.contains(QStringLiteral("第二百三十二条　本条规定有关事项。")))
        << tip.toStdString();
    // A law the collection lacks is marked, not linked.
    const QTextFragment missing = Fragment(view, QStringLiteral("《某省条例》"));
    ASSERT_TRUE(missing.isValid());
    EXPECT_FALSE(missing.charFormat().isAnchor());
    EXPECT_EQ(missing.charFormat().toolTip(), QStringLiteral("本法规库未收录此法规"));

    emit view->anchorClicked(QUrl(href));
    ASSERT_EQ(view->GetShownLawId(), m_nCited);
    Pump(50);
    const int heading = HeadingPosition(view, QStringLiteral("第二百三十二条"));
    ASSERT_GT(heading, 0);
    EXPECT_TRUE(InView(view, heading));
    EXPECT_EQ(theEditionConfig.GetCurLawId(), m_nCited);

    ASSERT_TRUE(frame->GetReader()->GoBack());
    EXPECT_EQ(view->GetShownLawId(), m_nCiting);
    EXPECT_TRUE(m_messages.Messages().empty());
}

TEST_F(CitationViewTest, AReferenceWithinTheLawMovesThereAndBackReturnsToThePlaceLeft) {
    CMainFrame* frame = StartWithPage();
    frame->resize(1000, 800);
    frame->show();
    CShowLawView* view = frame->GetLawView();
    frame->ShowLaw(m_nCited);
    ASSERT_EQ(view->GetShownLawId(), m_nCited);
    Pump(50);
    QScrollBar* bar = view->verticalScrollBar();
    // Well inside the page, so that no later change of its height clamps the place.
    bar->setValue(bar->maximum() * 3 / 4);
    const int left = bar->value();
    ASSERT_GT(left, 0);

    const QTextFragment link = Fragment(view, QStringLiteral("本法第二条"));
    ASSERT_TRUE(link.isValid());
    ASSERT_TRUE(link.charFormat().isAnchor());
    emit view->anchorClicked(QUrl(link.charFormat().anchorHref()));
    Pump(50);
    EXPECT_EQ(view->GetShownLawId(), m_nCited);
    const int heading = HeadingPosition(view, QStringLiteral("第二条"));
    ASSERT_GE(heading, 0);
    EXPECT_TRUE(InView(view, heading));
    EXPECT_LT(bar->value(), left);

    ASSERT_TRUE(frame->GetReader()->GoBack());
    EXPECT_EQ(view->GetShownLawId(), m_nCited);
    // The place left comes back once the page shown again is laid out.
    EXPECT_TRUE(WaitFor([&] { return bar->value() == left; })) << bar->value() << " " << left;
    ASSERT_TRUE(frame->GetReader()->GoForward());
    Pump(50);
    EXPECT_TRUE(InView(view, heading));
    EXPECT_TRUE(m_messages.Messages().empty());
}

TEST_F(CitationViewTest, CitedByListsTheCitingLawsAndOpensAtTheCitation) {
    CMainFrame* frame = StartWithPage();
    frame->resize(1000, 800);
    frame->show();
    CShowLawView* view = frame->GetLawView();
    auto* citedBy = frame->findChild<CCitedByButton*>();
    ASSERT_NE(citedBy, nullptr);
    frame->ShowLaw(m_nCited);
    // The laws written before the window opened are taken in by the builder, which then
    // has the list read again.
    ASSERT_TRUE(WaitFor([&] { return citedBy->CitationCount() == 1; }));
    EXPECT_EQ(citedBy->LawCount(), 1);
    EXPECT_TRUE(citedBy->isEnabled());
    EXPECT_TRUE(citedBy->text().contains(QStringLiteral("1")));

    citedBy->Activate(0);
    ASSERT_TRUE(WaitFor([&] { return view->GetShownLawId() == m_nCiting; }));
    EXPECT_EQ(view->textCursor().selectedText(), QStringLiteral("《刑法》第二百三十二条"));
    // The law cited by nobody has an empty, disabled list.
    EXPECT_EQ(citedBy->CitationCount(), 0);
    EXPECT_FALSE(citedBy->isEnabled());
}
