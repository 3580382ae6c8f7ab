#include "display/gui/LocalDocument.h"

#include <QFile>
#include <QUrl>

bool CLocalDocument::IsOwnResource(const QUrl& name) {
    QString path;
    if (name.scheme() == QLatin1String("qrc"))
        path = name.path();
    else if (name.scheme().isEmpty() && name.path().startsWith(QLatin1String(":/")))
        path = name.path().mid(1);
    else
        return false;
    if (path.contains(QLatin1String("..")))
        return false;
    return path.startsWith(QLatin1String("/html/")) || path.startsWith(QLatin1String("/images/"));
}

QVariant CLocalDocument::loadResource(int type, const QUrl& name) {
    Q_UNUSED(type);
    if (!IsOwnResource(name))
        return {};
    const QString path = name.scheme() == QLatin1String("qrc") ? ':' + name.path() : name.path();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}
