#pragma once

#include <QStringList>

class QSettings;

// The most-recently-used project files, newest first, kept in the settings section
// "Recent File List" as "File1" to "File4".
class CRecentFileList {
public:
    static constexpr int kSize = 4;

    void Add(const QString& path);
    void Remove(const QString& path);
    const QStringList& Files() const { return m_files; }

    void Load(QSettings& settings);
    void Save(QSettings& settings) const;

private:
    QStringList m_files;
};
