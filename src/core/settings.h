#pragma once

#include <QSettings>
#include <QString>

#include <memory>

// The settings store: domain "Vex", product "Kivo", machine-wide. Where the
// machine-wide store cannot be written (a non-root user on Linux), the user's
// store is used instead, so that settings are kept rather than silently lost.
std::unique_ptr<QSettings> openSettingsStore();

inline constexpr const char* kMediaCenterKey = "/sys/media_center";

// The default repository path: the root directory followed by "MediaCenter".
QString defaultRepositoryPath();

// Reads "/sys/media_center", writing the default back at once when absent.
QString readRepositoryPath(QSettings& settings);

// Stores a new repository path under "/sys/media_center".
void saveRepositoryPath(const QString& path);
