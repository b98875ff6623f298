#pragma once

// A temporary working directory and settings stores for a test, with an empty
// media repository "media" inside it as the repository path.

#include "core/repositorypath.h"

#include <QDir>
#include <QSettings>
#include <QTemporaryDir>

class ScratchDirectory
{
public:
    ScratchDirectory()
    {
        QDir::setCurrent(m_dir.path());
        for (const auto format : {QSettings::NativeFormat, QSettings::IniFormat}) {
            QSettings::setPath(format, QSettings::SystemScope, m_dir.filePath("settings/system"));
            QSettings::setPath(format, QSettings::UserScope, m_dir.filePath("settings/user"));
        }
        QDir(m_dir.path()).mkdir("media");
        setRepositoryPath(m_dir.filePath("media"));
    }
    ~ScratchDirectory() { QDir::setCurrent(m_previous); }

    bool isValid() const { return m_dir.isValid() && QDir::current().canonicalPath() == QDir(m_dir.path()).canonicalPath(); }
    QString filePath(const QString& name) const { return m_dir.filePath(name); }

private:
    QString m_previous = QDir::currentPath();
    QTemporaryDir m_dir;
};
