#include "core/settings.h"

#include <QDir>

namespace {
const char* const kDomain = "Vex";
const char* const kProduct = "Kivo";
}

std::unique_ptr<QSettings> openSettingsStore()
{
    auto settings = std::make_unique<QSettings>(QSettings::SystemScope, QString::fromLatin1(kDomain),
                                                QString::fromLatin1(kProduct));
    if (settings->isWritable())
        return settings;
    qWarning("Settings store %s is not writable; using the user's settings store",
             qPrintable(settings->fileName()));
    return std::make_unique<QSettings>(QSettings::UserScope, QString::fromLatin1(kDomain),
                                       QString::fromLatin1(kProduct));
}

QString defaultRepositoryPath()
{
    return QDir::rootPath() + QStringLiteral("MediaCenter");
}

QString readRepositoryPath(QSettings& settings)
{
    const QString key = QString::fromLatin1(kMediaCenterKey);
    const bool present = settings.contains(key);
    const QString path = settings.value(key, defaultRepositoryPath()).toString();
    if (!present) {
        settings.setValue(key, path);
        settings.sync();
    }
    return path;
}

void saveRepositoryPath(const QString& path)
{
    const auto settings = openSettingsStore();
    settings->setValue(QString::fromLatin1(kMediaCenterKey), path);
    settings->sync();
}
