#include "app/PdfExport.h"

#include "app/TolvarinDoc.h"
#include "data/CollectionFile.h"
#include "data/CollectionLocator.h"
#include "display/LawPage.h"
#include "display/gui/ShowLawView.h"
#include "ground/EditionConfig.h"
#include "ground/FileTarget.h"

#include <QBuffer>
#include <QCommandLineParser>
#include <QPdfWriter>

#include <cstdio>
#include <cstring>
#include <string_view>

namespace {

// Dots per inch of the pages, as a high-resolution printer lays them out.
constexpr int kResolution = 1200;

} // namespace

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

    // A target that is no regular file (a device, a pipe, a folder) is refused before the
    // collection is read; a link is written through to its file.
    const std::string target = output.toStdString();
    {
        std::string resolved;
        std::string error;
        if (!CFileTarget::Resolve(target, resolved, error)) {
            std::fprintf(stderr, "tolvarin: %s\n", error.c_str());
            return 1;
        }
    }

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

    // Made in memory, where no write can fail unnoticed, then written beside the target and
    // renamed over it: a failed export (a full disk) leaves the target as it was.
    QByteArray pdf;
    {
        QBuffer buffer(&pdf);
        buffer.open(QIODevice::WriteOnly);
        QPdfWriter writer(&buffer);
        writer.setResolution(kResolution);
        CShowLawView::PrintBodyHtml(page, QString::fromStdString(fields.m_strTopic), &writer);
    }
    std::string error;
    if (pdf.isEmpty()) {
        std::fprintf(stderr, "tolvarin: cannot write %s: the page could not be laid out\n",
                     target.c_str());
        return 1;
    }
    if (!CFileTarget::Write(
            target, std::string_view(pdf.constData(), static_cast<size_t>(pdf.size())), error)) {
        std::fprintf(stderr, "tolvarin: cannot write %s: %s\n", target.c_str(), error.c_str());
        return 1;
    }
    return 0;
}
