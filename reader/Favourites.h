#pragma once

#include "reader/LawRef.h"

#include <cstddef>
#include <string>
#include <vector>

// The reader's favourite laws and articles with a note each, in the order they were added. The list
// is kept as JSON text in the user's settings (never in the collection, which the publisher's
// update owns) and can be exported to and imported from a file of the same form.
class CFavourites {
public:
    struct Item {
        CLawRef m_law;
        std::string m_strNote;
        // An article of the law ("第二百三十二条"); "" for the law as a whole.
        std::string m_strArticle;
    };
    // The longest article heading an entry takes.
    static constexpr std::size_t kMaxArticleBytes = 120;
    // The most entries a list takes, the largest text read as one (room for every entry
    // with a long note) and the deepest nesting of its JSON (the list is three levels deep).
    static constexpr std::size_t kMaxItems = 10000;
    static constexpr std::size_t kMaxTextBytes = 4u << 20;
    static constexpr int kMaxDepth = 8;

    const std::vector<Item>& Items() const { return m_items; }
    bool IsEmpty() const { return m_items.empty(); }
    // The index of the entry for this law (or this article of it), or -1.
    int Find(const CLawRef& law, const std::string& article = {}) const;
    // False when the law (or the article) is already there (its entry then takes the newer
    // title) or the list is full.
    bool Add(const CLawRef& law, const std::string& note = {}, const std::string& article = {});
    bool Remove(const CLawRef& law, const std::string& article = {});
    bool RemoveAt(std::size_t index);
    void SetNote(std::size_t index, const std::string& note);
    // The lawid an entry resolves to after a re-import (found by its server id).
    void SetLawId(std::size_t index, int lawid);
    void Clear() { m_items.clear(); }

    std::string ToJson() const;
    // Replaces the list with the one in `text`; on anything that is not a favourites list the
    // list stays as it was, false is answered and `error` says why.
    bool FromJson(const std::string& text, std::string* error = nullptr);
    // Adds the entries of `other` that this list does not hold; answers how many were added.
    int Merge(const CFavourites& other);

private:
    std::vector<Item> m_items;
};
