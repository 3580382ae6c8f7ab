#include "reader/Favourites.h"

#include "ground/JsonBounds.h"

#include <nlohmann/json.hpp>

namespace {

constexpr const char* kFormat = "tolvarin-favourites";

void SetError(std::string* error, const std::string& text) {
    if (error)
        *error = text;
}

} // namespace

int CFavourites::Find(const CLawRef& law, const std::string& article) const {
    for (std::size_t i = 0; i < m_items.size(); ++i)
        if (m_items[i].m_law.SameLaw(law) && m_items[i].m_strArticle == article)
            return static_cast<int>(i);
    return -1;
}

bool CFavourites::Add(const CLawRef& law, const std::string& note, const std::string& article) {
    if ((law.m_nLawId == 0 && law.m_strOldId.empty()) || article.size() > kMaxArticleBytes)
        return false;
    if (const int index = Find(law, article); index >= 0) {
        CLawRef& kept = m_items[static_cast<std::size_t>(index)].m_law;
        if (!law.m_strTitle.empty()) {
            kept.m_strTitle = law.m_strTitle;
            kept.m_strDate = law.m_strDate;
            kept.m_strWenhao = law.m_strWenhao;
        }
        return false;
    }
    if (m_items.size() >= kMaxItems)
        return false;
    m_items.push_back(Item{law, note, article});
    return true;
}

bool CFavourites::Remove(const CLawRef& law, const std::string& article) {
    const int index = Find(law, article);
    return index >= 0 && RemoveAt(static_cast<std::size_t>(index));
}

bool CFavourites::RemoveAt(std::size_t index) {
    if (index >= m_items.size())
        return false;
    m_items.erase(m_items.begin() + static_cast<std::ptrdiff_t>(index));
    return true;
}

void CFavourites::SetNote(std::size_t index, const std::string& note) {
    if (index < m_items.size())
        m_items[index].m_strNote = note;
}

void CFavourites::SetLawId(std::size_t index, int lawid) {
    if (index < m_items.size() && lawid > 0)
        m_items[index].m_law.m_nLawId = lawid;
}

std::string CFavourites::ToJson() const {
    nlohmann::json items = nlohmann::json::array();
    for (const Item& item : m_items) {
        nlohmann::json entry = LawRefToJson(item.m_law);
        entry["note"] = item.m_strNote;
        // Written only for an article, so a list of whole laws reads as before.
        if (!item.m_strArticle.empty())
            entry["article"] = item.m_strArticle;
        items.push_back(std::move(entry));
    }
    const nlohmann::json list{{"format", kFormat}, {"version", 1}, {"items", std::move(items)}};
    // Text that is not UTF-8 is stored with replacement characters rather than lost.
    return list.dump(1, '\t', false, nlohmann::json::error_handler_t::replace);
}

bool CFavourites::FromJson(const std::string& text, std::string* error) {
    // Bounded before the parse, which would cost far more than the text itself.
    if (std::string why; !CJsonBounds::Check(text, kMaxTextBytes, kMaxDepth, &why)) {
        SetError(error, "不是收藏夹列表：" + why);
        return false;
    }
    const nlohmann::json list = nlohmann::json::parse(text, nullptr, false);
    if (list.is_discarded() || !list.is_object()) {
        SetError(error, "文件不是收藏夹列表（其中没有 JSON 对象）");
        return false;
    }
    const auto format = list.find("format");
    const auto items = list.find("items");
    if (format == list.end() || *format != kFormat || items == list.end() || !items->is_array()) {
        SetError(error, "文件不是收藏夹列表（缺少格式标记或条目）");
        return false;
    }
    if (items->size() > kMaxItems) {
        SetError(error, "列表中的条目太多");
        return false;
    }
    std::vector<Item> read;
    for (const nlohmann::json& entry : *items) {
        Item item;
        if (!LawRefFromJson(entry, item.m_law)) {
            SetError(error, "第 " + std::to_string(read.size() + 1) + " 条没有指明法规");
            return false;
        }
        const auto note = entry.find("note");
        if (note != entry.end() && note->is_string())
            item.m_strNote = note->get<std::string>();
        // Lists written before articles could be favourites have none.
        if (const auto article = entry.find("article");
            article != entry.end() && !article->is_null()) {
            if (!article->is_string() ||
                article->get_ref<const std::string&>().size() > kMaxArticleBytes) {
                SetError(error, "第 " + std::to_string(read.size() + 1) + " 条的条文不可读");
                return false;
            }
            item.m_strArticle = article->get<std::string>();
        }
        bool duplicate = false;
        for (const Item& other : read)
            duplicate = duplicate || (other.m_law.SameLaw(item.m_law) &&
                                      other.m_strArticle == item.m_strArticle);
        if (!duplicate)
            read.push_back(std::move(item));
    }
    m_items = std::move(read);
    return true;
}

int CFavourites::Merge(const CFavourites& other) {
    int added = 0;
    for (const Item& item : other.m_items)
        if (Find(item.m_law, item.m_strArticle) < 0 && m_items.size() < kMaxItems) {
            m_items.push_back(item);
            ++added;
        }
    return added;
}
