#include "tools/admin/DemoCollection.h"

#include "tools/admin/CollectionWriter.h"

#include <vector>

namespace {

struct Subject {
    std::vector<std::string> path;
    std::string subject; // what the sample laws regulate
    std::string department;
};

const char* const kZhKinds[] = {"管理办法", "实施细则", "若干规定"};
const char* const kEnKinds[] = {"Administrative Measures", "Implementing Rules", "Provisions"};
const char* const kZhNumerals[] = {"一", "二", "三", "四", "五", "六"};

std::string ZhBody(const std::string& subject, int variant) {
    std::string body = "第一章　总　　则\n\n";
    body += "第一条　为了规范" + subject + "活动，保护当事人的合法权益，制定本办法。（示例文本）\n";
    body += "第二条　在本示例辖区内从事" + subject + "活动，适用本办法。\n";
    body += "第三条　" + subject + "活动应当遵循合法、公开、公平和诚实信用的原则。\n\n";
    body += "第二章　管　　理\n\n";
    for (int i = 0; i < 2 + variant; ++i) {
        body += "第" + std::string(kZhNumerals[3 + (i % 3)]) + "条　主管部门应当对" + subject +
                "活动进行监督检查，发现违反本办法规定的，责令改正。\n";
    }
    body += "\n第三章　附　　则\n\n";
    body += "第九条　本办法自发布之日起施行。本文为演示用示例，不具有法律效力。";
    return body;
}

std::string EnBody(const std::string& subject, int variant) {
    std::string body = "Chapter I General Provisions\n\n";
    body += "Article 1 These Measures are formulated to regulate " + subject +
            " and to protect the lawful rights and interests of the parties. (Sample text)\n";
    body += "Article 2 These Measures apply to " + subject + " within the sample jurisdiction.\n\n";
    body += "Chapter II Administration\n\n";
    for (int i = 0; i < 2 + variant; ++i)
        body += "Article " + std::to_string(3 + i) + " The competent authority shall supervise " +
                subject + " and order any party in breach of these Measures to make corrections.\n";
    body += "\nChapter III Supplementary Provisions\n\n";
    body += "Article 9 These Measures take effect on the date of promulgation. This is a sample "
            "text for demonstration and has no legal force.";
    return body;
}

bool WriteEdition(CCollectionWriter& writer, const std::string& prefix,
                  const std::vector<Subject>& subjects, bool chinese, std::string& error) {
    if (!writer.BeginEdition(prefix, error))
        return false;
    // Every category of every path first, so the tree has its order before any law.
    for (const Subject& s : subjects)
        if (writer.Category(s.path, error) < 0)
            return false;
    int n = 0;
    for (const Subject& s : subjects) {
        const int category = writer.Category(s.path, error);
        for (int k = 0; k < 3; ++k, ++n) {
            CCollectionWriter::Law law;
            if (chinese) {
                law.topic = "示例" + s.subject + kZhKinds[k];
                law.wenhao = k == 1 ? "" : "示例〔" + std::to_string(2000 + n % 24) + "〕" +
                                               std::to_string(n + 1) + "号";
            } else {
                law.topic = std::string(kEnKinds[k]) + " on " + s.subject + " (Sample)";
                law.wenhao = k == 1 ? "" : "Sample Order No. " + std::to_string(n + 1);
            }
            law.bumen = s.department;
            law.datum = std::to_string(2001 + (n * 7) % 23) + "-" + std::to_string(1 + n % 12) +
                        "-" + std::to_string(1 + (n * 5) % 28);
            law.body = chinese ? ZhBody(s.subject, k) : EnBody(s.subject, k);
            std::vector<int> links{category};
            // Some laws are also filed under a second category.
            if (n % 5 == 0 && category != writer.Category({s.path.front()}, error))
                links.push_back(writer.Category({subjects[(n / 3 + 1) % subjects.size()].path.front()},
                                                error));
            if (!writer.AddLaw(law, links, error))
                return false;
        }
    }
    if (chinese) {
        CCollectionWriter::Law quote{"关于“引号”与'单引号'处理的示例说明", "", "示例编辑部",
                                     "2024-05-12", "本示例说明标题中含有单引号时的存储与查询。\n"
                                                   "　　全角空格与换行在法规页面中保留。"};
        if (!writer.AddLaw(quote, {writer.Category(subjects.front().path, error)}, error))
            return false;
    } else {
        CCollectionWriter::Law quote{"Notice on O'Brien & Partners Licensing (Sample)", "",
                                     "Sample Editorial Office", "2024-05-12",
                                     "A sample notice whose title holds a single quote.\n"
                                     "Text lines keep their breaks on the law page."};
        if (!writer.AddLaw(quote, {writer.Category(subjects.front().path, error)}, error))
            return false;
    }
    return writer.EndEdition(error);
}

} // namespace

bool CDemoCollection::Write(CCollectionWriter& writer, std::string& error) {
    const std::vector<Subject> zh = {
        {{"宪法相关法（示例）", "国家机构（示例）"}, "机构编制", "示例省人民政府"},
        {{"民商法（示例）", "合同（示例）", "买卖合同（示例）"}, "商品买卖", "示例市商务局"},
        {{"民商法（示例）", "公司（示例）"}, "公司登记", "示例市市场监督管理局"},
        {{"行政法（示例）", "治安管理（示例）"}, "娱乐场所治安", "示例市公安局"},
        {{"行政法（示例）", "环境保护（示例）"}, "排污许可", "示例市生态环境局"},
        {{"经济法（示例）", "税收（示例）", "增值税（示例）", "出口退税（示例）"}, "出口退税",
         "示例市税务局"},
        {{"经济法（示例）", "税收（示例）"}, "税收征收", "示例市税务局"},
        {{"社会法（示例）", "劳动（示例）"}, "劳动合同", "示例市人力资源和社会保障局"},
        {{"社会法（示例）", "社会保险（示例）"}, "社会保险", "示例市人力资源和社会保障局"},
        {{"诉讼与非诉讼程序法（示例）"}, "人民调解", "示例市司法局"},
    };
    const std::vector<Subject> en = {
        {{"Constitutional Law (Sample)", "State Organs (Sample)"}, "staffing of public bodies",
         "Sample Provincial Government"},
        {{"Civil and Commercial Law (Sample)", "Contracts (Sample)", "Sales (Sample)"},
         "sales of goods", "Sample Commerce Bureau"},
        {{"Civil and Commercial Law (Sample)", "Companies (Sample)"}, "company registration",
         "Sample Market Regulation Bureau"},
        {{"Administrative Law (Sample)", "Public Security (Sample)"}, "entertainment venues",
         "Sample Public Security Bureau"},
        {{"Administrative Law (Sample)", "Environment (Sample)"}, "discharge permits",
         "Sample Ecology Bureau"},
        {{"Economic Law (Sample)", "Taxation (Sample)", "Value Added Tax (Sample)",
          "Export Rebates (Sample)"},
         "export tax rebates", "Sample Tax Bureau"},
        {{"Economic Law (Sample)", "Taxation (Sample)"}, "tax collection", "Sample Tax Bureau"},
        {{"Social Law (Sample)", "Labour (Sample)"}, "labour contracts", "Sample Labour Bureau"},
        {{"Social Law (Sample)", "Social Insurance (Sample)"}, "social insurance",
         "Sample Labour Bureau"},
        {{"Procedural Law (Sample)"}, "people's mediation", "Sample Justice Bureau"},
    };
    return WriteEdition(writer, "", zh, true, error) && WriteEdition(writer, "en_", en, false, error);
}
