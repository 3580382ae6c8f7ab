#include "ui/AboutDlg.h"

#include "ui/AppIcon.h"
#include "ui/LinkLabel.h"
#include "ui/MakerInfo.h"

#include <QBoxLayout>
#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>

namespace {

// The box's fixed texts, for the interface's catalogue.
[[maybe_unused]] const char* const kCatalogued[] = {
    QT_TRANSLATE_NOOP("CAboutDlg", "关于Tolvarin"),
    QT_TRANSLATE_NOOP("CAboutDlg", "服务热线："),
};

// The box keeps the proportions it was designed with in dialog units (a quarter of the
// average character width across, an eighth of the line height down), so that it grows
// with the desktop's font.
struct DialogUnits {
    explicit DialogUnits(const QFont& font) {
        const QFontMetricsF fm(font);
        const QString letters =
            QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
        x = fm.horizontalAdvance(letters) / letters.size() / 4.0;
        y = fm.height() / 8.0;
    }
    int X(int units) const { return qRound(units * x); }
    int Y(int units) const { return qRound(units * y); }
    double x = 1.5;
    double y = 1.625;
};

QLabel* PlainLabel(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    return label;
}

} // namespace

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(tr(kCaption));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setModal(true);

    const CMakerInfo maker = CMakerInfo::Load();
    const DialogUnits du(font());

    auto* icon = new QLabel(this);
    const int iconSize = qMax(32, du.X(20) / 8 * 8);
    icon->setPixmap(AppIcon().pixmap(iconSize, iconSize));
    icon->setFixedSize(iconSize, iconSize);

    auto* product = PlainLabel(QString::fromUtf8(kProductLine), this);
    auto* notice = PlainLabel(maker.m_strCopyright, this);
    auto* service = PlainLabel(tr(kServiceLinePrefix) + maker.m_strTelephone, this);
    m_pMailLink = new CLinkLabel(QStringLiteral("mailto:") + maker.m_strMailAddress, this);
    m_pWebLink = new CLinkLabel(maker.m_strWebAddress, this);
    m_pOkButton = new QPushButton(tr("确定"), this);
    m_pOkButton->setDefault(true);
    m_pOkButton->setMinimumSize(du.X(50), du.Y(14));
    connect(m_pOkButton, &QPushButton::clicked, this, &QDialog::accept);

    // Icon at the left; the text column beside it, the OK button level with the last link.
    auto* text = new QVBoxLayout;
    text->setSpacing(0);
    text->addWidget(product);
    text->addSpacing(du.Y(7));
    text->addWidget(notice);
    text->addSpacing(du.Y(10));
    text->addWidget(service);
    text->addSpacing(du.Y(6));
    text->addWidget(m_pMailLink);
    text->addSpacing(du.Y(4));
    auto* last = new QHBoxLayout;
    last->setSpacing(du.X(9));
    last->addWidget(m_pWebLink, 0, Qt::AlignBottom);
    last->addStretch(1);
    last->addWidget(m_pOkButton, 0, Qt::AlignBottom);
    text->addLayout(last);

    auto* iconColumn = new QVBoxLayout;
    iconColumn->addSpacing(du.Y(4));
    iconColumn->addWidget(icon);
    iconColumn->addStretch(1);

    auto* outer = new QHBoxLayout(this);
    outer->setContentsMargins(du.X(11), du.Y(13), du.X(15), du.Y(13));
    outer->setSpacing(du.X(17));
    outer->addLayout(iconColumn);
    outer->addLayout(text, 1);
    // Never smaller than designed; larger when the maker's texts need the room.
    setFixedSize(outer->sizeHint().expandedTo(QSize(du.X(235), du.Y(103))));

    OnInitDialog();
}

void CAboutDlg::OnInitDialog() {
    const QPixmap hand(QStringLiteral(":/images/cursor/link.png"));
    const QCursor linkCursor =
        hand.isNull() ? QCursor(Qt::PointingHandCursor) : QCursor(hand, 5, 0);
    for (CLinkLabel* link : {m_pWebLink, m_pMailLink}) {
        link->SetLink(true)
            .SetLinkTextColor(QColor(0, 0, 255))
            .SetFontUnderline(true)
            .SetLinkCursor(linkCursor);
    }
    m_pOkButton->setFocus();
}
