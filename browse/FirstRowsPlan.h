#pragma once

#include <cstddef>
#include <string>
#include <vector>

// The first rows of a large listing at once. A category listing and the dialogs' searches join
// the links with the laws and sort the whole join by date before the engine hands out a row:
// seconds for a category of 100,000 laws. The same rows come in two statements instead:
//
// - FirstRows walks the laws newest first through the law list's index and takes each law that
//   has a link the listing's condition accepts: the first rows come after a few hundred index
//   entries however large the listing is, with no sort. Only laws with a date are taken.
// - Rest is the listing's own statement with the law id breaking ties of the date; its rows
//   after those already shown follow them.
//
// Both order by date and then law id, newest first, so the first n rows of FirstRows are
// exactly the first n rows of Rest, whatever n; Rest holds the listing's rows. Laws without a
// date and links to no law (rows without a date) sort last in both, so they come from Rest.
// The two must read one snapshot of the database (one read transaction).
class CFirstRowsPlan {
public:
    // Recognises a listing statement of the program's own form, "select distinct" the list's
    // columns "from (<links> v left join <laws> <alias> on v.lawid=<alias>.lawid)", an
    // optional "where" condition and "order by datum DESC"; false for any other statement.
    static bool Split(const std::string& statement, CFirstRowsPlan& plan);

    // At most `limit` laws, newest first. The statement names the law list's index, so it
    // cannot be prepared (and the plan is not to be used) where the collection lacks it.
    std::string FirstRows(std::size_t limit) const;
    // The listing's statement with the tie-break added.
    std::string Rest() const;

    // The words of the listing's title conditions ("<alias>.topic like '%word%'"), when its
    // condition is nothing but conditions joined by "and"; else none.
    const std::vector<std::string>& GetTitleWords() const { return m_titleWords; }
    const std::string& GetLawTable() const { return m_strLaws; }
    // The listing's statement bound to `lawids`, which must hold every law whose title matches
    // the title words (the candidates of the title index): the same rows, without the join of
    // every link with its law.
    std::string Narrowed(const std::vector<int>& lawids) const;

private:
    std::string m_strStatement; // the listing's statement without its order
    std::string m_strLinks;
    std::string m_strLaws;
    std::string m_strAlias;
    std::string m_strCondition; // empty without a where clause
    std::vector<std::string> m_titleWords;
};
