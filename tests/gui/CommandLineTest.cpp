#include "app/CommandLine.h"

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
