#pragma once

// Where the controller finds the files it ships with, and the folder it works
// in when started from the desktop. Installed, the program is PREFIX/bin/
// kvo-controller with its pictures and catalogues in PREFIX/share/
// kvo-controller and its helper programs in PREFIX/libexec/kvo-controller
// (the build fixes these relative paths); in a build tree they all lie beside
// the executable.

#include <QString>
#include <QStringList>

class QTranslator;

namespace installpaths {

// The name of the desktop entry, the icon and the metadata: "org.kvo.Controller".
QString applicationId();

// Where pictures and catalogues are looked for, in this order: the working
// directory (a file put there replaces the shipped one), the data folder of
// the install prefix, the executable's own folder.
QStringList dataDirectories(const QString& executableDirectory);
QStringList dataDirectories();

// The first of directories holding name, as a path; empty, with a warning in
// the debug log, when none does.
QString findFile(const QString& name, const QStringList& directories);
QString dataFile(const QString& name);

// The helper program name under the install prefix, else beside the
// executable. When neither exists, the installed path: the error that
// follows names where the program belongs.
QString helperProgram(const QString& name, const QString& executableDirectory);
QString helperProgram(const QString& name);

// Loads the catalogue baseName (".qm" appended, trailing parts of the locale
// dropped one at a time: QTranslator's rules) from the first of directories
// that has one; the file loaded, or empty.
QString loadCatalogue(QTranslator& translator, const QString& baseName, const QStringList& directories);

// $XDG_STATE_HOME/kvo-controller, or ~/.local/state/kvo-controller when that
// variable is unset, empty or relative, as the XDG base directory rules say.
QString userStateDirectory();
// Creates path and every missing folder above it readable by the owner only
// (0700), as the XDG rules ask; true when path is a folder afterwards.
bool makePrivateDirectory(const QString& path);

} // namespace installpaths
