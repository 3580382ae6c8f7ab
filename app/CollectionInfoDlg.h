#pragma once

#include <QDialog>
#include <QList>
#include <QPair>
#include <QString>

struct sqlite3;

// 帮助 → 法规库信息: the collection's file and size, its laws per edition, the last update's
// time and server, and the state of the search index. Reads only counts and the schema, so
// it opens at once on the largest collection and changes nothing.
class CCollectionInfoDlg final : public QDialog {
    Q_OBJECT
public:
    CCollectionInfoDlg(sqlite3* db, const QString& file, QWidget* parent = nullptr);

    // The rows shown, name and value.
    using Rows = QList<QPair<QString, QString>>;
    static Rows Compose(sqlite3* db, const QString& file);
    const Rows& GetRows() const { return m_rows; }

    // Remembers a successful update run (its end and the server it asked), for the box.
    static void RecordUpdate(const QString& server);

private:
    Rows m_rows;
};
