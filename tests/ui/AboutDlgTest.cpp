// The About box: what it says, and where its links lead.
#include "ui/AboutDlg.h"
#include "ui/LinkLabel.h"
#include "ui/MakerInfo.h"

#include "UrlRecorder.h"

#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QTest>
#include <gtest/gtest.h>

namespace {

QStringList LabelTexts(const QWidget& w) {
    QStringList texts;
    for (const QLabel* label : w.findChildren<QLabel*>())
        if (!label->text().isEmpty())
            texts << label->text();
    return texts;
}

class AboutDlgTest : public ::testing::Test {
protected:
    void SetUp() override { QSettings("morvexal", "tolvarin").remove("Maker"); }
    void TearDown() override { QSettings("morvexal", "tolvarin").remove("Maker"); }
};

TEST_F(AboutDlgTest, ShowsProductNoticeServiceLineAndTheMakersAddresses) {
    CAboutDlg dlg;
    EXPECT_EQ(dlg.windowTitle(), QString::fromUtf8("关于Tolvarin"));
    const QStringList texts = LabelTexts(dlg);
    EXPECT_TRUE(texts.contains("Tolvarin V1.0"));
    EXPECT_TRUE(texts.contains(QString::fromUtf8(CMakerInfo::kDefaultCopyright)));
    EXPECT_TRUE(texts.contains(QString::fromUtf8("服务热线：") + CMakerInfo::kDefaultTelephone));
    EXPECT_EQ(dlg.MailLink()->text(), QString("mailto:") + CMakerInfo::kDefaultMailAddress);
    EXPECT_EQ(dlg.WebLink()->text(), QString(CMakerInfo::kDefaultWebAddress));
    EXPECT_EQ(dlg.OkButton()->text(), QString::fromUtf8("确定"));
    EXPECT_TRUE(dlg.OkButton()->isDefault());
}

TEST_F(AboutDlgTest, MakersValuesComeFromTheSettingsProfile) {
    {
        QSettings settings("morvexal", "tolvarin");
        settings.setValue("Maker/WebAddress", "https://laws.example.org/tolvarin");
        settings.setValue("Maker/MailAddress", "help@example.org");
        settings.setValue("Maker/Telephone", "010-1234 5678");
        settings.setValue("Maker/Copyright", "<b>(C) 2030 Example</b>");
    }
    CAboutDlg dlg;
    EXPECT_EQ(dlg.WebLink()->text(), "https://laws.example.org/tolvarin");
    EXPECT_EQ(dlg.MailLink()->text(), "mailto:help@example.org");
    const QStringList texts = LabelTexts(dlg);
    EXPECT_TRUE(texts.contains(QString::fromUtf8("服务热线：010-1234 5678")));
    // A configured text is shown as it is written, never read as markup.
    for (const QLabel* label : dlg.findChildren<QLabel*>())
        if (label->text() == "<b>(C) 2030 Example</b>") {
            EXPECT_EQ(label->textFormat(), Qt::PlainText);
        }
    EXPECT_TRUE(texts.contains("<b>(C) 2030 Example</b>"));
}

TEST_F(AboutDlgTest, BoxGrowsToShowALongAddressWhole) {
    const QString longAddress =
        "https://laws.example.org/a/rather/long/path/to/the/makers/service/pages/index.html";
    QSettings("morvexal", "tolvarin").setValue("Maker/WebAddress", longAddress);
    CAboutDlg dlg;
    dlg.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
    EXPECT_GE(dlg.WebLink()->width(), dlg.WebLink()->sizeHint().width());
    EXPECT_TRUE(dlg.rect().contains(dlg.OkButton()->geometry()));

    QSettings("morvexal", "tolvarin").remove("Maker");
    CAboutDlg usual;
    EXPECT_LT(usual.width(), dlg.width());
}

TEST_F(AboutDlgTest, LinksAreBlueUnderlinedWithTheProgramsHandCursor) {
    CAboutDlg dlg;
    dlg.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
    for (CLinkLabel* link : {dlg.WebLink(), dlg.MailLink()}) {
        SCOPED_TRACE(link->text().toStdString());
        EXPECT_TRUE(link->IsLink());
        EXPECT_EQ(link->LinkTextColor(), QColor(0, 0, 255));
        EXPECT_TRUE(link->font().underline());
        EXPECT_EQ(link->cursor().shape(), Qt::BitmapCursor);
        EXPECT_EQ(link->cursor().hotSpot(), QPoint(5, 0));
        // What the user sees: the underline is drawn in pure blue.
        const QImage image = link->grab().toImage();
        int blue = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                blue += QColor(image.pixel(x, y)) == QColor(0, 0, 255);
        EXPECT_GT(blue, 10);
    }
    // The other texts keep the ordinary text colour.
    for (const QLabel* label : dlg.findChildren<QLabel*>())
        if (!qobject_cast<const CLinkLabel*>(label)) {
            EXPECT_NE(label->palette().color(QPalette::WindowText), QColor(0, 0, 255));
        }
}

TEST_F(AboutDlgTest, ClickingALinkOpensItsOwnTextAndLeavesTheBoxOpen) {
    CUrlRecorder desktop;
    CAboutDlg dlg;
    dlg.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));

    QTest::mouseClick(dlg.WebLink(), Qt::LeftButton, {}, QPoint(3, 3));
    QTest::mouseClick(dlg.MailLink(), Qt::LeftButton, {}, QPoint(3, 3));
    // The target is the text shown: changing the text changes where the click leads.
    dlg.WebLink()->setText("https://example.org/elsewhere");
    QTest::mouseClick(dlg.WebLink(), Qt::LeftButton, {}, QPoint(3, 3));

    const QList<QUrl> expected = {QUrl(CMakerInfo::kDefaultWebAddress),
                                  QUrl(QString("mailto:") + CMakerInfo::kDefaultMailAddress),
                                  QUrl("https://example.org/elsewhere")};
    EXPECT_EQ(desktop.m_opened, expected);
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_EQ(dlg.result(), 0);
}

TEST_F(AboutDlgTest, OkClosesTheBox) {
    CAboutDlg dlg;
    dlg.show();
    QTest::mouseClick(dlg.OkButton(), Qt::LeftButton);
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
}

TEST(LinkLabel, OnlyALinkTakesLeftClicksTheRestFallThrough) {
    CUrlRecorder desktop;
    QWidget parent;
    auto* link = new CLinkLabel("https://example.org/", &parent);
    link->resize(200, 20);
    link->SetLinkCursor(QCursor(Qt::PointingHandCursor));

    QTest::mouseClick(link, Qt::RightButton, {}, QPoint(3, 3));
    EXPECT_TRUE(desktop.m_opened.isEmpty());

    link->SetLink(false);
    EXPECT_EQ(link->cursor().shape(), Qt::ArrowCursor);
    QTest::mouseClick(link, Qt::LeftButton, {}, QPoint(3, 3));
    EXPECT_TRUE(desktop.m_opened.isEmpty());

    link->SetLink(true);
    EXPECT_EQ(link->cursor().shape(), Qt::PointingHandCursor);
    QTest::mouseClick(link, Qt::LeftButton, {}, QPoint(3, 3));
    EXPECT_EQ(desktop.m_opened, QList<QUrl>{QUrl("https://example.org/")});
}

} // namespace
