#include "data/gui/MessageText.h"

#include <QCoreApplication>
#include <QRegularExpression>
#include <QStringList>

#include <vector>

namespace {

const char* const kContext = "CMessageText";

// The texts that the core composes with parts of its own; the catalogue gives their English.
// Keep each line as the core writes it, with %1, %2, ... in the place of each inserted part.
const char* const kPatterns[] = {
    // The update's transport failures: what failed, then what to check.
    QT_TRANSLATE_NOOP("CMessageText", "找不到更新服务器 %1：服务器名称无法解析"),
    QT_TRANSLATE_NOOP("CMessageText", "找不到代理服务器，无法连接到更新服务器 %1"),
    QT_TRANSLATE_NOOP("CMessageText", "无法连接到更新服务器 %1：连接被拒绝"),
    QT_TRANSLATE_NOOP("CMessageText", "无法连接到更新服务器 %1：连接超时"),
    QT_TRANSLATE_NOOP("CMessageText", "无法连接到更新服务器 %1：网络不可达"),
    QT_TRANSLATE_NOOP("CMessageText", "无法连接到更新服务器 %1：无法建立连接"),
    QT_TRANSLATE_NOOP("CMessageText", "连接更新服务器 %1 超时"),
    QT_TRANSLATE_NOOP("CMessageText", "更新服务器的地址无效：%1"),
    QT_TRANSLATE_NOOP("CMessageText", "无法与更新服务器 %1 建立安全连接"),
    QT_TRANSLATE_NOOP("CMessageText", "更新服务器 %1 重定向次数过多"),
    QT_TRANSLATE_NOOP("CMessageText", "与更新服务器 %1 的连接中断"),
    QT_TRANSLATE_NOOP("CMessageText", "无法从更新服务器 %1 下载"),
    QT_TRANSLATE_NOOP("CMessageText",
                      "请检查服务器名称是否写对、本机能否上网、域名解析（DNS）是否可用。更新服务器"
                      "的地址在配置文件 tolvarin.conf 的 [Update] 组 Server 项中设置（或环境变量 "
                      "TOLVARIN_UPDATE_SERVER）。（网络库错误代码 %1）"),
    QT_TRANSLATE_NOOP("CMessageText", "请检查代理设置（环境变量 http_proxy、https_proxy）中的代理"
                                      "服务器名称。（网络库错误代码 %1）"),
    QT_TRANSLATE_NOOP("CMessageText",
                      "请检查更新服务器是否在运行，地址和端口是否正确。更新服务器的地址在配置文件 "
                      "tolvarin.conf 的 [Update] 组 Server 项中设置（或环境变量 "
                      "TOLVARIN_UPDATE_SERVER）。（网络库错误代码 %1）"),
    QT_TRANSLATE_NOOP("CMessageText", "请检查网络是否连通，防火墙或代理是否允许连接该服务器。"
                                      "（网络库错误代码 %1）"),
    QT_TRANSLATE_NOOP("CMessageText",
                      "请检查本机的网络连接，以及服务器地址是否正确。更新服务器的地址在配置文件 "
                      "tolvarin.conf 的 [Update] 组 Server 项中设置（或环境变量 "
                      "TOLVARIN_UPDATE_SERVER）。（网络库错误代码 %1）"),
    QT_TRANSLATE_NOOP("CMessageText",
                      "请检查更新服务器是否在运行、网络是否连通，以及地址和端口是否正确。更新服务器"
                      "的地址在配置文件 tolvarin.conf 的 [Update] 组 Server 项中设置（或环境变量 "
                      "TOLVARIN_UPDATE_SERVER）。（网络库错误代码 %1）"),
    QT_TRANSLATE_NOOP("CMessageText",
                      "请检查网络是否连通；服务器可能正忙，请稍后再试。（网络库错误代码 %1）"),
    QT_TRANSLATE_NOOP("CMessageText",
                      "地址应形如 http://服务器名称:端口。更新服务器的地址在配置文件 tolvarin.conf "
                      "的 [Update] 组 Server 项中设置（或环境变量 TOLVARIN_UPDATE_SERVER）。"
                      "（网络库错误代码 %1）"),
    QT_TRANSLATE_NOOP("CMessageText", "请检查本机的日期和时间是否正确，以及服务器的证书是否有效。"
                                      "（网络库错误代码 %1）"),
    QT_TRANSLATE_NOOP("CMessageText",
                      "请检查服务器地址是否正确，或告知服务器的管理员。（网络库错误代码 %1）"),
    QT_TRANSLATE_NOOP("CMessageText", "请检查网络是否稳定，稍后再试。（网络库错误代码 %1）"),
    QT_TRANSLATE_NOOP("CMessageText",
                      "请检查网络连接和服务器地址。更新服务器的地址在配置文件 tolvarin.conf 的 "
                      "[Update] 组 Server 项中设置（或环境变量 TOLVARIN_UPDATE_SERVER）。"
                      "（网络库错误代码 %1）"),
    // The update's other failures and notes.
    QT_TRANSLATE_NOOP("CMessageText", "服务器的答复中有不属于 %1 字符集的字节，本次更新未完成；"
                                      "下次更新会重新下载其余记录。"),
    QT_TRANSLATE_NOOP("CMessageText", "数据库正被其他程序写入，正在等待（最多 %1 秒）..."),
    QT_TRANSLATE_NOOP("CMessageText", "数据库被其他程序占用，等待 %1 秒后仍无法写入，本次更新"
                                      "未完成。请关闭正在写入 %2 的程序后再更新。"),
    QT_TRANSLATE_NOOP("CMessageText", "%1 中没有法规库（缺少 %2）。无法更新。"),
    QT_TRANSLATE_NOOP("CMessageText", "服务器的答复中，%1 的编号、日期或时间含有不属于 %2 字符集"
                                      "的字节，无法保存；本次更新未完成。"),
    QT_TRANSLATE_NOOP("CMessageText", "英文版法规 %1「%2」"),
    QT_TRANSLATE_NOOP("CMessageText", "英文版分类 %1「%2」"),
    QT_TRANSLATE_NOOP("CMessageText", "法规 %1「%2」"),
    QT_TRANSLATE_NOOP("CMessageText", "分类 %1「%2」"),
    QT_TRANSLATE_NOOP("CMessageText", "英文版分类链接 %1"),
    QT_TRANSLATE_NOOP("CMessageText", "分类链接 %1"),
    QT_TRANSLATE_NOOP("CMessageText", "英文版法规 %1"),
    QT_TRANSLATE_NOOP("CMessageText", "英文版分类 %1"),
    QT_TRANSLATE_NOOP("CMessageText", "法规 %1"),
    QT_TRANSLATE_NOOP("CMessageText", "分类 %1"),
    // The data layer's failures.
    QT_TRANSLATE_NOOP("CMessageText", "无法打开法规库 %1。"),
    QT_TRANSLATE_NOOP("CMessageText", "无法读取法规库 %1。"),
    QT_TRANSLATE_NOOP("CMessageText", "读取法规（编号 %1）时出错，无法显示。"),
    QT_TRANSLATE_NOOP("CMessageText", "详细信息：%1"),
    QT_TRANSLATE_NOOP("CMessageText", "（法规库 %1）"),
    // Collections: opening, making, and why a file is none.
    QT_TRANSLATE_NOOP("CMessageText", "无法打开法规库 %1：%2"),
    QT_TRANSLATE_NOOP("CMessageText", "无法建立法规库：%1 已经存在，但不是法规库（%2）。请先移走"
                                      "或改名这个文件。"),
    QT_TRANSLATE_NOOP("CMessageText", "建立法规库失败：%1"),
    QT_TRANSLATE_NOOP("CMessageText", "无法更新：%1 不是法规库（%2）。请打开另一个法规库，或移走"
                                      "这个文件后再更新。"),
    QT_TRANSLATE_NOOP("CMessageText", "无法建立法规库 %1：%2"),
    QT_TRANSLATE_NOOP("CMessageText", "无法建立文件夹 %1：%2"),
    QT_TRANSLATE_NOOP("CMessageText", "无法写入 %1：%2"),
    QT_TRANSLATE_NOOP("CMessageText", "这不是普通文件（%1），不能作为法规库打开"),
    QT_TRANSLATE_NOOP("CMessageText", "无法读取这个文件：%1"),
    QT_TRANSLATE_NOOP("CMessageText", "无法打开这个数据库：%1"),
    QT_TRANSLATE_NOOP("CMessageText", "无法读取这个数据库：%1"),
    QT_TRANSLATE_NOOP("CMessageText", "这个数据库里没有法规库的表和列（缺少 %1）"),
    QT_TRANSLATE_NOOP("CMessageText", "%1 中没有法规库（缺少 %2）。"),
    QT_TRANSLATE_NOOP("CMessageText", "“%1”是 Microsoft Access (Jet/ACE) 数据库文件，本程序只能"
                                      "打开 SQLite 格式的法规数据库。请先用 tolvarin-admin 建立或"
                                      "转换数据库。"),
    QT_TRANSLATE_NOOP("CMessageText", "“%1”位于只读位置，而它的一部分更改还在“%2-wal”中，在这里"
                                      "无法完整读取。请把这两个文件复制到可写的位置再打开。"),
    // Lists and searches.
    QT_TRANSLATE_NOOP("CMessageText", "读取法规列表时出错，列表只列出了已读到的 %1 条法规，其余的"
                                      "没有列出。"),
    QT_TRANSLATE_NOOP("CMessageText", "读取目录时出错，目录“%1”只显示了已读到的类别。"),
    QT_TRANSLATE_NOOP("CMessageText", "搜索法规正文时，有 %1 组法规（每组最多 %2 条）读不出来，"
                                      "结果中可能缺少其中的法规。"),
    QT_TRANSLATE_NOOP("CMessageText", "没有搜索：搜索词太多。一次最多可以搜索 %1 个不同的词，这次"
                                      "有 %2 个。请减少搜索词后重试。"),
    QT_TRANSLATE_NOOP("CMessageText", "没有搜索：搜索词太长。一个词最多可以有 %1 个字节（约 %2 个"
                                      "汉字），这次有一个词长 %3 个字节。请缩短搜索词后重试。"),
    QT_TRANSLATE_NOOP("CMessageText", "日期 %1 不存在，请输入一个有效的日期。"),
    // Favourites files.
    QT_TRANSLATE_NOOP("CMessageText", "不是收藏夹列表：%1"),
    QT_TRANSLATE_NOOP("CMessageText", "文件太大（%1 字节，最多 %2 字节）"),
    QT_TRANSLATE_NOOP("CMessageText", "列表嵌套超过 %1 层"),
    QT_TRANSLATE_NOOP("CMessageText", "第 %1 条没有指明法规"),
};

// The lines that the core writes as they stand.
[[maybe_unused]] const char* const kFixedLines[] = {
    QT_TRANSLATE_NOOP("CMessageText", "下载失败！"),
    QT_TRANSLATE_NOOP("CMessageText", "格式错误!"),
    QT_TRANSLATE_NOOP("CMessageText", "无法启动网络连接（HTTP 客户端初始化失败）"),
    QT_TRANSLATE_NOOP("CMessageText", "数据库写入失败，本次更新未完成；已写入的记录保留，下次更新"
                                      "会补齐其余记录。"),
    QT_TRANSLATE_NOOP("CMessageText", "写入法规库时出错，这一项更改没有保存。"),
    QT_TRANSLATE_NOOP("CMessageText", "数据库文件 db1.mdb 可能已经损坏。请换用一份完好的法规库，"
                                      "或用 tolvarin-admin 重新建立法规库。"),
    QT_TRANSLATE_NOOP("CMessageText", "法规库正被另一个程序使用。请稍后重试。"),
    QT_TRANSLATE_NOOP("CMessageText", "读写法规库文件时出错，文件所在的磁盘或网络文件夹可能出了"
                                      "问题。请检查后重试。"),
    QT_TRANSLATE_NOOP("CMessageText", "内存不足。请关闭一些程序后重试。"),
    QT_TRANSLATE_NOOP("CMessageText", "磁盘已满。请腾出空间后重试。"),
    QT_TRANSLATE_NOOP("CMessageText", "无法访问法规库文件。请确认文件还在、本程序有权读写它，"
                                      "然后重试。"),
    QT_TRANSLATE_NOOP("CMessageText", "操作被中断。请重试。"),
    QT_TRANSLATE_NOOP("CMessageText", "法规库的结构刚被改动。请重试。"),
    QT_TRANSLATE_NOOP("CMessageText", "请重试；如果问题依旧，请重新打开法规库。"),
    QT_TRANSLATE_NOOP("CMessageText", "详细信息：（没有）"),
    // Captions.
    QT_TRANSLATE_NOOP("CMessageText", "读取失败"),
    QT_TRANSLATE_NOOP("CMessageText", "查询失败"),
    QT_TRANSLATE_NOOP("CMessageText", "打开法规库"),
    QT_TRANSLATE_NOOP("CMessageText", "建立法规库"),
    QT_TRANSLATE_NOOP("CMessageText", "智能更新"),
    // Fixed lines of collections, lists and favourites.
    QT_TRANSLATE_NOOP("CMessageText", "没有找到随附的法规文件 laws-zh.jsonl.xz。"),
    QT_TRANSLATE_NOOP("CMessageText", "无法建立法规库：没有用户数据文件夹（HOME 未设置）。"),
    QT_TRANSLATE_NOOP("CMessageText", "文件不存在"),
    QT_TRANSLATE_NOOP("CMessageText", "这是一个文件夹，不是法规库文件"),
    QT_TRANSLATE_NOOP("CMessageText", "是一个文件夹"),
    QT_TRANSLATE_NOOP("CMessageText", "是一个命名管道"),
    QT_TRANSLATE_NOOP("CMessageText", "是一个套接字"),
    QT_TRANSLATE_NOOP("CMessageText", "是一个设备"),
    QT_TRANSLATE_NOOP("CMessageText", "不是普通文件"),
    QT_TRANSLATE_NOOP("CMessageText", "无法读取这个文件（没有读取权限）"),
    QT_TRANSLATE_NOOP("CMessageText", "这是 Microsoft Access 数据库文件，本程序只能打开 SQLite 格式"
                                      "的法规库"),
    QT_TRANSLATE_NOOP("CMessageText", "这不是数据库文件"),
    QT_TRANSLATE_NOOP("CMessageText", "无法列出法规：数据库无法执行这次查询，列表中没有结果。"),
    QT_TRANSLATE_NOOP("CMessageText", "文件不是收藏夹列表（其中没有 JSON 对象）"),
    QT_TRANSLATE_NOOP("CMessageText", "文件不是收藏夹列表（缺少格式标记或条目）"),
    QT_TRANSLATE_NOOP("CMessageText", "列表中的条目太多"),
};

struct Pattern {
    QRegularExpression m_match;
    const char* m_pSource;
};

const std::vector<Pattern>& Patterns() {
    static const std::vector<Pattern> patterns = [] {
        std::vector<Pattern> list;
        static const QRegularExpression placeholder(QStringLiteral("%(\\d)"));
        for (const char* source : kPatterns) {
            const QString text = QString::fromUtf8(source);
            QString expression;
            qsizetype from = 0;
            for (auto it = placeholder.globalMatch(text); it.hasNext();) {
                const auto match = it.next();
                expression +=
                    QRegularExpression::escape(text.mid(from, match.capturedStart() - from));
                expression += QStringLiteral("(.*?)");
                from = match.capturedEnd();
            }
            expression += QRegularExpression::escape(text.mid(from));
            list.push_back({QRegularExpression(QRegularExpression::anchoredPattern(expression),
                                               QRegularExpression::DotMatchesEverythingOption),
                            source});
        }
        return list;
    }();
    return patterns;
}

// A line in the interface's words; an inserted part that is itself one of the catalogue's
// texts (a reason within a message) is translated as well.
QString TranslateLine(const QString& line) {
    if (line.isEmpty())
        return line;
    const QByteArray utf8 = line.toUtf8();
    const QString fixed = QCoreApplication::translate(kContext, utf8.constData());
    if (fixed != line)
        return fixed;
    for (const Pattern& pattern : Patterns()) {
        const auto match = pattern.m_match.match(line);
        if (!match.hasMatch())
            continue;
        QString translated = QCoreApplication::translate(kContext, pattern.m_pSource);
        for (int i = 1; i <= match.lastCapturedIndex(); ++i)
            translated.replace(QStringLiteral("%") + QString::number(i),
                               TranslateLine(match.captured(i)));
        return translated;
    }
    return line;
}

} // namespace

QString CMessageText::Translate(const QString& text) {
    // The data layer's boxes of old, whose texts are fixed.
    const QByteArray utf8 = text.toUtf8();
    const QString whole = QCoreApplication::translate("CMessageService", utf8.constData());
    if (whole != text)
        return whole;
    QStringList lines = text.split(QLatin1Char('\n'));
    for (QString& line : lines)
        line = TranslateLine(line);
    return lines.join(QLatin1Char('\n'));
}

QString CMessageText::Translate(const std::string& text) {
    return Translate(QString::fromStdString(text));
}
