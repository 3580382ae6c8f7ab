// The window's index builder: a collection whose index was damaged from outside is found
// out when it opens, the status bar says that searches go without the index and shows the
// rebuild's progress, and the index ends whole; a sound index is taken as it is, silently.
#include "SearchFixtureDb.h"

#include "data/CollectionFile.h"
#include "data/SearchIndex.h"
#include "ground/AppConstants.h"
#include "search/gui/SearchIndexBuilder.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QStatusBar>

#include <gtest/gtest.h>
#include <sqlite3.h>

namespace {

// Runs the builder on the collection at `path` to its end; the notes it showed, in order.
QStringList RunBuilder(const std::string& path, QStatusBar& bar) {
    SetCollectionFile(path);
    CSearchIndexBuilder builder(&bar);
    QStringList notes;
    bool finished = false;
    QObject::connect(&builder, &CSearchIndexBuilder::noteChanged,
                     [&](const QString& note) { notes << note; });
    QObject::connect(&builder, &CSearchIndexBuilder::finished, [&] { finished = true; });
    builder.Start();
    QElapsedTimer timer;
    timer.start();
    while (!finished && timer.elapsed() < 60000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_TRUE(finished);
    EXPECT_TRUE(builder.GetNote().isEmpty());
    return notes;
}

} // namespace

TEST(SearchIndexBuilder, DamagedIndexIsNotedRebuiltWithProgressAndSoundOneIsLeftAlone) {
    CSearchFixtureDb db;
    for (int i = 1; i <= 1200; ++i)
        db.AddLaw(i, "合同法" + std::to_string(i), "2001-01-01", {}, {}, "当事人订立合同");
    sqlite3* raw = db.Db().GetConnectionHandle();
    std::string error;
    long long done = 0, total = 0;
    // The laws written so far are taken into the index.
    ASSERT_EQ(CSearchIndex::BuildStep(raw, "dornlaws", 500, done, total, error), 0) << error;
    std::string damage;
    ASSERT_TRUE(CSearchIndex::CheckOnOpen(raw, "dornlaws", damage)) << damage;
    ASSERT_EQ(sqlite3_exec(raw, "DELETE FROM dornlaws_title_idx", nullptr, nullptr, nullptr),
              SQLITE_OK);
    db.Db().Close();

    QStatusBar bar;
    const QStringList notes = RunBuilder(db.Path(), bar);
    const QStringList expected = {
        QStringLiteral("全文索引已损坏，正在重建；搜索暂不使用索引"),
        QStringLiteral("正在建立全文索引：500 / 1200 部法规（其余法规逐篇查找）"),
        QStringLiteral("正在建立全文索引：1000 / 1200 部法规（其余法规逐篇查找）"),
        QString(),
        // The citations, dropped with the index, follow it.
        QStringLiteral("正在整理法规间的引用：500 / 1200 部法规"),
        QStringLiteral("正在整理法规间的引用：1000 / 1200 部法规"),
        QString(),
    };
    EXPECT_EQ(notes, expected);
    EXPECT_EQ(bar.currentMessage(), QStringLiteral("全文索引已建立"));

    ASSERT_TRUE(db.Db().Connect(db.ConnectionString().c_str(), 0));
    raw = db.Db().GetConnectionHandle();
    EXPECT_EQ(CSearchIndex::BuiltUpTo(raw, "dornlaws"), CSearchIndex::kComplete);
    EXPECT_TRUE(CSearchIndex::CheckOnOpen(raw, "dornlaws", damage)) << damage;
    std::string difference;
    EXPECT_TRUE(CSearchIndex::MatchesTable(raw, "dornlaws", difference)) << difference;

    // Laws written since by another program are taken in without a word.
    db.Exec("UPDATE dornlaws SET body='钢琴' WHERE lawid=7");
    db.Db().Close();
    QStatusBar quiet;
    EXPECT_EQ(RunBuilder(db.Path(), quiet), QStringList());
    ASSERT_TRUE(db.Db().Connect(db.ConnectionString().c_str(), 0));
    raw = db.Db().GetConnectionHandle();
    EXPECT_TRUE(CSearchIndex::MatchesTable(raw, "dornlaws", difference)) << difference;
    EXPECT_EQ(db.LawIds("SELECT lawid FROM dornlaws_changes"), std::vector<int>{});
    SetCollectionFile(kDatabaseFileName);
}
