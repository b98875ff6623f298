#pragma once

#include <QHostAddress>
#include <QString>
#include <QStringList>

// What the command line asks of the controller.
struct StartupOptions {
    QHostAddress listenAddress = QHostAddress::Any; // where the registration service listens
    bool showHelp = false;
    bool showVersion = false;
    bool userState = false;                         // work in the per-user state folder
    QString error;                                  // non-empty: the command line is unusable
};

StartupOptions parseCommandLine(const QStringList& arguments);

QString commandLineHelp(const QString& program);
