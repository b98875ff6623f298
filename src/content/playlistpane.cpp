#include "content/playlistpane.h"

#include "content/playlists.h"
#include "content/shownplayer.h"
#include "core/atomicfile.h"
#include "core/displaytext.h"
#include "players/commandchannel.h"
#include "players/playeritem.h"
#include "players/playerscontroller.h"
#include "ui/events.h"
#include "ui/prompts.h"

#include <QComboBox>
#include <QCursor>
#include <QFile>
#include <QGroupBox>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QTreeWidget>

namespace {

// Menu entries of a playlist row, kept as the actions' data.
enum PlaylistAction { MoveUp = 1, MoveDown, RemoveItem, ClearAll, ChangeDisplayTime };

// Rows carry a serial number so that a row is found again after a nested
// event loop (a menu or dialog) during which the view may have been refilled.
constexpr int kSerialRole = Qt::UserRole + 17;

quint64 markRow(QTreeWidgetItem* row)
{
    static quint64 serial = 0;
    row->setData(playlist::Name, kSerialRole, ++serial);
    return serial;
}

QTreeWidgetItem* rowBySerial(QTreeWidget* view, quint64 serial)
{
    for (int index = 0; index < view->topLevelItemCount(); ++index) {
        QTreeWidgetItem* row = view->topLevelItem(index);
        if (row->data(playlist::Name, kSerialRole).toULongLong() == serial)
            return row;
    }
    return nullptr;
}

QStringList cellsOf(const QTreeWidgetItem* row)
{
    QStringList cells;
    for (int column = playlist::Name; column <= playlist::Duration; ++column)
        cells.append(row->text(column));
    return cells;
}

void moveRow(QTreeWidget* view, QTreeWidgetItem* row, int offset)
{
    const int from = view->indexOfTopLevelItem(row);
    const int to = from + offset;
    if (from < 0 || to < 0 || to >= view->topLevelItemCount())
        return;
    view->takeTopLevelItem(from);
    view->insertTopLevelItem(to, row);
    view->setCurrentItem(row);
}

} // namespace

PlaylistPane::PlaylistPane(const ContentWidgets& widgets, ShownPlayer* shown, PlayersController* players,
                           QWidget* window, QObject* parent)
    : QObject(parent)
    , m_widgets(widgets)
    , m_shown(shown)
    , m_players(players)
    , m_window(window)
{
    // Rows stay in the order the player keeps them.
    widgets.playlistView->setSortingEnabled(false);
    widgets.playlistView->setColumnHidden(playlist::Location, true);
    widgets.playlistView->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(widgets.playlistView, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        QTreeWidget* view = m_widgets.playlistView;
        OperateOnPlaylistItem(view->itemAt(pos), view->viewport()->mapToGlobal(pos), view->columnAt(pos.x()));
    });
    connect(widgets.storageView, &QTreeWidget::itemDoubleClicked, this, &PlaylistPane::AddPlaylistItem);
    connect(widgets.playlistChoice, &QComboBox::activated, this, qOverload<int>(&PlaylistPane::GetPlaylist));
    connect(widgets.saveList, &QPushButton::clicked, this, &PlaylistPane::SaveAlbum);
    connect(widgets.replayList, &QPushButton::clicked, this, &PlaylistPane::SaveNPlay);
    connect(&players->channel(), &CommandChannel::replied, this, &PlaylistPane::handleReply);
    // Another player's playlist never stands under the shown one's name.
    connect(shown, &ShownPlayer::changed, this, [this] {
        m_widgets.playlistView->clear();
        retitle();
        GetPlaylist();
    });
}

void PlaylistPane::retitle()
{
    const QString player = m_shown->label();
    m_widgets.playlistBox->setTitle(player.isEmpty() ? tr("Playlists") : tr("Playlists: %1").arg(player));
}

void PlaylistPane::appendRows(const QList<QStringList>& rows)
{
    for (const QStringList& cells : rows)
        new QTreeWidgetItem(m_widgets.playlistView, cells);
}

void PlaylistPane::handleReply(const QString& method, PlayerItem* player, const QVariant& result)
{
    // A late playlist of a player chosen before fills nothing.
    if (replyBranch(method) != ReplyBranch::GetList || !m_shown->is(player))
        return;
    m_widgets.playlistView->clear();
    QList<QStringList> rows;
    ListCap cap;
    for (const QVariant& entry : result.toList()) {
        for (const QStringList& row : playlist::readText(entry.toString())) {
            if (cap.take(playlist::line(row)))
                rows.append(row);
        }
    }
    // A playlist shown in part would be saved in part: none of it is shown.
    if (cap.leftOut() > 0) {
        recordEvent(tr("The playlist of %1 holds more than %2 entries, or entries too long to be real; it is not "
                       "shown, so that saving it cannot lose any.")
                        .arg(elideForDisplay(player->name(), displaylimit::kValue))
                        .arg(displaylimit::kListRows));
        return;
    }
    appendRows(rows);
}

void PlaylistPane::showPlaylistFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return;
    if (file.size() > playlist::kMaxFileBytes) {
        showInformation(m_window, tr("Playlist"),
                        tr("The playlist file %1 is %2 bytes long, far more than a playlist holds; it is not shown.")
                            .arg(path)
                            .arg(file.size()));
        return;
    }
    appendRows(playlist::readText(QString::fromUtf8(file.readAll())));
}

void PlaylistPane::GetPlaylist()
{
    PlayerItem* player = m_shown->player();
    if (!player)
        return;
    const int index = m_widgets.playlistChoice->currentIndex();
    if (player->isReal()) {
        m_widgets.replayList->show();
        m_players->channel().send(player, QStringLiteral("Kivo.GetList"), {playlist::playerPath(index)});
        return;
    }
    m_widgets.replayList->hide();
    m_widgets.playlistView->clear();
    showPlaylistFile(playlist::virtualFile(player->virtualDirectory(), index));
}

void PlaylistPane::GetPlaylist(int)
{
    GetPlaylist();
}

void PlaylistPane::AddPlaylistItem(QTreeWidgetItem* row)
{
    if (!row)
        return;
    const QString location = row->text(playlist::Location).trimmed();
    if (location != QLatin1String("player") && location != QLatin1String("mirror")) {
        showInformation(m_window, tr("Play list management"), tr("This file has not yet been downloaded."));
        return;
    }
    QStringList cells = cellsOf(row);
    const QString name = cells[playlist::Name];
    if (const QString problem = playlist::nameProblem(name); !problem.isEmpty()) {
        showInformation(m_window, tr("Play list management"), problem);
        return;
    }
    if (playlist::isPictureName(name)) {
        cells[playlist::Type] = QStringLiteral("picture");
        cells[playlist::Duration] = QStringLiteral("20");
    } else if (playlist::isCaptureName(name)) {
        cells[playlist::Type] = QStringLiteral("capture");
        cells[playlist::Duration] = QStringLiteral("60");
    }
    if (m_widgets.playlistChoice->currentIndex() != 0 && cells[playlist::Type] != QLatin1String("picture")) {
        // A warning whose only button reads "Acknowledged".
        QMessageBox box(QMessageBox::Warning, tr("Add platlist item:"),
                        tr("This playlist allows only still images (pictures)."), QMessageBox::NoButton, m_window);
        box.setObjectName(QStringLiteral("Add platlist item"));
        box.addButton(tr("Acknowledged"), QMessageBox::AcceptRole);
        prompts().execDialog(&box);
        return;
    }
    appendRows({cells});
}

void PlaylistPane::OperateOnPlaylistItem(QTreeWidgetItem* row, const QPoint&, int column)
{
    if (!row || column < 0)
        return;
    QTreeWidget* view = m_widgets.playlistView;
    const quint64 serial = markRow(row);
    const QString type = row->text(playlist::Type);

    QMenu menu(m_window);
    menu.addAction(tr("Move item up"))->setData(MoveUp);
    menu.addAction(tr("Move item down"))->setData(MoveDown);
    menu.addAction(tr("Remove item"))->setData(RemoveItem);
    menu.addAction(tr("Clear all items"))->setData(ClearAll);
    if (type.contains(QLatin1String("picture"), Qt::CaseInsensitive)
        || type.contains(QLatin1String("capture"), Qt::CaseInsensitive))
        menu.addAction(tr("Change display time"))->setData(ChangeDisplayTime);

    QAction* chosen = prompts().execMenu(&menu, QCursor::pos());
    // A reply may have refilled the view while the menu was open.
    row = rowBySerial(view, serial);
    if (!chosen || !row)
        return;
    switch (chosen->data().toInt()) {
    case MoveUp:
        moveRow(view, row, -1);
        break;
    case MoveDown:
        moveRow(view, row, +1);
        break;
    case RemoveItem:
        delete row;
        break;
    case ClearAll:
        view->clear();
        break;
    case ChangeDisplayTime: {
        auto* dialog = new PictureDisplayTime_Dialog(m_window, "display time");
        const QPointer<PictureDisplayTime_Dialog> guard(dialog);
        connect(this, &PlaylistPane::set_displaytime_value, dialog->lineEdit(), &QLineEdit::setText);
        emit set_displaytime_value(row->text(playlist::Duration));
        const int seconds = prompts().execDialog(dialog);
        delete guard.data();
        row = rowBySerial(view, serial);
        if (row && seconds > 0)
            row->setText(playlist::Duration, QString::number(seconds));
        break;
    }
    }
}

void PlaylistPane::SaveAlbum()
{
    PlayerItem* player = m_shown->player();
    if (!player)
        return;
    const int index = m_widgets.playlistChoice->currentIndex();
    QList<QStringList> rows;
    for (int row = 0; row < m_widgets.playlistView->topLevelItemCount(); ++row)
        rows.append(cellsOf(m_widgets.playlistView->topLevelItem(row)));

    if (player->isReal()) {
        if (m_players->channel().isBusy()) {
            showWarning(m_window, tr("SaveAlbum"), tr("The command channel to this player is busy, try again later"));
            return;
        }
        QVariantList params{playlist::playerPath(index), playlist::headerLine()};
        for (const QStringList& cells : std::as_const(rows))
            params.append(playlist::line(cells));
        m_players->channel().send(player, QStringLiteral("Kivo.SaveList"), params);
        return;
    }
    const QString path = playlist::virtualFile(player->virtualDirectory(), index);
    if (!writeFileAtomically(path, playlist::fileContent(rows)))
        showInformation(m_window, tr("Saving playlist Error"), tr("Fail opening ") + path + tr(" to save."));
}

void PlaylistPane::PlayAlbum()
{
    PlayerItem* player = m_shown->player();
    if (!player)
        return;
    if (m_players->channel().isBusy()) {
        showWarning(m_window, tr("PlayAlbum"), tr("The command channel to this player is busy, try again later."));
        return;
    }
    m_players->channel().send(player, QStringLiteral("Kivo.PlayAlbum"));
}

void PlaylistPane::SaveNPlay()
{
    SaveAlbum();
    PlayAlbum();
}
