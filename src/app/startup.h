#pragma once

#include <QString>

// The status-bar greeting: locale name, own address, version text and the
// root directory path.
QString welcomeText(const QString& localeName, const QString& ownAddress, const QString& version,
                    const QString& rootPath);

// The listen backlog of the registration service.
int registrationListenBacklog();

// Chooses Qt's own event loop over GLib's (unless QT_NO_GLIB is set
// already); call before the application object is made. GLib's loop spends
// time in proportion to the open sockets whenever one opens or closes, which
// stalls the window under thousands of players' connections. Dialogs are
// then Qt's own, not the desktop theme's.
void chooseEventDispatcher();

// The whole life of the controller process; returns the event loop's value.
int runController(int& argc, char** argv);
