#include "app/CommandLine.h"

CCommandLine::CCommandLine()
    : m_screenshot(QStringLiteral("screenshot"),
                   QStringLiteral("Write the main window as PNG and exit."),
                   QStringLiteral("FILE")),
      m_noSplash(QStringLiteral("nosplash"), QStringLiteral("Start without the splash screen.")),
      m_law(QStringLiteral("law"), QStringLiteral("Show the law with this lawid or title."),
            QStringLiteral("LAW")),
      m_article(QStringLiteral("article"),
                QStringLiteral("Open the law at this article: 232 or 第二百三十二条 (with --law, "
                               "else in the law shown)."),
                QStringLiteral("N")),
      m_search(QStringLiteral("search"),
               QStringLiteral("List the laws whose title holds these words."),
               QStringLiteral("WORDS")),
      m_newWindow(QStringLiteral("new-window"),
                  QStringLiteral("Open a window of its own instead of using the running one.")),
      m_resetLayout(QStringLiteral("reset-layout"),
                    QStringLiteral("Forget the remembered panes, columns, edition, category and "
                                   "last law.")),
      m_language(QStringLiteral("language"),
                 QStringLiteral("The interface language of this run: zh or en."),
                 QStringLiteral("LANG")),
      m_database(QStringLiteral("db"),
                 QStringLiteral("Open this collection instead of looking for db1.mdb in the "
                                "working directory, $XDG_DATA_HOME/tolvarin and the system data "
                                "folders."),
                 QStringLiteral("FILE")) {
    m_parser.setApplicationDescription(QStringLiteral("Tolvarin law collection reader"));
    for (const QCommandLineOption* option :
         {&m_screenshot, &m_noSplash, &m_law, &m_article, &m_search, &m_newWindow, &m_resetLayout,
          &m_language, &m_database})
        m_parser.addOption(*option);
    m_parser.addPositionalArgument(QStringLiteral("law"),
                                   QStringLiteral("The lawid or title of a law to show."),
                                   QStringLiteral("[LAW-TITLE-OR-ID]"));
    m_parser.addHelpOption();
    m_parser.addVersionOption();
}

bool CCommandLine::Parse(const QStringList& arguments) {
    if (!m_parser.parse(arguments))
        return false;
    Read();
    return true;
}

void CCommandLine::Process(const QStringList& arguments) {
    m_parser.process(arguments);
    Read();
}

void CCommandLine::Read() {
    m_strScreenshot = m_parser.value(m_screenshot);
    m_strDatabase = m_parser.value(m_database);
    m_bNoSplash = m_parser.isSet(m_noSplash);
    m_strLaw = m_parser.value(m_law);
    if (m_strLaw.isEmpty() && !m_parser.positionalArguments().isEmpty())
        m_strLaw = m_parser.positionalArguments().join(QLatin1Char(' '));
    m_strArticle = m_parser.value(m_article);
    m_strSearch = m_parser.value(m_search);
    m_bNewWindow = m_parser.isSet(m_newWindow);
    m_bResetLayout = m_parser.isSet(m_resetLayout);
    m_strLanguage = m_parser.value(m_language);
    m_bInfoOnly = m_parser.isSet(QStringLiteral("help")) ||
                  m_parser.isSet(QStringLiteral("help-all")) ||
                  m_parser.isSet(QStringLiteral("version"));
}
