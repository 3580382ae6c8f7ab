#include "tools/admin/CollectionGenerator.h"
#include "tools/admin/CorpusStream.h"

#include "tools/admin/CollectionWriter.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <nlohmann/json.hpp>
#include <random>
#include <vector>

namespace {

const char* const kWords[] = {
    "国家", "保护", "公民", "合法权益", "行政机关", "依法", "管理", "监督", "检查", "经营者",
    "消费者", "合同", "当事人", "违反", "本法", "规定", "责令改正", "罚款", "没收", "违法所得",
    "人民法院", "人民检察院", "审理", "证据", "劳动者", "用人单位", "工资", "社会保险", "环境",
    "污染", "排放", "标准", "许可", "登记", "申请", "审批", "期限", "税收", "纳税人", "征收",
    "土地", "使用权", "建设", "工程", "质量", "安全", "生产", "事故", "调查", "处理", "信息",
    "公开", "个人", "数据", "网络", "运营者", "食品", "药品", "医疗", "机构", "教育", "学校",
};
const char* const kDepartments[] = {"全国人民代表大会常务委员会", "国务院", "最高人民法院",
                                    "最高人民检察院", "财政部", "公安部", "商务部",
                                    "国家税务总局", "生态环境部", "人力资源和社会保障部"};
const char* const kTitleEnds[] = {"法", "条例", "规定", "办法", "实施细则", "若干规定", "解释",
                                  "通知", "决定"};
const char* const kNumerals[] = {"一", "二", "三", "四", "五", "六", "七", "八", "九", "十"};

std::vector<std::string> LoadParagraphs(const std::string& path, std::string& error) {
    std::vector<std::string> paragraphs;
    CCorpusStream in(path);
    if (!in.IsOpen()) {
        error = "cannot read " + path;
        return paragraphs;
    }
    std::string line;
    while (std::getline(in, line)) {
        const auto law = nlohmann::json::parse(line, nullptr, false);
        if (law.is_discarded() || !law.contains("body") || !law["body"].is_string())
            continue;
        const std::string body = law["body"].get<std::string>();
        size_t start = 0;
        while (start < body.size()) {
            size_t end = body.find('\n', start);
            if (end == std::string::npos)
                end = body.size();
            if (end - start > 30)
                paragraphs.push_back(body.substr(start, end - start));
            start = end + 1;
        }
    }
    if (paragraphs.empty())
        error = "no paragraphs in " + path;
    return paragraphs;
}

class Text {
public:
    explicit Text(unsigned seed) : m_rng(seed) {}
    int Uniform(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(m_rng); }
    std::string Word() {
        return kWords[Uniform(0, static_cast<int>(std::size(kWords)) - 1)];
    }
    std::string Sentence() {
        std::string s;
        const int words = Uniform(6, 18);
        for (int i = 0; i < words; ++i) {
            s += Word();
            if (i % 5 == 4 && i + 1 < words)
                s += "，";
        }
        return s + "。";
    }
    std::mt19937& Rng() { return m_rng; }

private:
    std::mt19937 m_rng;
};

} // namespace

bool CCollectionGenerator::Generate(const Options& options, CCollectionWriter& writer,
                                    std::string& error) {
    std::vector<std::string> paragraphs;
    if (!options.corpus.empty()) {
        paragraphs = LoadParagraphs(options.corpus, error);
        if (paragraphs.empty())
            return false;
    }
    Text text(options.seed);

    // The tree: each new category goes under a random existing one of level 0 to 4, with a
    // bias towards the upper levels so that every level is populated.
    std::vector<std::vector<std::string>> paths{{}};
    std::vector<int> ids{0};
    for (int i = 0; i < options.categories; ++i) {
        size_t parent = 0;
        for (int tries = 0; tries < 8; ++tries) {
            parent = static_cast<size_t>(text.Uniform(0, static_cast<int>(paths.size()) - 1));
            if (paths[parent].size() < 5)
                break;
        }
        if (paths[parent].size() >= 5)
            parent = 0;
        std::vector<std::string> path = paths[parent];
        path.push_back(text.Word() + text.Word() + "类" + std::to_string(i + 1));
        const int id = writer.Category(path, error);
        if (id < 0)
            return false;
        if (id == ids[parent])
            continue; // no free slot there
        paths.push_back(std::move(path));
        ids.push_back(id);
    }

    std::lognormal_distribution<double> bodyLength(std::log(options.averageBodyChars) - 0.5, 1.0);
    for (long long n = 0; n < options.laws; ++n) {
        CCollectionWriter::Law law;
        law.topic = "中华人民共和国";
        const int titleWords = text.Uniform(2, 8);
        for (int i = 0; i < titleWords; ++i)
            law.topic += text.Word();
        law.topic += kTitleEnds[text.Uniform(0, static_cast<int>(std::size(kTitleEnds)) - 1)];
        law.bumen = kDepartments[text.Uniform(0, static_cast<int>(std::size(kDepartments)) - 1)];
        const int year = text.Uniform(1980, 2024);
        if (text.Uniform(0, 2) == 0)
            law.wenhao = "第" + std::to_string(text.Uniform(1, 800)) + "号";
        char date[16];
        std::snprintf(date, sizeof date, "%04d-%02d-%02d", year, text.Uniform(1, 12),
                      text.Uniform(1, 28));
        law.datum = date;

        // Characters of the body are about a third of its UTF-8 bytes.
        const size_t targetBytes =
            static_cast<size_t>(std::max(200.0, bodyLength(text.Rng()))) * 3;
        law.body.reserve(targetBytes + 512);
        int article = 1;
        while (law.body.size() < targetBytes) {
            if (!law.body.empty())
                law.body += '\n';
            if (!paragraphs.empty()) {
                law.body += paragraphs[static_cast<size_t>(
                    text.Uniform(0, static_cast<int>(paragraphs.size()) - 1))];
            } else {
                law.body += "第";
                law.body += article <= 10 ? kNumerals[article - 1] : std::to_string(article);
                law.body += "条　";
                const int sentences = text.Uniform(1, 4);
                for (int i = 0; i < sentences; ++i)
                    law.body += text.Sentence();
                ++article;
            }
        }

        std::vector<int> links;
        const int linkCount = ids.size() > 1 ? text.Uniform(1, 3) : 0;
        for (int i = 0; i < linkCount; ++i) {
            const int id = ids[static_cast<size_t>(text.Uniform(1, static_cast<int>(ids.size()) - 1))];
            if (std::find(links.begin(), links.end(), id) == links.end())
                links.push_back(id);
        }
        if (!writer.AddLaw(law, links, error))
            return false;
    }
    return true;
}
