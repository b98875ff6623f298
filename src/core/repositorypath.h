#pragma once

#include <QString>

// The root of the local media repository: one value for the whole process,
// filled at start-up from the settings store.
QString repositoryPath();
void setRepositoryPath(const QString& path);
