#include "content/storage.h"

#include "content/playlists.h"
#include "core/atomicfile.h"

#include <QCoreApplication>
#include <QDir>

#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

namespace storage {

QString repairedName(const QString& reported)
{
    QString name = reported;
    name.replace(QLatin1String("%20"), QLatin1String(" "));
    name.replace(QLatin1String("%28"), QLatin1String("("));
    name.replace(QLatin1String("%29"), QLatin1String(")"));
    return name;
}

QString sizeCell(const QString& figure)
{
    return figure.rightJustified(8, QLatin1Char(' '));
}

QString freeSpaceText(int totalKb, int availableKb)
{
    const qint64 total = qMax(totalKb, 0);
    const qint64 available = qMax(availableKb, 0);
    if (total == 0) {
        return QObject::tr("Total space: %1 KB, Available space %2 KB (not reported yet)")
            .arg(total)
            .arg(available);
    }
    const qint64 full = qMax<qint64>(total - available, 0) * 100 / total;
    return QObject::tr("Total space: %1 KB, Available space %2 KB (%3% Full)").arg(total).arg(available).arg(full);
}

QHash<QString, QTreeWidgetItem*> repositoryRowsByName(const QTreeWidget* repository)
{
    QHash<QString, QTreeWidgetItem*> rows;
    for (QTreeWidgetItemIterator it(const_cast<QTreeWidget*>(repository)); *it; ++it) {
        const QString name = (*it)->text(playlist::Name);
        if (!rows.contains(name))
            rows.insert(name, *it);
    }
    return rows;
}

QStringList virtualContentNames(const QString& playerDirectory)
{
    const QDir contents(playerDirectory + QStringLiteral("/contents"));
    QStringList names;
    if (!contents.exists())
        return names;
    const QFileInfoList entries = contents.entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                                                         QDir::Name | QDir::IgnoreCase | QDir::DirsFirst);
    for (const QFileInfo& entry : entries) {
        if (!entry.fileName().startsWith(QLatin1Char('.')) && !entry.isDir())
            names.append(entry.fileName());
    }
    return names;
}

QString storeContentsList(const QString& playerDirectory, const QStringList& names)
{
    QByteArray list;
    for (const QString& name : names)
        list += name.toUtf8() + '\n';
    const QString path = playerDirectory + QStringLiteral("/poll_contents_list");
    QString error;
    if (writeFileAtomically(path, list, &error))
        return QString();
    return QCoreApplication::translate("StoragePane", "Could not write %1: %2").arg(path, error);
}

} // namespace storage
