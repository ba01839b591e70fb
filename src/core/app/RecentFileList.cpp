#include "RecentFileList.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

namespace {
const char* const kSection = "Recent File List";

bool SamePath(const QString& a, const QString& b) {
#ifdef Q_OS_WIN
    return QDir::cleanPath(a).compare(QDir::cleanPath(b), Qt::CaseInsensitive) == 0;
#else
    return QDir::cleanPath(a) == QDir::cleanPath(b);
#endif
}
} // namespace

void CRecentFileList::Add(const QString& path) {
    const QString absolute = QFileInfo(path).absoluteFilePath();
    Remove(absolute);
    m_files.prepend(absolute);
    while (m_files.size() > kSize)
        m_files.removeLast();
}

void CRecentFileList::Remove(const QString& path) {
    for (int i = m_files.size() - 1; i >= 0; --i) {
        if (SamePath(m_files[i], path))
            m_files.removeAt(i);
    }
}

void CRecentFileList::Load(QSettings& settings) {
    m_files.clear();
    settings.beginGroup(kSection);
    for (int i = 1; i <= kSize; ++i) {
        const QString file = settings.value(QStringLiteral("File%1").arg(i)).toString();
        if (!file.isEmpty())
            m_files.append(file);
    }
    settings.endGroup();
}

void CRecentFileList::Save(QSettings& settings) const {
    settings.beginGroup(kSection);
    settings.remove(QString());
    for (int i = 0; i < m_files.size(); ++i)
        settings.setValue(QStringLiteral("File%1").arg(i + 1), m_files[i]);
    settings.endGroup();
}
