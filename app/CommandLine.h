#pragma once

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QString>
#include <QStringList>

// The program's command line: every option in one place, read once at start-up and again
// when a second start hands its arguments to the running window.
class CCommandLine {
public:
    CCommandLine();

    // Reads the arguments (the program's name first). Answers false with ErrorText() for
    // arguments that are not understood; --help and --version are left to the caller.
    bool Parse(const QStringList& arguments);
    // As Parse, but prints help, version or an error and ends the process as usual.
    void Process(const QStringList& arguments);

    QString ErrorText() const { return m_parser.errorText(); }
    QString HelpText() const { return m_parser.helpText(); }

    // What was asked for.
    QString m_strScreenshot;  // --screenshot FILE
    QString m_strDatabase;    // --db FILE: the collection, instead of looking for one
    bool m_bNoSplash = false; // --nosplash
    QString m_strLaw;         // --law or the first free argument: a lawid or a title
    QString m_strArticle; // --article N: the article of the law to open at (232 or 第二百三十二条)
    QString m_strSearch;         // --search WORDS: a title search over all categories
    bool m_bNewWindow = false;   // --new-window: no hand-over to a running window
    bool m_bResetLayout = false; // --reset-layout: forget the remembered reading state
    bool m_bInfoOnly = false;    // --help or --version
    QString m_strLanguage;       // --language zh|en: the interface language of this run

    // Something for a running window to do (a law or a search).
    bool HasRequest() const {
        return !m_strLaw.isEmpty() || !m_strArticle.isEmpty() || !m_strSearch.isEmpty();
    }
    // A run that writes a file and ends: never a single-instance hand-over.
    bool IsBatchRun() const { return !m_strScreenshot.isEmpty() || m_bInfoOnly; }

private:
    void Read();

    QCommandLineParser m_parser;
    QCommandLineOption m_screenshot;
    QCommandLineOption m_noSplash;
    QCommandLineOption m_law;
    QCommandLineOption m_article;
    QCommandLineOption m_search;
    QCommandLineOption m_newWindow;
    QCommandLineOption m_resetLayout;
    QCommandLineOption m_language;
    QCommandLineOption m_database;
};
