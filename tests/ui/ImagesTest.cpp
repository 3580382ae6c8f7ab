// The images other parts of the program load by resource path: each is there, has the size
// its place needs, and comes with a sharp double-size variant for HiDPI screens.
#include <QImage>
#include <QString>
#include <gtest/gtest.h>

namespace {

struct ImageCase {
    const char* path;
    int width;
    int height;
    bool transparent; // drawn over a background of its own place
};

const ImageCase kImages[] = {
    {":/images/toolbar/title-search.png", 42, 35, true},
    {":/images/toolbar/advanced-search.png", 42, 35, true},
    {":/images/toolbar/edition-zh.png", 42, 35, true},
    {":/images/toolbar/edition-en.png", 42, 35, true},
    {":/images/toolbar/update.png", 42, 35, true},
    {":/images/toolbar/stop.png", 42, 35, true},
    {":/images/toolbar/help.png", 42, 35, true},
    {":/images/tree/root.png", 16, 16, true},
    {":/images/tree/category.png", 16, 16, true},
    {":/images/tree/category-selected.png", 16, 16, true},
    {":/images/list/row.png", 14, 14, true},
    {":/images/list/header.png", 16, 16, true},
    {":/images/cursor/link.png", 32, 32, true},
    {":/images/splash.png", 480, 320, false},
    {":/images/small/new.png", 16, 16, true},
    {":/images/small/open.png", 16, 16, true},
    {":/images/small/save.png", 16, 16, true},
    {":/images/small/cut.png", 16, 16, true},
    {":/images/small/copy.png", 16, 16, true},
    {":/images/small/paste.png", 16, 16, true},
    {":/images/small/print.png", 16, 16, true},
    {":/images/small/large-icons.png", 16, 16, true},
    {":/images/small/small-icons.png", 16, 16, true},
    {":/images/small/list.png", 16, 16, true},
    {":/images/small/details.png", 16, 16, true},
    {":/images/small/about.png", 16, 16, true},
    {":/images/app/tolvarin-16.png", 16, 16, true},
    {":/images/app/tolvarin-32.png", 32, 32, true},
};

QString HiDpiPath(const QString& path) {
    QString p = path;
    return p.insert(p.size() - 4, "@2x");
}

TEST(Images, EveryResourceHasItsSizeAndAHiDpiVariant) {
    for (const ImageCase& c : kImages) {
        SCOPED_TRACE(c.path);
        const QImage normal(c.path);
        ASSERT_FALSE(normal.isNull());
        EXPECT_EQ(normal.size(), QSize(c.width, c.height));
        EXPECT_EQ(normal.hasAlphaChannel(), c.transparent);
        // A transparent image that is all transparent would be a blank button.
        if (c.transparent) {
            int opaque = 0;
            for (int y = 0; y < normal.height(); ++y)
                for (int x = 0; x < normal.width(); ++x)
                    opaque += qAlpha(normal.pixel(x, y)) == 255;
            EXPECT_GT(opaque, normal.width() * normal.height() / 16);
        }
        const QImage doubled(HiDpiPath(c.path));
        ASSERT_FALSE(doubled.isNull());
        EXPECT_EQ(doubled.size(), QSize(2 * c.width, 2 * c.height));
    }
    // The big application icon is drawn for the largest size it is shown at.
    EXPECT_EQ(QImage(":/images/app/tolvarin.png").size(), QSize(256, 256));
}

} // namespace
