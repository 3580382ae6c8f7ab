// The progress line of the command-line tools: its text, how often it is drawn, and that it
// leaves nothing behind.
#include "ground/ProgressMeter.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

// A meter writing into a list, on a clock the test moves.
struct Fixture {
    double now = 100.0;
    std::vector<std::string> out;
    CProgressMeter meter{[this](std::string_view text) { out.emplace_back(text); },
                         [this] { return now; }};
};

TEST(ProgressMeterTest, LineShowsDoneTotalRateAndTimeLeft) {
    struct Case {
        const char* label;
        const char* unit;
        long long done, total;
        double fraction, seconds;
        const char* line;
    };
    const Case cases[] = {
        // Total known: the share, the rate and the rest at that rate.
        {"generate", "laws", 1000, 4000, -1, 2,
         "generate: 1000 / 4000 laws (25%), 500 laws/s, 0:06 left"},
        // Total not known, the share of the file read is: the time left from that share.
        {"import", "laws", 400, -1, 0.2, 10, "import: 400 laws (20%), 40 laws/s, 0:40 left"},
        // Neither: done and rate only.
        {"copy dornlaws", "rows", 5120, -1, -1, 2, "copy dornlaws: 5120 rows, 2560 rows/s"},
        // Nothing done yet: no rate to tell, no time left.
        {"generate", "laws", 0, 4000, -1, 1, "generate: 0 / 4000 laws (0%)"},
        // Slow work: a rate below 10 keeps a decimal; hours once the rest is that long.
        {"generate", "laws", 3, 100000, -1, 1,
         "generate: 3 / 100000 laws (0%), 3.0 laws/s, 9:15:32 left"},
        // Done: no time left; an empty total shows no share.
        {"copy", "rows", 50, 50, -1, 5, "copy: 50 / 50 rows (100%), 10 rows/s"},
        {"copy en_dornlaws", "rows", 0, 0, -1, 1, "copy en_dornlaws: 0 / 0 rows"},
        // A stage without counts says only that it is under way.
        {"import: filling the search index", "", 0, -1, -1, 3,
         "import: filling the search index..."},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CProgressMeter::Line(c.label, c.unit, c.done, c.total, c.fraction, c.seconds),
                  c.line);
}

TEST(ProgressMeterTest, DrawsInPlaceAtMostFourTimesASecondAndErasesAtTheEnd) {
    Fixture f;
    f.meter.Begin("generate", "laws", 1000);
    // A command done within the first interval shows nothing at all.
    for (int i = 1; i <= 20; ++i) {
        f.now += 0.01;
        f.meter.Update(i);
    }
    EXPECT_TRUE(f.out.empty());
    // Three seconds of updates every 10 ms: about one line per quarter second.
    for (int i = 21; i <= 320; ++i) {
        f.now += 0.01;
        f.meter.Update(i);
    }
    EXPECT_GE(f.out.size(), 10u);
    EXPECT_LE(f.out.size(), 13u);
    for (const std::string& line : f.out) {
        EXPECT_EQ(line.front(), '\r') << line;
        EXPECT_EQ(line.substr(line.size() - 3), "\x1b[K") << line;
        EXPECT_EQ(line.find('\n'), std::string::npos) << line;
    }
    EXPECT_NE(f.out.back().find("/ 1000 laws"), std::string::npos) << f.out.back();
    f.out.clear();
    f.meter.Finish();
    ASSERT_EQ(f.out.size(), 1u);
    EXPECT_EQ(f.out[0], "\r\x1b[K");
    // Erased once; nothing more to erase.
    f.meter.Finish();
    EXPECT_EQ(f.out.size(), 1u);
}

TEST(ProgressMeterTest, ANewStageShowsAtOnceWithItsOwnCountAndRate) {
    Fixture f;
    f.meter.Begin("copy dorntree", "rows", 100);
    f.now += 0.3;
    f.meter.Update(100);
    ASSERT_EQ(f.out.size(), 1u);
    // The next stage comes within the same quarter second and is drawn all the same, so a
    // long stage without updates of its own is never hidden behind the last one's line.
    f.now += 0.05;
    f.meter.Begin("import: filling the search index", "");
    ASSERT_EQ(f.out.size(), 2u);
    EXPECT_EQ(f.out[1], "\rimport: filling the search index...\x1b[K");
    f.meter.Begin("copy dornlaws", "rows", 1000);
    f.now += 1;
    f.meter.Update(250);
    EXPECT_EQ(f.out.back(), "\rcopy dornlaws: 250 / 1000 rows (25%), 250 rows/s, 0:03 left\x1b[K");
}

TEST(ProgressMeterTest, AStageWithoutCountsShowsEvenRightAtTheStart) {
    // A quick import, then a long index fill: the fill is said at once, as nothing else
    // would draw it; the import's counts, over within the first interval, never show.
    Fixture f;
    f.meter.Begin("import", "laws");
    f.now += 0.1;
    f.meter.Update(1557, 1.0);
    f.meter.Begin("import: filling the search index", "");
    ASSERT_EQ(f.out.size(), 1u);
    EXPECT_EQ(f.out[0], "\rimport: filling the search index...\x1b[K");
}

TEST(ProgressMeterTest, SilentWithoutAnOutput) {
    double now = 0;
    {
        CProgressMeter meter(nullptr, [&] { return now; });
        meter.Begin("generate", "laws", 10);
        for (int i = 0; i < 10; ++i) {
            now += 1;
            meter.Update(i);
        }
        meter.Finish();
    }
    // Shown on a terminal only, and never when asked to be quiet.
    EXPECT_TRUE(CProgressMeter::ShouldShow(true, false));
    EXPECT_FALSE(CProgressMeter::ShouldShow(true, true));
    EXPECT_FALSE(CProgressMeter::ShouldShow(false, false));
    EXPECT_FALSE(CProgressMeter::ShouldShow(false, true));
}

TEST(ProgressMeterTest, TheDestructorErasesAShownLine) {
    std::vector<std::string> out;
    double now = 0;
    {
        CProgressMeter meter([&](std::string_view text) { out.emplace_back(text); },
                             [&] { return now; });
        meter.Begin("import", "laws");
        now += 1;
        meter.Update(5, 0.5);
    }
    ASSERT_EQ(out.size(), 2u);
    EXPECT_EQ(out[0], "\rimport: 5 laws (50%), 5.0 laws/s, 0:01 left\x1b[K");
    EXPECT_EQ(out[1], "\r\x1b[K");
}

} // namespace
