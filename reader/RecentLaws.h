#pragma once

#include "reader/LawRef.h"

#include <cstddef>
#include <string>
#include <vector>

// The laws shown last, newest first, each law once.
class CRecentLaws {
public:
    static constexpr std::size_t kMaxItems = 20;

    const std::vector<CLawRef>& Items() const { return m_items; }
    // Puts the law first (moving it there when it is already in the list).
    void Add(const CLawRef& law);
    void Clear() { m_items.clear(); }

    std::string ToJson() const;
    // Replaces the list; entries that name no law are skipped. False when `text` is no list.
    bool FromJson(const std::string& text);

private:
    std::vector<CLawRef> m_items;
};
