#include "app/InterfaceLanguage.h"

#include "ui/HelpWindow.h"

#include <QAction>
#include <QActionGroup>
#include <QMainWindow>
#include <QMenu>
#include <QSettings>
#include <QStatusBar>
#include <QTranslator>

namespace {

const char* const kLanguageKey = "Settings/InterfaceLanguage";

} // namespace

CInterfaceLanguage::Language CInterfaceLanguage::s_current = CInterfaceLanguage::Chinese;
QTranslator* CInterfaceLanguage::s_translator = nullptr;

bool CInterfaceLanguage::FromCode(const QString& code, Language& language) {
    const QString lower = code.trimmed().toLower();
    const QString base = lower.section(QLatin1Char('_'), 0, 0).section(QLatin1Char('-'), 0, 0);
    if (base == QLatin1String("zh")) {
        language = Chinese;
        return true;
    }
    if (base == QLatin1String("en")) {
        language = English;
        return true;
    }
    return false;
}

QString CInterfaceLanguage::Code(Language language) {
    return language == English ? QStringLiteral("en") : QStringLiteral("zh");
}

CInterfaceLanguage::Language CInterfaceLanguage::Choose(const QString& option) {
    Language language = Chinese;
    if (FromCode(option, language))
        return language;
    if (FromCode(QSettings().value(QLatin1String(kLanguageKey)).toString(), language))
        return language;
    // Not the system's locale: many of the program's readers run an English desktop and read
    // Chinese laws, and the program's texts are Chinese.
    return Chinese;
}

bool CInterfaceLanguage::Install(Language language) {
    if (s_translator) {
        QCoreApplication::removeTranslator(s_translator);
        delete s_translator;
        s_translator = nullptr;
    }
    s_current = Chinese;
    CHelpWindow::SetLanguage(Code(Chinese));
    if (language == Chinese)
        return true;
    auto* translator = new QTranslator;
    if (!translator->load(QStringLiteral(":/i18n/tolvarin_") + Code(language))) {
        delete translator;
        return false;
    }
    QCoreApplication::installTranslator(translator);
    s_translator = translator;
    s_current = language;
    CHelpWindow::SetLanguage(Code(language));
    return true;
}

void CInterfaceLanguage::SetPreferred(Language language) {
    QSettings().setValue(QLatin1String(kLanguageKey), Code(language));
}

QMenu* CInterfaceLanguage::AddMenu(QMenu* menu, QMainWindow* window) {
    QMenu* languages = menu->addMenu(tr("界面语言(&L)"));
    languages->setObjectName(QStringLiteral("LanguageMenu"));
    auto* group = new QActionGroup(languages);
    const struct {
        Language language;
        QString text;
    } entries[] = {{Chinese, QStringLiteral("中文")}, {English, QStringLiteral("English")}};
    for (const auto& entry : entries) {
        QAction* action = languages->addAction(entry.text);
        action->setCheckable(true);
        action->setChecked(entry.language == s_current);
        action->setData(Code(entry.language));
        group->addAction(action);
        const Language language = entry.language;
        QObject::connect(action, &QAction::triggered, window, [window, language] {
            SetPreferred(language);
            if (language != s_current)
                window->statusBar()->showMessage(
                    language == English
                        ? QStringLiteral("The interface will be in English from the next start.")
                        : QStringLiteral("下次启动时界面改为中文。"));
        });
    }
    return languages;
}
