#include "search/SearchLimits.h"

#include <algorithm>
#include <unordered_set>

std::vector<std::string> CSearchLimits::Distinct(const std::vector<std::string>& words) {
    std::vector<std::string> distinct;
    std::unordered_set<std::string> seen;
    for (const std::string& word : words)
        if (seen.insert(word).second)
            distinct.push_back(word);
    return distinct;
}

std::string CSearchLimits::Refusal(const std::vector<std::string>& words) {
    if (words.size() > static_cast<std::size_t>(kMaxWords))
        return "没有搜索：搜索词太多。一次最多可以搜索 " + std::to_string(kMaxWords) +
               " 个不同的词，这次有 " + std::to_string(words.size()) + " 个。请减少搜索词后重试。";
    const auto longest = std::max_element(
        words.begin(), words.end(),
        [](const std::string& a, const std::string& b) { return a.size() < b.size(); });
    if (longest != words.end() && longest->size() > kMaxWordBytes)
        return "没有搜索：搜索词太长。一个词最多可以有 " + std::to_string(kMaxWordBytes) +
               " 个字节（约 " + std::to_string(kMaxWordBytes / 3) + " 个汉字），这次有一个词长 " +
               std::to_string(longest->size()) + " 个字节。请缩短搜索词后重试。";
    return {};
}
