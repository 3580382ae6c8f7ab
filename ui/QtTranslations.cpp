#include "ui/QtTranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

bool CQtTranslations::Install(const QString& language) {
    auto* translator = new QTranslator(QCoreApplication::instance());
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    if (!translator->load(QStringLiteral("qt_") + language, folder)) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}
