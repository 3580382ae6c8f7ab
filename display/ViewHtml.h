#pragma once
// Turns a page into the HTML that the view's text engine (Qt's rich text) shows as a browser
// would show the page:
//  - a '<' that starts no tag is text ("《修改<机动车登记规定>的决定》", "x<5"), so it is
//    written as "&lt;";
//  - full-width blanks are not white space to a browser; Qt's parser folds them into one
//    narrow space, so each run of blanks that holds one keeps its width in a span;
//  - a table of one column (the page template's frame of rows) becomes a stack of blocks: Qt
//    lays out and paginates a table cell as a whole, which freezes the window and the
//    printing for a long law, while blocks are laid out as they come into view.

#include <string>
#include <string_view>
#include <vector>

class CViewHtml {
public:
    static std::string Prepare(std::string_view page);

    // True when the outermost table of `page` has one cell in every row.
    static bool OuterTableIsOneColumn(std::string_view page);

    // The first place at or after `from` where markup begins (never inside a tag or a
    // character); npos when none.
    static size_t MarkupStartFrom(std::string_view html, size_t from);
    // Where each part of a long prepared page starts: every `partBytes` or so, where markup
    // begins (the lines of a law each end in markup), a short rest joined to the last part.
    // One part or none means the page is taken whole: the result is then empty.
    static std::vector<size_t> PartStarts(std::string_view html, size_t partBytes);
};
