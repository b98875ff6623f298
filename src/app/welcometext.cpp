#include "app/startup.h"

#include <QCoreApplication>

QString welcomeText(const QString& localeName, const QString& ownAddress, const QString& version,
                    const QString& rootPath)
{
    return QCoreApplication::translate("main", "[%1] Welcome to KVO Controller, %2, %3, with Media drive %4")
        .arg(localeName, ownAddress, version, rootPath);
}
