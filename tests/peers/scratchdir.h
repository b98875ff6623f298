#pragma once

// A test's working directory and settings stores, both temporary: the test
// runs in a fresh directory and never reads or writes the real settings. An
// empty media repository "media" inside it is the repository path, so that a
// window opened by the test finds one.

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
