#include "app/PdfExport.h"

#include "app/TolvarinDoc.h"
#include "data/CollectionFile.h"
#include "data/CollectionLocator.h"
#include "display/LawPage.h"
#include "display/gui/ShowLawView.h"
#include "ground/EditionConfig.h"

#include <QCommandLineParser>
#include <QFile>
#include <QFileInfo>
#include <QPrinter>

#include <cstdio>
#include <cstring>

bool CPdfExport::Wanted(int argc, char** argv) {
    for (int i = 1; i < argc; ++i)
        if (std::strncmp(argv[i], "--export-pdf", 12) == 0 ||
            std::strncmp(argv[i], "-export-pdf", 11) == 0)
            return true;
    return false;
}

int CPdfExport::Run(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Writes a law of db1.mdb as a PDF file."));
    const QCommandLineOption file(QStringLiteral("export-pdf"),
                                  QStringLiteral("The PDF file to write."), QStringLiteral("FILE"));
    const QCommandLineOption law(QStringLiteral("law"), QStringLiteral("The law's id (lawid)."),
                                 QStringLiteral("LAWID"));
    const QCommandLineOption edition(QStringLiteral("edition"),
                                     QStringLiteral("zh (the default) or en."),
                                     QStringLiteral("EDITION"), QStringLiteral("zh"));
    const QCommandLineOption database(
        QStringLiteral("db"),
        QStringLiteral("The collection, found as the window finds it when not given."),
        QStringLiteral("FILE"));
    parser.addOptions({file, law, edition, database});
    parser.addHelpOption();
    if (!parser.parse(arguments)) {
        std::fprintf(stderr, "tolvarin: %s\n", qPrintable(parser.errorText()));
        return 2;
    }
    const QString output = parser.value(file);
    bool numeric = false;
    const int lawid = parser.value(law).toInt(&numeric);
    if (output.isEmpty() || !numeric || lawid <= 0) {
        std::fprintf(stderr, "tolvarin: usage: tolvarin --export-pdf FILE --law LAWID "
                             "[--edition zh|en] [--db FILE] (LAWID a positive number)\n");
        return 2;
    }
    const QString editionName = parser.value(edition);
    if (editionName != QLatin1String("zh") && editionName != QLatin1String("en")) {
        std::fprintf(stderr, "tolvarin: --edition is zh or en, not %s\n", qPrintable(editionName));
        return 2;
    }
    theEditionConfig.SetEdition(editionName == QLatin1String("en") ? 1 : 0);

    // The collection is looked for as the window looks for it.
    const CCollectionLocator::Result collection =
        CCollectionLocator::Find(parser.value(database).toStdString());
    if (collection.m_strFile.empty()) {
        std::string looked;
        for (const std::string& path : collection.m_arrLooked)
            looked += "\n  " + path;
        if (!collection.m_strRejected.empty())
            std::fprintf(stderr, "tolvarin: %s: %s\n", collection.m_strRejected.c_str(),
                         collection.m_strReason.c_str());
        std::fprintf(stderr, "tolvarin: no collection found; looked at:%s\n", looked.c_str());
        return 1;
    }
    SetCollectionFile(collection.m_strFile);
    CTolvarinDoc doc;
    if (!doc.ConnectDatabase()) {
        std::fprintf(stderr, "tolvarin: cannot open %s\n", collection.m_strFile.c_str());
        return 1;
    }
    CLawFields fields;
    if (!CLawPage::Load(doc.m_db, theEditionConfig.GetLawTable(), lawid, fields)) {
        std::fprintf(stderr, "tolvarin: %s has no law %d in its %s edition\n",
                     collection.m_strFile.c_str(), lawid,
                     editionName == QLatin1String("en") ? "English" : "Chinese");
        return 1;
    }
    const std::string page = CLawPage::Render(fields, theEditionConfig.GetPageTemplate(), {}, {});

    // Written beside the target and renamed, so a failed export leaves no half file.
    const QString partial = output + QStringLiteral(".part");
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(partial);
    CShowLawView::PrintBodyHtml(page, QString::fromStdString(fields.m_strTopic), &printer);
    if (QFileInfo(partial).size() <= 0) {
        QFile::remove(partial);
        std::fprintf(stderr, "tolvarin: cannot write %s\n", qPrintable(output));
        return 1;
    }
    QFile::remove(output);
    if (!QFile::rename(partial, output)) {
        QFile::remove(partial);
        std::fprintf(stderr, "tolvarin: cannot write %s\n", qPrintable(output));
        return 1;
    }
    return 0;
}
