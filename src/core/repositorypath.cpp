#include "core/repositorypath.h"

namespace {
QString& storedRepositoryPath()
{
    static QString path;
    return path;
}
}

QString repositoryPath()
{
    return storedRepositoryPath();
}

void setRepositoryPath(const QString& path)
{
    storedRepositoryPath() = path;
}
