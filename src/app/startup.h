#pragma once

#include <QString>

// The status-bar greeting: locale name, own address, version text and the
// root directory path.
QString welcomeText(const QString& localeName, const QString& ownAddress, const QString& version,
                    const QString& rootPath);

// The listen backlog of the registration service.
int registrationListenBacklog();

// The whole life of the controller process; returns the event loop's value.
int runController(int& argc, char** argv);
