#include "ui/LinkLabel.h"

#include <QDesktopServices>
#include <QMouseEvent>
#include <QUrl>

CLinkLabel::CLinkLabel(QWidget* parent) : CLinkLabel(QString(), parent) {}

CLinkLabel::CLinkLabel(const QString& text, QWidget* parent) : QLabel(text, parent) {
    // The text is an address, never markup.
    setTextFormat(Qt::PlainText);
    m_crText = palette().color(QPalette::WindowText);
}

CLinkLabel& CLinkLabel::SetLink(bool bLink) {
    m_bLink = bLink;
    ApplyCursor();
    return *this;
}

CLinkLabel& CLinkLabel::SetLinkTextColor(const QColor& crText) {
    m_crText = crText;
    QPalette pal = palette();
    pal.setColor(QPalette::WindowText, crText);
    setPalette(pal);
    repaint();
    return *this;
}

CLinkLabel& CLinkLabel::SetFontUnderline(bool bUnderline) {
    QFont f = font();
    f.setUnderline(bUnderline);
    setFont(f);
    repaint();
    return *this;
}

CLinkLabel& CLinkLabel::SetLinkCursor(const QCursor& cursor) {
    m_hCursor = cursor;
    ApplyCursor();
    return *this;
}

void CLinkLabel::ApplyCursor() {
    // A label that takes no clicks shows the cursor of what lies beneath it.
    if (m_bLink && m_hCursor)
        setCursor(*m_hCursor);
    else
        unsetCursor();
}

QUrl CLinkLabel::Target() const {
    return QUrl::fromUserInput(text().trimmed());
}

void CLinkLabel::mousePressEvent(QMouseEvent* event) {
    if (!m_bLink || event->button() != Qt::LeftButton) {
        QLabel::mousePressEvent(event);
        return;
    }
    const QUrl target = Target();
    // What the desktop shows when it cannot open the address is all the user sees.
    if (target.isValid())
        QDesktopServices::openUrl(target);
    event->accept();
}
