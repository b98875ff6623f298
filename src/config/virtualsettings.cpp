#include "config/virtualsettings.h"

#include "core/atomicfile.h"
#include "players/playeritem.h"
#include "ui/prompts.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

QByteArray readVirtualSettings(const PlayerItem* player, const QString& file)
{
    QFile settings(player->virtualDirectory() + file);
    return settings.open(QIODevice::ReadOnly) ? settings.readAll() : QByteArray();
}

void writeVirtualSettings(QWidget* window, const PlayerItem* player, const QString& file, const QByteArray& text)
{
    const QString failure = storeVirtualSettings(player, file, text);
    if (!failure.isEmpty())
        showWarning(window, QCoreApplication::translate("VirtualSettings", "Virtual player"), failure);
}

QString storeVirtualSettings(const PlayerItem* player, const QString& file, const QByteArray& text)
{
    const QString path = player->virtualDirectory() + file;
    QString error;
    if (writeFileAtomically(path, text, &error))
        return QString();
    return QCoreApplication::translate("VirtualSettings", "The settings file %1 could not be written: %2")
        .arg(QDir::toNativeSeparators(path), error);
}
