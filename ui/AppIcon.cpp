#include "ui/AppIcon.h"

QIcon AppIcon() {
    QIcon icon;
    for (const int size : {16, 24, 32, 48})
        icon.addFile(QStringLiteral(":/images/app/tolvarin-%1.png").arg(size), QSize(size, size));
    icon.addFile(QStringLiteral(":/images/app/tolvarin.png"), QSize(256, 256));
    return icon;
}
