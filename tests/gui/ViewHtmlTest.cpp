#include "display/ViewHtml.h"
#include "display/HtmlText.h"

#include <gtest/gtest.h>

namespace {

const std::string kWide = "<span style=\"white-space:pre-wrap\">";

} // namespace

// What the view's text engine is given: the page as a browser would read it.
TEST(ViewHtml, StrayLessThanIsTextAndBlanksKeepTheirWidth) {
    const struct {
        const char* page;
        std::string expected;
    } cases[] = {
        // A '<' before a non-ASCII character, a digit or a blank starts no tag.
        {"《公安部关于修改<机动车登记规定>的决定》", "《公安部关于修改&lt;机动车登记规定>的决定》"},
        {"比较 x<5 与 a < b", "比较 x&lt;5 与 a &lt; b"},
        {"a<", "a&lt;"},
        {"a<=b", "a&lt;=b"},
        // Tags, end tags, comments, declarations and references stay as they are.
        {"<b>x</b><br><BR/>", "<b>x</b><br><BR/>"},
        {"<!-- <x -->y<!DOCTYPE html><?xml?>", "<!-- <x -->y<!DOCTYPE html><?xml?>"},
        {"a &amp; b &#12288;", "a &amp; b &#12288;"},
        {"<a title='1>2'>x</a>", "<a title='1>2'>x</a>"},
        // Full-width blanks, and the blanks around them, keep their width.
        {"5.1\xE3\x80\x80颅脑", "5.1" + kWide + "\xE3\x80\x80</span>颅脑"},
        {"a\xE3\x80\x80 \xE3\x80\x80"
         "b",
         "a" + kWide + "\xE3\x80\x80 \xE3\x80\x80</span>b"},
        // Plain blanks fold as in a browser.
        {"a  b", "a  b"},
        // The one-column table of the page template becomes blocks; other tables stay.
        {"<table width='90%'><tr> <td>A</td></tr><tr><td height='9'>B</td></tr></table>",
         "<div> <div>A</div><div>B</div></div>"},
        {"<table><tr><td>A</td><td>B</td></tr></table>",
         "<table><tr><td>A</td><td>B</td></tr></table>"},
        {"<table><tr><td><table><tr><td>1</td><td>2</td></tr></table></td></tr></table>",
         "<div><div><table><tr><td>1</td><td>2</td></tr></table></div></div>"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CViewHtml::Prepare(c.page), c.expected) << c.page;
}

TEST(HtmlText, MarkupEnds) {
    const struct {
        const char* html;
        size_t end; // from position 0
    } cases[] = {
        {"<b>x", 3},   {"</b>x", 4},     {"<5", 0},    {"< b", 0},     {"<机", 0},
        {"</>x", 3},   {"<!--a-->b", 8}, {"<!x>y", 4}, {"<?x>y", 4},   {"&amp;x", 5},
        {"&#20;x", 5}, {"&x20", 0},      {"&", 0},     {"<a href", 7}, {"</ x>y", 5},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CHtmlText::MarkupEnd(c.html, 0), c.end) << c.html;
}
