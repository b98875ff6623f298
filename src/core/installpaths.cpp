#include "core/installpaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTranslator>

// Set by the build from the install layout, relative to the folder of the
// installed executable: "../share/kvo-controller" and "../libexec/kvo-controller".
// KVO_APP_ID comes from the build too.
#if !defined(KVO_DATA_FROM_BINDIR) || !defined(KVO_HELPERS_FROM_BINDIR) || !defined(KVO_APP_ID)
#error "the build defines KVO_DATA_FROM_BINDIR, KVO_HELPERS_FROM_BINDIR and KVO_APP_ID"
#endif

namespace installpaths {

namespace {

QString underExecutable(const QString& executableDirectory, const char* relative)
{
    return QDir::cleanPath(executableDirectory + QLatin1Char('/') + QLatin1String(relative));
}

} // namespace

QString applicationId()
{
    return QStringLiteral(KVO_APP_ID);
}

QStringList dataDirectories(const QString& executableDirectory)
{
    QStringList directories{QDir::currentPath(), underExecutable(executableDirectory, KVO_DATA_FROM_BINDIR),
                            QDir::cleanPath(executableDirectory)};
    // Started in the build tree, the working directory is often the executable's.
    directories.removeDuplicates();
    return directories;
}

QStringList dataDirectories()
{
    return dataDirectories(QCoreApplication::applicationDirPath());
}

QString findFile(const QString& name, const QStringList& directories)
{
    for (const QString& directory : directories) {
        const QString path = QDir(directory).filePath(name);
        if (QFileInfo(path).isFile())
            return path;
    }
    qWarning("%s not found in %s", qPrintable(name), qPrintable(directories.join(QLatin1String(", "))));
    return {};
}

QString dataFile(const QString& name)
{
    return findFile(name, dataDirectories());
}

QString helperProgram(const QString& name, const QString& executableDirectory)
{
    const QString installed = QDir(underExecutable(executableDirectory, KVO_HELPERS_FROM_BINDIR)).filePath(name);
    const QString beside = QDir(executableDirectory).filePath(name);
    return !QFileInfo(installed).isExecutable() && QFileInfo(beside).isExecutable() ? beside : installed;
}

QString helperProgram(const QString& name)
{
    return helperProgram(name, QCoreApplication::applicationDirPath());
}

QString loadCatalogue(QTranslator& translator, const QString& baseName, const QStringList& directories)
{
    for (const QString& directory : directories) {
        if (translator.load(baseName, directory)) {
            qDebug("Catalogue %s", qPrintable(translator.filePath()));
            return translator.filePath();
        }
    }
    return {};
}

QString userStateDirectory()
{
    QString base = qEnvironmentVariable("XDG_STATE_HOME");
    if (!QDir::isAbsolutePath(base))
        base = QDir::homePath() + QLatin1String("/.local/state");
    return QDir::cleanPath(base + QLatin1String("/kvo-controller"));
}

bool makePrivateDirectory(const QString& path)
{
    const QFileInfo folder(path);
    if (folder.exists())
        return folder.isDir();
    const QString parent = folder.absolutePath();
    if (parent != folder.absoluteFilePath() && !makePrivateDirectory(parent))
        return false;
    // Another process may create it meanwhile: what counts is that it is there.
    return QDir().mkdir(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner) || QFileInfo(path).isDir();
}

} // namespace installpaths
