#include "GuiTestUtil.h"
#include "TestDatabase.h"

#include "app/TolvarinDoc.h"
#include "display/gui/ShowLawView.h"
#include "ground/AppConstants.h"
#include "ground/EditionConfig.h"
#include "ground/MessageService.h"

#include <QFile>
#include <QImage>
#include <QPrinter>
#include <QTemporaryDir>
#include <QTextDocument>

#include <gtest/gtest.h>

namespace {

class LawViewTest : public ::testing::Test {
protected:
    void SetUp() override { theEditionConfig = CEditionConfig(); }
    void TearDown() override { theEditionConfig = CEditionConfig(); }
    CMessageRecorder m_messages;
};

} // namespace

TEST_F(LawViewTest, TheBlankPageResourceIsExact) {
    CShowLawView view(nullptr);
    QFile page(QStringLiteral(":/html/145.html"));
    ASSERT_TRUE(page.open(QIODevice::ReadOnly));
    EXPECT_EQ(page.readAll().toStdString(),
              "<HTML>\r\n  <HEAD>\r\n   <TITLE></TITLE>\r\n   <SCRIPT></SCRIPT>\r\n  </HEAD>\r\n"
              "  <BODY>\r\n  </BODY>\r\n</HTML>");
}

TEST_F(LawViewTest, ShowsTheLawOnlyOnceThePageHasLoaded) {
    CTestDatabase db;
    const int id =
        db.AddLaw(0, "某法", "2003-04-05 10:20:30", "令第1号", "国务院", "第一条\n第二条");
    const int en = db.AddLaw(1, "Some Law", "2004-01-02 00:00:00", "No. 9", "NPC", "Art. 1");
    CTolvarinDoc doc;
    ASSERT_TRUE(doc.ConnectDatabase());
    CShowLawView view(&doc);
    view.show();
    view.OnInitialUpdate();
    // Before the page has loaded the law is dropped.
    view.ShowLaw(id);
    EXPECT_FALSE(view.HasDocument());
    EXPECT_TRUE(view.GetBodyHtml().empty());
    ASSERT_TRUE(WaitFor([&] { return view.HasDocument(); }));
    EXPECT_TRUE(view.toPlainText().trimmed().isEmpty());

    view.ShowLaw(id);
    const QString text = view.toPlainText();
    EXPECT_NE(text.indexOf("某法"), -1);
    EXPECT_NE(text.indexOf("发布日期：2003-04-05"), -1);
    EXPECT_EQ(text.indexOf("10:20"), -1);
    EXPECT_NE(text.indexOf("第一条\n第二条"), -1) << text.toStdString();

    // lawid 0 and a missing law keep the page.
    view.ShowLaw(0);
    view.ShowLaw(id + 100);
    EXPECT_NE(view.toPlainText().indexOf("某法"), -1);

    // The English edition builds its page from its own template.
    theEditionConfig.SetEdition(1);
    view.ShowLaw(en);
    EXPECT_NE(view.GetBodyHtml().find(" Promulgated date: 2004-01-02"), std::string::npos);
    EXPECT_TRUE(m_messages.Messages().empty());
}

TEST_F(LawViewTest, LawTextsLoadNothing) {
    QTemporaryDir dir;
    const QString imagePath = dir.filePath(QStringLiteral("secret.png"));
    QImage image(4, 4, QImage::Format_RGB32);
    image.fill(Qt::red);
    ASSERT_TRUE(image.save(imagePath));
    CShowLawView view(nullptr);
    view.OnInitialUpdate();
    ASSERT_TRUE(WaitFor([&] { return view.HasDocument(); }));
    const std::string body = "<img src=\"file://" + imagePath.toStdString() + "\"><img src=\"" +
                             imagePath.toStdString() +
                             "\"><img src=\"http://127.0.0.1:9/x.png\"><img src=\"secret.png\">"
                             "<link rel=stylesheet href=\"http://127.0.0.1:9/s.css\">"
                             "<script>document.write('ran')</script><a href=\"http://x\">link</a>";
    ASSERT_TRUE(view.SetBodyHtml(body));
    // Lay the page out and paint it, which is when images are fetched.
    view.show();
    view.document()->size();
    view.grab();
    for (const QString& url :
         {QStringLiteral("file://") + imagePath, imagePath,
          QStringLiteral("http://127.0.0.1:9/x.png"), QStringLiteral("secret.png")}) {
        EXPECT_FALSE(view.document()->resource(QTextDocument::ImageResource, QUrl(url)).isValid())
            << url.toStdString();
        EXPECT_FALSE(view.loadResource(QTextDocument::ImageResource, QUrl(url)).isValid());
    }
    EXPECT_EQ(view.toPlainText().indexOf("ran"), -1);
    EXPECT_FALSE(view.openLinks());
    EXPECT_FALSE(view.openExternalLinks());
    // The program's own page is reachable.
    EXPECT_TRUE(
        view.loadResource(QTextDocument::HtmlResource, CShowLawView::BlankPageUrl()).isValid());
}

TEST_F(LawViewTest, DocumentSettingsEmptyTheBody) {
    CShowLawView view(nullptr);
    view.OnInitialUpdate();
    ASSERT_TRUE(WaitFor([&] { return view.HasDocument(); }));
    ASSERT_TRUE(view.SetBodyHtml("<b>text</b>"));
    view.SetBodyAttribute("bgcolor", "#ffffff");
    EXPECT_NE(view.toPlainText().indexOf("text"), -1);
    view.ApplyDocumentSettings();
    EXPECT_TRUE(view.toPlainText().trimmed().isEmpty());
    EXPECT_TRUE(view.GetBodyHtml().empty());
}

TEST_F(LawViewTest, PrintsThePageShownOrAnEmptyPage) {
    CTestDatabase db;
    const int id = db.AddLaw(0, "打印法", "2003-04-05 00:00:00", "", "", "正文");
    CTolvarinDoc doc;
    ASSERT_TRUE(doc.ConnectDatabase());
    CShowLawView view(&doc);
    view.OnInitialUpdate();
    ASSERT_TRUE(WaitFor([&] { return view.HasDocument(); }));
    QTemporaryDir dir;
    for (int lawid : {0, id}) {
        view.ShowLaw(lawid);
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        const QString file = dir.filePath(QStringLiteral("law%1.pdf").arg(lawid));
        printer.setOutputFileName(file);
        view.PrintTo(&printer);
        QFile pdf(file);
        ASSERT_TRUE(pdf.open(QIODevice::ReadOnly)) << lawid;
        EXPECT_TRUE(pdf.readAll().startsWith("%PDF"));
    }
}
