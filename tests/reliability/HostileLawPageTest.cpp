// Law texts made to run, load or open something are shown as inert text: no script runs,
// nothing is fetched from the network or read from the file system, and a link clicked on
// the page is neither followed nor handed to the desktop.
#include "GuiTestUtil.h"
#include "TestDatabase.h"
#include "UrlRecorder.h"

#include "app/TolvarinDoc.h"
#include "display/gui/ShowLawView.h"
#include "ground/EditionConfig.h"
#include "ground/MessageService.h"

#include <QAbstractTextDocumentLayout>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// A listening socket on loopback that only counts who knocks.
class CLoopbackListener {
public:
    CLoopbackListener() {
        m_nSocket = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof address;
        if (m_nSocket >= 0 &&
            bind(m_nSocket, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
            listen(m_nSocket, 16) == 0 &&
            getsockname(m_nSocket, reinterpret_cast<sockaddr*>(&address), &size) == 0)
            m_nPort = ntohs(address.sin_port);
    }
    ~CLoopbackListener() {
        if (m_nSocket >= 0)
            close(m_nSocket);
    }
    CLoopbackListener(const CLoopbackListener&) = delete;
    CLoopbackListener& operator=(const CLoopbackListener&) = delete;

    int Port() const { return m_nPort; }
    bool Knocked() const {
        pollfd fd{m_nSocket, POLLIN, 0};
        return poll(&fd, 1, 0) > 0;
    }

private:
    int m_nSocket = -1;
    int m_nPort = 0;
};

} // namespace

TEST(HostileLawPage, LawTextsRunLoadAndOpenNothing) {
    theEditionConfig = CEditionConfig();
    CMessageRecorder messages;
    CUrlRecorder desktop;
    // Anything the page fetched from the network would knock here.
    CLoopbackListener listener;
    ASSERT_GT(listener.Port(), 0);
    const std::string web = "http://127.0.0.1:" + std::to_string(listener.Port());
    CTestDatabase db;
    const std::string body =
        "<script>document.write('ran')</script><body onload=\"document.write('ran')\">"
        "<img src=" +
        web +
        "/i.png><img src=\"file:///etc/hostname\"><img src=/etc/hostname>"
        "<iframe src=\"" +
        web +
        "/frame\"></iframe><iframe src=\"file:///etc/passwd\"></iframe>"
        "<object data=\"" +
        web + "/o\"></object><embed src=\"" + web +
        "/e\">"
        "<style>@import url(" +
        web + "/i.css); p { background-image: url(" + web +
        "/b.png) }</style>"
        "<meta http-equiv=refresh content=\"0;url=" +
        web +
        "/r\">"
        "<p style=\"background-image:url(" +
        web +
        "/p.png)\">段落</p>\n"
        "<a href=\"file:///etc/passwd\">FILELINK</a> <a href=\"" +
        web +
        "/a\">WEBLINK</a> "
        "<a href=\"javascript:document.write('ran')\">SCRIPTLINK</a>\n正文结束"
        // Last: the page shows nothing after an unclosed <link>.
        "<link rel=stylesheet href=\"" +
        web + "/s.css\">";
    const int id = db.AddLaw(0, "<script>alert('ran')</script>标题", "2003-04-05 00:00:00",
                             "<iframe src=\"" + web + "/t\"></iframe>", "部门", body);
    CTolvarinDoc doc;
    ASSERT_TRUE(doc.ConnectDatabase());
    CShowLawView view(&doc);
    view.resize(800, 600);
    view.show();
    view.OnInitialUpdate();
    ASSERT_TRUE(WaitFor([&] { return view.HasDocument(); }));
    view.ShowLaw(id);
    const QString shown = view.toPlainText();
    ASSERT_NE(shown.indexOf(QStringLiteral("正文结束")), -1);
    // Lay out and paint, which is when a page fetches what it refers to.
    view.document()->size();
    view.grab();
    Pump(200);

    // Click every link of the page.
    int clicked = 0;
    for (QTextBlock block = view.document()->begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (!fragment.isValid() || !fragment.charFormat().isAnchor())
                continue;
            QTextCursor cursor(view.document());
            cursor.setPosition(fragment.position() + 1);
            view.ensureCursorVisible();
            view.setTextCursor(cursor);
            view.ensureCursorVisible();
            const QPoint at = view.cursorRect(cursor).center();
            QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, at);
            Pump(50);
            ++clicked;
        }
    }
    EXPECT_EQ(clicked, 3);
    Pump(200);

    EXPECT_TRUE(desktop.m_opened.isEmpty()) << desktop.m_opened.first().toString().toStdString();
    EXPECT_FALSE(listener.Knocked());
    EXPECT_TRUE(view.source().isEmpty() || view.source() == CShowLawView::BlankPageUrl())
        << view.source().toString().toStdString();
    // The same law is still shown, and no script wrote into it.
    EXPECT_EQ(view.toPlainText(), shown);
    EXPECT_EQ(shown.indexOf(QStringLiteral("ran")), -1);
    for (const char* url : {"file:///etc/hostname", "/etc/hostname", "file:///etc/passwd"})
        EXPECT_FALSE(
            view.document()->resource(QTextDocument::ImageResource, QUrl(QString(url))).isValid())
            << url;
    EXPECT_TRUE(messages.Messages().empty());
    theEditionConfig = CEditionConfig();
}
