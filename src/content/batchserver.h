#pragma once

// The batch download server the controller runs beside itself, and the
// progress lines players send while they pull from it.

#include <QString>
#include <QStringList>

namespace batchserver {

constexpr quint16 kPort = 8899;
// Exit status of the launcher when the port is taken by another program.
constexpr int kExitPortInUse = 3;

// The launcher's argument list after the program: repository root, port and
// the two log files, relative to the working directory.
QStringList arguments(const QString& root);

// The program to start: set by setProgram, else the KVO_BATCH_SERVER
// environment variable when set, else the launcher installed with the
// controller (installpaths::helperProgram). Empty means that no server is started.
QString program();
void setProgram(const QString& program);
// Back to the environment or the installed launcher.
void resetProgram();

} // namespace batchserver

// One "Kivo_SVR.wgetProgress" line as the window reads it.
struct WgetProgress {
    bool valid = false; // ends with "%" after the percentage 0..100
    int percent = 0;
    QString fileName;   // first 20 characters, trimmed, escapes replaced
    QString line;       // the trimmed line, escapes replaced
};

WgetProgress parseWgetProgress(const QString& progress);
