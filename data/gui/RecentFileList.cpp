#include "data/gui/RecentFileList.h"

#include <QFileInfo>
#include <QSettings>

namespace {

const char* const kSection = "Recent File List";

QString Key(int i) {
    return QString::fromLatin1(kSection) + QStringLiteral("/File%1").arg(i + 1);
}

} // namespace

CRecentFileList::CRecentFileList() {
    const QSettings settings;
    for (int i = 0; i < kSize; ++i) {
        const QString file = settings.value(Key(i)).toString();
        if (!file.isEmpty() && !m_arrFiles.contains(file))
            m_arrFiles.push_back(file);
    }
}

void CRecentFileList::Add(const QString& path) {
    const QString file = QFileInfo(path).absoluteFilePath();
    m_arrFiles.removeAll(file);
    m_arrFiles.push_front(file);
    while (m_arrFiles.size() > kSize)
        m_arrFiles.pop_back();
    Save();
}

void CRecentFileList::Remove(const QString& path) {
    if (m_arrFiles.removeAll(path) > 0)
        Save();
}

void CRecentFileList::Save() const {
    QSettings settings;
    for (int i = 0; i < kSize; ++i) {
        if (i < m_arrFiles.size())
            settings.setValue(Key(i), m_arrFiles[i]);
        else
            settings.remove(Key(i));
    }
}
