#pragma once

#include <QString>
#include <QStringList>

// The most recently opened collection files, newest first, kept in the settings profile
// (section "Recent File List", File1 to File4).
class CRecentFileList {
public:
    static constexpr int kSize = 4;

    CRecentFileList();

    const QStringList& Files() const { return m_arrFiles; }
    // Puts `path` (made absolute) first, drops its older place and anything beyond kSize.
    void Add(const QString& path);
    void Remove(const QString& path);

private:
    void Save() const;

    QStringList m_arrFiles;
};
