#pragma once

#include <QObject>
#include <QTextObjectInterface>

// Draws the images of a page from the document's own resources only. Qt's own image handler
// reads a file named by <img src> directly when the document has no such resource; this one
// draws an empty frame instead, so a law text never makes the program read a file.
class CLocalImageHandler : public QObject, public QTextObjectInterface {
    Q_OBJECT
    Q_INTERFACES(QTextObjectInterface)
public:
    explicit CLocalImageHandler(QObject* parent = nullptr) : QObject(parent) {}

    QSizeF intrinsicSize(QTextDocument* doc, int posInDocument, const QTextFormat& format) override;
    void drawObject(QPainter* painter, const QRectF& rect, QTextDocument* doc, int posInDocument,
                    const QTextFormat& format) override;

private:
    static QImage OwnImage(QTextDocument* doc, const QTextFormat& format);
};
