#pragma once

#include <QTextDocument>

// A text document that loads nothing but the program's own page and images: no file, no
// network address, no data address. Whatever a law text refers to stays unloaded.
class CLocalDocument : public QTextDocument {
    Q_OBJECT
public:
    explicit CLocalDocument(QObject* parent = nullptr) : QTextDocument(parent) {}

    // True for the program's own resources (qrc:/html/..., qrc:/images/..., :/images/...).
    static bool IsOwnResource(const QUrl& name);

protected:
    QVariant loadResource(int type, const QUrl& name) override;
};
