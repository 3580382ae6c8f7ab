#include "display/gui/LocalImageHandler.h"

#include "display/gui/LocalDocument.h"

#include <QImage>
#include <QPainter>
#include <QTextDocument>
#include <QTextFormat>
#include <QUrl>

namespace {

constexpr qreal kPlaceholderSize = 16;

} // namespace

QImage CLocalImageHandler::OwnImage(QTextDocument* doc, const QTextFormat& format) {
    const QUrl url(format.toImageFormat().name());
    if (!doc || !CLocalDocument::IsOwnResource(url))
        return {};
    const QVariant data = doc->resource(QTextDocument::ImageResource, url);
    if (data.userType() == QMetaType::QImage)
        return data.value<QImage>();
    if (data.userType() == QMetaType::QPixmap)
        return data.value<QPixmap>().toImage();
    QImage image;
    if (data.userType() == QMetaType::QByteArray)
        image.loadFromData(data.toByteArray());
    return image;
}

QSizeF CLocalImageHandler::intrinsicSize(QTextDocument* doc, int, const QTextFormat& format) {
    const QTextImageFormat image = format.toImageFormat();
    QSizeF size(image.width(), image.height());
    if (size.width() > 0 && size.height() > 0)
        return size;
    const QImage own = OwnImage(doc, format);
    const QSizeF natural =
        own.isNull() ? QSizeF(kPlaceholderSize, kPlaceholderSize) : QSizeF(own.size());
    if (size.width() > 0 && natural.width() > 0)
        return QSizeF(size.width(), natural.height() * size.width() / natural.width());
    if (size.height() > 0 && natural.height() > 0)
        return QSizeF(natural.width() * size.height() / natural.height(), size.height());
    return natural;
}

void CLocalImageHandler::drawObject(QPainter* painter, const QRectF& rect, QTextDocument* doc, int,
                                    const QTextFormat& format) {
    const QImage own = OwnImage(doc, format);
    if (!own.isNull()) {
        painter->drawImage(rect, own);
        return;
    }
    painter->save();
    painter->setPen(QPen(Qt::gray, 0, Qt::DotLine));
    painter->drawRect(rect.adjusted(0.5, 0.5, -0.5, -0.5));
    painter->restore();
}
