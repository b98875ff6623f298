#pragma once

// What a player holds in storage, as rows of the storage view.

#include <QHash>
#include <QString>
#include <QStringList>

class QTreeWidget;
class QTreeWidgetItem;

namespace storage {

// A name as a player reports it with "%20", "%28" and "%29" turned back into
// " ", "(" and ")".
QString repairedName(const QString& reported);

// The SIZE(KB) cell: the figure right-justified to 8 characters.
QString sizeCell(const QString& figure);

// The free-space status line; "%" full computed in 64 bits.
QString freeSpaceText(int totalKb, int availableKb);

// The first row anywhere in the repository view (pre-order) for each NAME.
QHash<QString, QTreeWidgetItem*> repositoryRowsByName(const QTreeWidget* repository);

// The files of a virtual player's "contents" folder, by name, ignoring case;
// hidden files and folders are left out. Empty when there is no such folder.
QStringList virtualContentNames(const QString& playerDirectory);
// Writes the list the players of a virtual player pull ("poll_contents_list",
// one name a line); an empty string, or why it could not be written.
QString storeContentsList(const QString& playerDirectory, const QStringList& names);

} // namespace storage
