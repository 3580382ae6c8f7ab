#pragma once

#include <QCoreApplication>
#include <QString>

class QMainWindow;
class QMenu;
class QTranslator;

// The language of the interface: Chinese (the texts as written in the program) or English
// (the catalogue tolvarin_en). Chosen by --language, else by the reader's choice in the View
// menu, else Chinese, whatever the system's locale.
class CInterfaceLanguage {
    Q_DECLARE_TR_FUNCTIONS(CInterfaceLanguage)
public:
    enum Language { Chinese, English };

    // "zh" or "en" (also "zh_CN", "en_GB", ...); false for anything else.
    static bool FromCode(const QString& code, Language& language);
    static QString Code(Language language);

    // The language for a start: the option, else the saved choice, else Chinese.
    static Language Choose(const QString& option);

    // Installs the program's catalogue for `language` (nothing for Chinese) into the
    // application; false when the catalogue cannot be loaded.
    static bool Install(Language language);
    static Language Current() { return s_current; }

    // The reader's choice for the next starts.
    static void SetPreferred(Language language);
    // The menu entries "中文" and "English" under `menu`; a choice is kept for the next start,
    // which the window's status bar says.
    static QMenu* AddMenu(QMenu* menu, QMainWindow* window);

private:
    static Language s_current;
    static QTranslator* s_translator;
};
