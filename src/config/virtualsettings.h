#pragma once

// A virtual player keeps its settings as files in its directory.

#include <QByteArray>
#include <QString>

class PlayerItem;
class QWidget;

// The content of file (relative to the player's directory); empty when it
// does not exist or cannot be read.
QByteArray readVirtualSettings(const PlayerItem* player, const QString& file);

// Replaces file (relative to the player's directory, starting with "/")
// with text; a failure is reported to the operator, with window as parent.
void writeVirtualSettings(QWidget* window, const PlayerItem* player, const QString& file, const QByteArray& text);
// The same without a box: an empty string, or why the file could not be written.
QString storeVirtualSettings(const PlayerItem* player, const QString& file, const QByteArray& text);
