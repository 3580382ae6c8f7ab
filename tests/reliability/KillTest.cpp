// tolvarin-update killed with SIGKILL at random moments of a full update, twenty times in a
// row, then one clean run: the database is sound after every kill and ends with exactly the
// rows of an uninterrupted run.
#include "tests/reliability/ReliabilitySupport.h"

#include <csignal>
#include <cstdio>
#include <gtest/gtest.h>
#include <random>
#include <thread>

using namespace std::chrono_literals;

TEST(KilledUpdate, TwentyKillsThenACleanRunEndLikeOneUninterruptedRun) {
    CScratchDir pub;
    const std::string publisherDb = pub.File("publisher.db");
    CreateCollection(publisherDb);
    FillLargePublisher(publisherDb);
    CPublisherThread publisher(publisherDb);
    CPublisherOptions options;
    options.m_strDatabase = publisherDb;
    CPublisher source(options);
    // A relay that hands out the replies in small pieces, so that a run takes long enough
    // to be killed in any of its stages.
    CScriptedServer slow;
    RelaySlowly(slow, source, 1ms);

    CScratchDir dir;
    const std::string db = dir.File("db1.mdb");
    const std::string err = dir.File("stderr.txt");
    // One uninterrupted run through the relay shows how long a whole run takes.
    Rows reference;
    std::chrono::milliseconds whole{};
    {
        CScratchDir clean;
        const auto start = std::chrono::steady_clock::now();
        ASSERT_EQ(WaitUpdate(StartUpdate(clean.Path(), slow.Url(), err), 120s), 0) << ReadFile(err);
        whole = std::chrono::duration_cast<std::chrono::milliseconds>(
            std::chrono::steady_clock::now() - start);
        reference = Snapshot(clean.File("db1.mdb"));
    }
    // Each run goes on from where the killed one left off, so twenty kills after a random
    // share of a tenth of a whole run each spread over all the stages of one full update.
    std::mt19937 random(20);
    std::uniform_int_distribution<long long> moment(0, whole.count() / 10);
    std::printf("a whole run takes %lld ms\n", static_cast<long long>(whole.count()));
    int killed = 0;
    for (int i = 0; i < 20; ++i) {
        const auto at = std::chrono::milliseconds(moment(random));
        SCOPED_TRACE("kill " + std::to_string(i) + " after " + std::to_string(at.count()) + " ms");
        const pid_t pid = StartUpdate(dir.Path(), slow.Url(), err);
        std::this_thread::sleep_for(at);
        kill(pid, SIGKILL);
        const int status = WaitUpdate(pid, 60s);
        killed += status == -SIGKILL;
        ASSERT_TRUE(status == -SIGKILL || status == 0) << status << ReadFile(err);
        ASSERT_EQ(IntegrityCheck(db), "ok");
        ExpectNothingHalfWritten(db, publisherDb);
        // The search index holds exactly the laws that survived the kill.
        ASSERT_EQ(IndexDifference(db), "");
    }
    // Most kills hit a run in progress (a run that had already ended is no harm either).
    EXPECT_GE(killed, 15);
    ASSERT_EQ(WaitUpdate(StartUpdate(dir.Path(), publisher.Url(), err), 120s), 0) << ReadFile(err);
    EXPECT_EQ(IntegrityCheck(db), "ok");
    EXPECT_EQ(IndexDifference(db), "");
    ExpectSameRows(Snapshot(db), reference);
}
