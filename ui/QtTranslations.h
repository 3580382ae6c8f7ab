#pragma once

#include <QString>

// Loads Qt's own catalogue for the interface language (qt_zh_CN from the system's Qt
// translations, Debian package qt6-translations-l10n), so that Qt's dialogs (print, page
// setup, file, message-box buttons) speak the program's language.
class CQtTranslations {
public:
    // True when the catalogue was found and installed.
    static bool Install(const QString& language = QStringLiteral("zh_CN"));
};
