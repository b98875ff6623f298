#pragma once

// What a player holds in storage, as rows of the storage view.

#include <QHash>
#include <QString>

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

} // namespace storage
