#pragma once
// Where markup starts and ends in an HTML text, read the way a browser's tokenizer reads it:
// a '<' opens a tag only when a letter follows it (or '/' and a letter, '!' or '?'); any other
// '<' is text. Character references count as markup so that nothing is inserted inside one.

#include <cstddef>
#include <string_view>

class CHtmlText {
public:
    // The offset just past the markup (tag, end tag, comment, declaration, processing
    // instruction or character reference) that starts at `pos`; `pos` itself when the byte
    // there is text. A tag left open at the end of the text runs to the end, as a browser
    // drops it.
    static size_t MarkupEnd(std::string_view html, size_t pos);

    // True when `pos` starts a tag (not a comment or reference) named `name` (ASCII letters,
    // lower case), e.g. "td" for "<td ...>" and "/td" for "</td>".
    static bool IsTag(std::string_view html, size_t pos, size_t end, std::string_view name);

    // Calls `onText(begin, end)` for every run of text and `onMarkup(begin, end)` for every
    // piece of markup, in order.
    template <class Text, class Markup>
    static void Scan(std::string_view html, Text&& onText, Markup&& onMarkup) {
        size_t runStart = 0;
        size_t pos = 0;
        while (pos < html.size()) {
            const char c = html[pos];
            if (c != '<' && c != '&') {
                ++pos;
                continue;
            }
            const size_t end = MarkupEnd(html, pos);
            if (end == pos) {
                ++pos;
                continue;
            }
            if (pos > runStart)
                onText(runStart, pos);
            onMarkup(pos, end);
            pos = runStart = end;
        }
        if (html.size() > runStart)
            onText(runStart, html.size());
    }
};
