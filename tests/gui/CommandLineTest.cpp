#include "TestDatabase.h"

#include "app/CommandLine.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

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
