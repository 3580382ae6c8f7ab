#include "TestDatabase.h"

#include "app/CommandLine.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

struct Case {
    QStringList args;
    QString law;
    QString search;
    bool newWindow;
    bool resetLayout;
    bool batch;
};

} // namespace

TEST(CommandLineTest, ReadsLawSearchAndModes) {
    const Case cases[] = {
        {{}, {}, {}, false, false, false},
        {{"42"}, "42", {}, false, false, false},
        {{"中华人民共和国", "民法典"}, "中华人民共和国 民法典", {}, false, false, false},
        {{"--law", "7", "ignored"}, "7", {}, false, false, false},
        {{"--search", "合同 法"}, {}, "合同 法", false, false, false},
        {{"--new-window", "--reset-layout", "--law=合同法"}, "合同法", {}, true, true, false},
        {{"--screenshot", "out.png", "--nosplash"}, {}, {}, false, false, true},
    };
    for (const Case& c : cases) {
        CCommandLine line;
        ASSERT_TRUE(line.Parse(QStringList{"tolvarin"} + c.args)) << c.args.join(' ').toStdString();
        EXPECT_EQ(line.m_strLaw, c.law) << c.args.join(' ').toStdString();
        EXPECT_EQ(line.m_strSearch, c.search);
        EXPECT_EQ(line.m_bNewWindow, c.newWindow);
        EXPECT_EQ(line.m_bResetLayout, c.resetLayout);
        EXPECT_EQ(line.IsBatchRun(), c.batch);
        EXPECT_EQ(line.HasRequest(), !c.law.isEmpty() || !c.search.isEmpty());
    }
}

TEST(CommandLineTest, RefusesUnknownOptionsAndMissingValues) {
    for (const QStringList& args :
         {QStringList{"--no-such-option"}, QStringList{"--law"}, QStringList{"--search"}}) {
        CCommandLine line;
        EXPECT_FALSE(line.Parse(QStringList{"tolvarin"} + args)) << args.join(' ').toStdString();
        EXPECT_FALSE(line.ErrorText().isEmpty());
    }
}

// `tolvarin --export-pdf` writes the law found in the collection that --db names (or that the
// window would find), and otherwise says why with a non-zero exit and no file left behind.
TEST(CommandLineTest, ExportPdfWritesTheLawOrSaysWhyNot) {
    CTestDatabase db;
    const int id = db.AddLaw(0, "导出测试法", "2001-02-03 00:00:00", "", "", "第一条　全文导出。");
    const QString collection = QString::fromStdString(db.Dir() + "/db1.mdb");
    QTemporaryDir out;
    const QString pdf = out.filePath(QStringLiteral("law.pdf"));
    const struct {
        const char* name;
        QStringList args;
        int exitCode;
        const char* error; // part of standard error; "" for none expected
    } cases[] = {
        {"a law of the collection", {"--law", QString::number(id), "--db", collection}, 0, ""},
        {"an unknown law",
         {"--law", QString::number(id + 99), "--db", collection},
         1,
         "has no law"},
        {"the English edition",
         {"--law", QString::number(id), "--edition", "en", "--db", collection},
         1,
         "English edition"},
        {"no collection",
         {"--law", QString::number(id), "--db", out.filePath("none.mdb")},
         1,
         "no collection found"},
        {"no law named", {"--db", collection}, 2, "usage"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(pdf);
        QProcess run;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        run.setProcessEnvironment(env);
        run.start(QStringLiteral(TOLVARIN_EXE), QStringList{"--export-pdf", pdf} + c.args);
        ASSERT_TRUE(run.waitForFinished(120000));
        const QString error = QString::fromUtf8(run.readAllStandardError());
        EXPECT_EQ(run.exitCode(), c.exitCode) << error.toStdString();
        if (*c.error) {
            EXPECT_TRUE(error.contains(QString::fromUtf8(c.error))) << error.toStdString();
        }
        QFile file(pdf);
        EXPECT_EQ(file.exists(), c.exitCode == 0);
        EXPECT_FALSE(QFile::exists(pdf + QStringLiteral(".part")));
        if (c.exitCode == 0 && file.open(QIODevice::ReadOnly)) {
            EXPECT_TRUE(file.read(4) == "%PDF");
        }
    }
}

// --export-pdf refuses a target that is no regular file and leaves it as it was, writes the
// file a link leads to (the link stays), and --db refuses a named pipe at once.
TEST(CommandLineTest, ExportPdfRefusesTargetsThatAreNoRegularFileAndWritesThroughLinks) {
    CTestDatabase db;
    const int id = db.AddLaw(0, "导出测试法", "2001-02-03 00:00:00", "", "", "第一条　全文导出。");
    const QString collection = QString::fromStdString(db.Dir() + "/db1.mdb");
    QTemporaryDir out;
    const QString fifo = out.filePath(QStringLiteral("pipe.pdf"));
    ASSERT_EQ(::mkfifo(fifo.toLocal8Bit().constData(), 0600), 0);
    ASSERT_TRUE(QDir(out.path()).mkdir(QStringLiteral("folder")));
    ASSERT_TRUE(QFile::link(QStringLiteral("real.pdf"), out.filePath(QStringLiteral("link.pdf"))));
    ASSERT_TRUE(
        QFile::link(QStringLiteral("/dev/full"), out.filePath(QStringLiteral("device.pdf"))));
    const struct {
        const char* name;
        QString target;
        QString db;
        int exitCode;
        const char* error;
    } cases[] = {
        {"a named pipe", fifo, collection, 1, "named pipe"},
        {"a folder", out.filePath(QStringLiteral("folder")), collection, 1, "folder"},
        // A link, so that a program that replaces the target replaces only the link.
        {"a device", out.filePath(QStringLiteral("device.pdf")), collection, 1, "character device"},
        {"a link", out.filePath(QStringLiteral("link.pdf")), collection, 0, ""},
        {"a pipe as the collection", out.filePath(QStringLiteral("new.pdf")), fifo, 1, "命名管道"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QProcess run;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        run.setProcessEnvironment(env);
        run.start(QStringLiteral(TOLVARIN_EXE), QStringList{"--export-pdf", c.target, "--law",
                                                            QString::number(id), "--db", c.db});
        if (!run.waitForFinished(60000)) {
            run.kill();
            run.waitForFinished();
            ADD_FAILURE() << "still running after a minute";
            continue;
        }
        const QString error = QString::fromUtf8(run.readAllStandardError());
        EXPECT_EQ(run.exitCode(), c.exitCode) << error.toStdString();
        EXPECT_TRUE(error.contains(QString::fromUtf8(c.error))) << error.toStdString();
    }
    const QFileInfo pipe(fifo);
    EXPECT_FALSE(pipe.isFile());
    EXPECT_TRUE(QFileInfo(out.filePath(QStringLiteral("device.pdf"))).isSymLink());
    EXPECT_TRUE(QFileInfo(out.filePath(QStringLiteral("folder"))).isDir());
    EXPECT_TRUE(QFileInfo(out.filePath(QStringLiteral("link.pdf"))).isSymLink());
    QFile real(out.filePath(QStringLiteral("real.pdf")));
    ASSERT_TRUE(real.open(QIODevice::ReadOnly));
    EXPECT_TRUE(real.read(4) == "%PDF");
    EXPECT_EQ(QDir(out.path())
                  .entryList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot),
              (QStringList{"device.pdf", "folder", "link.pdf", "pipe.pdf", "real.pdf"}));
}
