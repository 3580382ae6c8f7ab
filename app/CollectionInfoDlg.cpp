#include "app/CollectionInfoDlg.h"

#include "data/SearchIndex.h"

#include <QDateTime>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QLabel>
#include <QLocale>
#include <QSettings>
#include <QVBoxLayout>

#include <sqlite3.h>

#include <string>

namespace {

const char* const kLastRunKey = "Update/LastRun";
const char* const kLastServerKey = "Update/LastServer";

// A count of one table; -1 when it cannot be read.
qint64 Count(sqlite3* db, const std::string& table) {
    if (!db)
        return -1;
    sqlite3_stmt* stmt = nullptr;
    qint64 count = -1;
    const std::string sql = "select count(*) from " + table;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr) == SQLITE_OK &&
        sqlite3_step(stmt) == SQLITE_ROW)
        count = sqlite3_column_int64(stmt, 0);
    sqlite3_finalize(stmt);
    return count;
}

QString IndexState(sqlite3* db, const std::string& lawTable) {
    if (!db)
        return CCollectionInfoDlg::tr("无法读取");
    const std::int64_t upto = CSearchIndex::BuiltUpTo(db, lawTable);
    if (upto == CSearchIndex::kComplete)
        return CCollectionInfoDlg::tr("已建立，可用");
    if (upto < 0 || CSearchIndex::IsOutdated(db, lawTable))
        return CCollectionInfoDlg::tr("没有或需要重建（程序在后台建立；建立前搜索照常，只是较慢）");
    return CCollectionInfoDlg::tr("正在建立：已建到编号 %1 的法规").arg(upto);
}

} // namespace

CCollectionInfoDlg::Rows CCollectionInfoDlg::Compose(sqlite3* db, const QString& file) {
    Rows rows;
    const QFileInfo info(file);
    rows.append({tr("文件"), info.absoluteFilePath()});
    const QLocale locale;
    rows.append({tr("大小"), info.exists() ? locale.formattedDataSize(info.size()) +
                                                 tr("（%1 字节）").arg(info.size())
                                           : tr("文件不存在")});
    const auto laws = [&](const char* table) {
        const qint64 n = Count(db, table);
        return n < 0 ? tr("无法读取") : tr("%1 部").arg(n);
    };
    rows.append({tr("中文法规"), laws("dornlaws")});
    rows.append({tr("英文法规"), laws("en_dornlaws")});
    const QSettings settings;
    const QDateTime last =
        QDateTime::fromString(settings.value(QLatin1String(kLastRunKey)).toString(), Qt::ISODate);
    rows.append({tr("上次更新"),
                 last.isValid() ? last.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm"))
                                : tr("本机还没有更新过")});
    const QString server = settings.value(QLatin1String(kLastServerKey)).toString();
    rows.append({tr("更新服务器"), server.isEmpty() ? tr("（无）") : server});
    rows.append({tr("中文全文索引"), IndexState(db, "dornlaws")});
    rows.append({tr("英文全文索引"), IndexState(db, "en_dornlaws")});
    return rows;
}

void CCollectionInfoDlg::RecordUpdate(const QString& server) {
    QSettings settings;
    settings.setValue(QLatin1String(kLastRunKey),
                      QDateTime::currentDateTimeUtc().toString(Qt::ISODate));
    settings.setValue(QLatin1String(kLastServerKey), server);
}

CCollectionInfoDlg::CCollectionInfoDlg(sqlite3* db, const QString& file, QWidget* parent)
    : QDialog(parent), m_rows(Compose(db, file)) {
    setObjectName(QStringLiteral("CollectionInfoDlg"));
    setWindowTitle(tr("法规库信息"));
    auto* form = new QFormLayout;
    for (const auto& row : m_rows) {
        auto* value = new QLabel(row.second, this);
        value->setTextInteractionFlags(Qt::TextSelectableByMouse);
        value->setWordWrap(true);
        form->addRow(row.first + tr("："), value);
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    setMinimumWidth(480);
}
