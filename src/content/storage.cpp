// The selected player's storage: listing it (from the player's reply or a
// virtual player's "contents" folder) and deleting a stored file.

#include "content/storage.h"

#include "core/atomicfile.h"
#include "content/playlists.h"
#include "players/playeritem.h"
#include "players/playerscontroller.h"
#include "window/kvo_form.h"
#include "ui/prompts.h"

#include <QDir>
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

} // namespace storage

namespace {

// TYPE and DURATION of the repository row with that name, else "N/A".
QStringList repositoryFacts(const QHash<QString, QTreeWidgetItem*>& repository, const QString& name)
{
    const QTreeWidgetItem* row = repository.value(name);
    const QString na = QStringLiteral("N/A");
    if (!row)
        return {na, na, na};
    return {row->text(playlist::Size), row->text(playlist::Type), row->text(playlist::Duration)};
}

} // namespace

void kvo_Form::AddPlayerContent(QListWidgetItem* clicked)
{
    if (!clicked || clicked->type() != PlayerItem::ItemType)
        return;
    auto* player = static_cast<PlayerItem*>(clicked);
    statusBar()->showMessage(player->text());

    if (player->isReal()) {
        ui.PlaySingle_pushButton->show();
        ui.PlayALL_pushButton->show();
        m_players->GetFreeSpace(player);
        sendCommand(player, QStringLiteral("Kivo.GetMediaFileList"));
        statusBar()->showMessage(storage::freeSpaceText(player->totalSpace(), player->availableSpace()));
        return;
    }
    ui.PlaySingle_pushButton->hide();
    ui.PlayALL_pushButton->hide();
    ui.PlayerContent_listView->clear();
    listVirtualContents(player);
}

void kvo_Form::listVirtualContents(PlayerItem* player)
{
    const QDir contents(player->virtualDirectory() + QStringLiteral("/contents"));
    if (!contents.exists())
        return;
    const QHash<QString, QTreeWidgetItem*> repository = storage::repositoryRowsByName(ui.ServerContents_listView);
    QByteArray names;
    const QFileInfoList entries = contents.entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                                                         QDir::Name | QDir::IgnoreCase | QDir::DirsFirst);
    for (const QFileInfo& entry : entries) {
        const QString name = entry.fileName();
        if (name.startsWith(QLatin1Char('.')) || entry.isDir())
            continue;
        const QStringList facts = repositoryFacts(repository, name);
        const QString size = facts[0] == QLatin1String("N/A") ? facts[0] : storage::sizeCell(facts[0]);
        new QTreeWidgetItem(ui.PlayerContent_listView, {name, size, QStringLiteral(" mirror"), facts[1], facts[2]});
        names += name.toUtf8() + '\n';
    }
    const QString listPath = player->virtualDirectory() + QStringLiteral("/poll_contents_list");
    QString error;
    if (!writeFileAtomically(listPath, names, &error))
        statusBar()->showMessage(tr("Could not write %1: %2").arg(listPath, error));
}

void kvo_Form::fillStorageFromReply(const QVariant& result)
{
    ui.PlayerContent_listView->clear();
    const QHash<QString, QTreeWidgetItem*> repository = storage::repositoryRowsByName(ui.ServerContents_listView);
    for (const QVariant& entry : result.toList()) {
        const QVariantMap file = entry.toMap();
        QString received = file.value(QStringLiteral("name")).toString();
        if (received.isEmpty())
            continue;
        const QStringList facts = repositoryFacts(repository, received);
        QString name = storage::repairedName(received);
        if (name != received)
            emit fix_URL_spaces(received, name);
        new QTreeWidgetItem(ui.PlayerContent_listView,
                            {name, storage::sizeCell(file.value(QStringLiteral("size")).toString()),
                             QStringLiteral("player"), facts[1], facts[2]});
    }
}

void kvo_Form::DeletePlayerFile()
{
    const QList<QTreeWidgetItem*> selected = ui.PlayerContent_listView->selectedItems();
    if (selected.isEmpty()) {
        showInformation(this, tr("Player File Operation"), tr("No selected file to delete."));
        return;
    }
    const QString location = selected.first()->text(playlist::Location).trimmed();
    if (location != QLatin1String("player") && location != QLatin1String("mirror"))
        return;
    // Taken before the question: the view may be refilled while it is open.
    const QString name = selected.first()->text(playlist::Name);
    const auto answer = prompts().message(
        Prompts::Kind::Question, this, tr("Player File Operation"),
        tr("This file  will be deleted from player storage.\nIf this file is also an entry in any playlist, the "
           "entry will also be removed.\nDo you really want to delete this file?"),
        QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
    if (answer != QMessageBox::Yes)
        return;
    PlayerItem* player = currentPlayer();
    if (!player) {
        // This box alone is not translated.
        showInformation(this, QStringLiteral("Payer File Operation"), QStringLiteral("No Player is selected."));
        return;
    }
    if (player->isReal()) {
        sendCommand(player, QStringLiteral("Kivo.DeleteMediaFile"), {name});
        m_players->GetFreeSpace(player);
        for (int index = 0; index < playlist::Count; ++index)
            sendCommand(player, QStringLiteral("Kivo.DeletePlaylistItem"), {playlist::playerPath(index), name});
    } else {
        // Only a plain name of the "contents" folder is removed.
        if (!name.isEmpty() && !name.contains(QLatin1Char('/')) && name != QLatin1String("..")) {
            const QString path = player->virtualDirectory() + QStringLiteral("/contents/") + name;
            if (QFileInfo::exists(path) && !QFile::remove(path))
                showInformation(this, tr("Player File Operation"), tr("Fail to delete %1.").arg(path));
        }
        for (int index = 0; index < playlist::Count; ++index)
            DeleteLocalPlaylistItem(player, name, playlist::virtualFile(player->virtualDirectory(), index));
    }
    AddPlayerContent(player);
    GetPlaylist();
}
