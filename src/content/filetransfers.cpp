#include "content/filetransfers.h"

#include "content/batchserver.h"
#include "content/imageconversion.h"
#include "content/playlists.h"
#include "content/repositorylister.h"
#include "content/shownplayer.h"
#include "content/transfer.h"
#include "core/batchqueue.h"
#include "core/ftptransfer.h"
#include "core/repositorypath.h"
#include "players/bulkrun.h"
#include "players/playeritem.h"
#include "players/playerregistry.h"
#include "players/playerscontroller.h"
#include "ui/events.h"
#include "ui/prompts.h"

#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>

#include <utility>

namespace {
constexpr int kAttrColumn = 2;
}

FileTransfers::FileTransfers(const ContentWidgets& widgets, ShownPlayer* shown, PlayersController* players,
                             QWidget* window, QObject* parent)
    : QObject(parent)
    , m_widgets(widgets)
    , m_shown(shown)
    , m_players(players)
    , m_window(window)
{
    connect(widgets.repositoryView, &QTreeWidget::itemDoubleClicked, this, &FileTransfers::DownloadFile);
    connect(widgets.abortTransfer, &QPushButton::clicked, this, &FileTransfers::SLT_abort_xfer);
    connect(shown, &ShownPlayer::changed, this, &FileTransfers::followShownPlayer);
    connect(players, &PlayersController::playerRemoved, this, &FileTransfers::forgetPlayer);
}

void FileTransfers::followShownPlayer()
{
    PlayerItem* player = m_shown->player();
    QProgressBar* bar = m_widgets.transferBar;
    disconnect(m_uploadProgress);
    // While a batch runs, the bar and the abort button are the batch's.
    if (m_batch)
        return;
    if (player)
        m_uploadProgress = connect(player->ftp(), &FtpTransfer::dataTransferProgress, bar,
                                   [bar](qint64 done, qint64 total) { showTransferProgress(bar, done, total); });
    m_widgets.abortTransfer->setVisible(player && player->isReal());
    bar->reset();
}

void FileTransfers::DownloadFile(QTreeWidgetItem* row)
{
    if (!row)
        return;
    if (isDirectoryAttribute(row->text(kAttrColumn))) {
        showInformation(m_window, tr("NOTICE"), row->text(playlist::Name) + tr(" is a directory"));
        return;
    }
    // Taken now: the repository view may be refilled, the players go and the
    // selection change while a dialog is open.
    const QPointer<PlayerItem> player = m_shown->player();
    QList<BatchTarget> targets;
    if (const QList<PlayerItem*> selected = m_players->selectedPlayers(); selected.size() > 1)
        for (PlayerItem* each : selected)
            targets.append({each, each->name()});
    if (!targets.isEmpty() && m_batch) {
        showInformation(m_window, tr("File transfer"),
                        tr("A file is being sent to several players. Wait for the end of that transfer, or abort "
                           "it, before sending another file to several players."));
        return;
    }
    const QString relative = RepositoryRelativePath(row);
    const QString path = repositoryPath() + QLatin1Char('/') + relative;
    const QString lower = relative.toLower();
    const bool baseline = !(lower.endsWith(QLatin1String(".jpg")) || lower.endsWith(QLatin1String(".jpeg")))
        || IsBaselineJpeg(path);

    if (playlist::isPictureName(relative)) {
        QImage image;
        if (!image.load(path)) {
            showInformation(m_window, tr("Check image size"), tr("File ") + path + tr(" format is incorrect."));
            return;
        }
        if (!baseline || image.width() > imageconversion::kSizeLimit || image.height() > imageconversion::kSizeLimit) {
            auto* dialog = new ImageConversion_Dialog(m_window);
            const QPointer<ImageConversion_Dialog> guard(dialog);
            const int choice = prompts().execDialog(dialog);
            delete guard.data();
            if (choice == imageconversion::MainVideo || choice == imageconversion::PictureArea) {
                const auto target = imageconversion::Choice(choice);
                const QImage converted = imageconversion::fitted(image, target);
                QString name = prompts().saveFileName(
                    m_window, tr("Choose file"), imageconversion::suggestedName(path, target),
                    target == imageconversion::MainVideo ? QStringLiteral("Images (*.png)") : QStringLiteral("Images (*.jpg)"));
                if (name.isEmpty())
                    return;
                name = imageconversion::withExtension(name, target);
                if (!imageconversion::save(converted, name, target)) {
                    showInformation(m_window, tr("Save file"), tr("Fail to save file: ") + name);
                    return;
                }
                emit statusMessage(tr("Converted picture saved as %1.").arg(name));
                emit pictureConverted(name);
                return;
            }
            if (choice != imageconversion::AsIs)
                return;
        }
    }

    if (!targets.isEmpty()) {
        sendToPlayers(targets, path, relative.section(QLatin1Char('/'), -1));
        return;
    }
    if (!player) {
        showInformation(m_window, tr("File transfer"), tr("No player is selected."));
        return;
    }
    m_widgets.abortTransfer->show();
    if (!player->isReal()) {
        copyToVirtualPlayer(player, path, relative.section(QLatin1Char('/'), -1));
        return;
    }
    connect(player, &PlayerItem::refresh_player_contents, this, &FileTransfers::refresh_player_contents,
            Qt::UniqueConnection);
    QString upload = path;
    player->ftp_uploadFile(upload);
}

void FileTransfers::copyToVirtualPlayer(PlayerItem* player, const QString& source, const QString& bareName)
{
    if (!m_virtualCopier) {
        m_virtualCopier = new VirtualCopier(this);
        connect(m_virtualCopier, &VirtualCopier::progress, this, &FileTransfers::followVirtualCopy);
        connect(m_virtualCopier, &VirtualCopier::finished, this, &FileTransfers::finishVirtualCopy);
    }
    m_virtualCopier->enqueue(source, player->virtualDirectory() + QStringLiteral("/contents/") + bareName, player);
}

void FileTransfers::followVirtualCopy(qint64 done, qint64 total, PlayerItem* player)
{
    if (m_batch) {
        if (const int index = batchIndexOf(player); index >= 0)
            m_batch->progress(index, done);
        return;
    }
    if (!m_shown->is(player))
        return;
    if (done == total) {
        m_widgets.transferBar->reset();
        return;
    }
    showTransferProgress(m_widgets.transferBar, done, total);
    // Choosing the virtual player hid the button; its copy can still be stopped.
    m_widgets.abortTransfer->show();
}

void FileTransfers::finishVirtualCopy(PlayerItem* player, const QString& target, bool ok, const QString& error)
{
    if (player)
        events::copyDone(player->name(), QFileInfo(target).fileName(), error);
    if (m_shown->is(player)) {
        if (!m_batch)
            m_widgets.transferBar->reset();
        emit storageChanged();
    }
    if (const int index = batchIndexOf(player);
        index >= 0 && target == player->virtualDirectory() + QStringLiteral("/contents/") + m_batchBareName) {
        // The batch's summary tells the failure.
        m_batch->end(index, ok ? QString() : error);
        return;
    }
    if (!ok) {
        // Told once the copier has returned to the event loop.
        QTimer::singleShot(0, this, [this, target, error] {
            showInformation(m_window, tr("File transfer"),
                            tr("The file was not copied to %1; an earlier file of that name is unchanged.\n%2")
                                .arg(target, error));
        });
    }
}

void FileTransfers::refresh_player_contents()
{
    if (m_shown->is(qobject_cast<PlayerItem*>(sender())))
        emit storageChanged();
}

void FileTransfers::abortVirtualCopies(PlayerItem* player)
{
    if (m_virtualCopier)
        for (const QString& target : m_virtualCopier->abort(player))
            events::copyAborted(player->name(), QFileInfo(target).fileName());
}

void FileTransfers::SLT_abort_xfer()
{
    if (m_batch)
        m_batch->abort(tr("aborted"));
    PlayerItem* player = m_shown->player();
    if (!player)
        return;
    abortVirtualCopies(player);
    m_widgets.transferBar->reset();
    m_widgets.transferLabel->clear();
    emit storageChanged();
    player->ftp_abort();
    m_widgets.transferBar->reset();
}

void FileTransfers::set_wget_progress(QString& ip, QString& progress)
{
    // Virtual players have no address: an empty one names nobody.
    if (ip.isEmpty())
        return;
    PlayerItem* player = PlayerRegistry::of(m_players->view())->atAddress(ip).value(0);
    if (!player)
        return;
    player->updateLastActive();

    const WgetProgress report = parseWgetProgress(progress);
    if (!report.valid || !m_shown->is(player))
        return;
    emit statusMessage(report.line);
    // While a batch runs, the strip is the batch's.
    if (!m_batch) {
        m_widgets.transferLabel->setText(tr("Transfer file (") + report.fileName + QLatin1Char(')'));
        // A percentage is shown against 100, also after an upload measured the bar in bytes.
        QProgressBar* bar = m_widgets.transferBar;
        if (bar->minimum() != 0 || bar->maximum() != 100)
            bar->setRange(0, 100);
        bar->setValue(report.percent);
    }
    // The file has arrived: the panes show the player afresh.
    if (report.percent == 100)
        m_shown->show(player);
}

// ---------------------------------------------------------------------------

void FileTransfers::sendToPlayers(const QList<BatchTarget>& targets, const QString& path, const QString& bareName)
{
    // Read once here: a file that cannot be read fails no player.
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        showCritical(m_window, tr("Upload error"), tr("Can't open file '%1' for reading.").arg(path));
        return;
    }
    QStringList names;
    for (const BatchTarget& target : targets)
        names.append(target.name);
    m_batchTargets = targets;
    m_batchPath = path;
    m_batchBareName = bareName;
    m_batch = new BatchQueue(names, kConcurrentUploads, file.size(), [this](int index) { startBatchEntry(index); },
                             [this](int index) { stopBatchEntry(index); }, this);
    connect(m_batch, &BatchQueue::progressed, this, &FileTransfers::showBatchProgress);
    connect(m_batch, &BatchQueue::finished, this, &FileTransfers::finishBatch);
    disconnect(m_uploadProgress);
    m_widgets.transferLabel->setText(tr("Transfer file (") + bareName + QLatin1Char(')'));
    m_widgets.abortTransfer->show();
    showBatchProgress();
    m_batch->run();
}

void FileTransfers::startBatchEntry(int index)
{
    BatchTarget& target = m_batchTargets[index];
    PlayerItem* player = target.player;
    if (!player) {
        m_batch->end(index, BulkRun::tr("went offline"));
        return;
    }
    if (!player->isReal()) {
        copyToVirtualPlayer(player, m_batchPath, m_batchBareName);
        return;
    }
    FtpTransfer* ftp = player->ftp();
    // The batch is checked as well: the watch of an ended entry goes only later.
    const QPointer<BatchQueue> batch = m_batch;
    target.watch = new QObject(this);
    connect(ftp, &FtpTransfer::dataTransferProgress, target.watch, [this, batch, index](qint64 done, qint64) {
        if (batch && batch == m_batch)
            m_batch->progress(index, done);
    });
    connect(ftp, &FtpTransfer::done, target.watch, [this, batch, index, ftp](bool error) {
        if (batch && batch == m_batch)
            endBatchEntry(index, error ? ftp->errorString() : QString());
    });
    connect(player, &PlayerItem::refresh_player_contents, this, &FileTransfers::refresh_player_contents,
            Qt::UniqueConnection);
    if (!player->uploadReportedByCaller(m_batchPath))
        endBatchEntry(index, tr("Can't open file '%1' for reading.").arg(m_batchPath));
}

void FileTransfers::stopBatchEntry(int index)
{
    BatchTarget& target = m_batchTargets[index];
    if (target.watch)
        std::exchange(target.watch, nullptr)->deleteLater();
    PlayerItem* player = target.player;
    if (!player)
        return;
    if (player->isReal())
        player->ftp_abort();
    else
        abortVirtualCopies(player);
}

void FileTransfers::endBatchEntry(int index, const QString& failure)
{
    if (QObject* watch = std::exchange(m_batchTargets[index].watch, nullptr))
        watch->deleteLater();
    m_batch->end(index, failure);
}

int FileTransfers::batchIndexOf(const PlayerItem* player) const
{
    if (!m_batch || !player)
        return -1;
    for (int index = 0; index < m_batchTargets.size(); ++index)
        if (m_batchTargets[index].player == player)
            return index;
    return -1;
}

void FileTransfers::forgetPlayer(PlayerItem* player)
{
    // Its upload goes with the item; the rest of the batch goes on.
    if (const int index = batchIndexOf(player); index >= 0)
        endBatchEntry(index, BulkRun::tr("went offline"));
}

void FileTransfers::showBatchProgress()
{
    QProgressBar* bar = m_widgets.transferBar;
    const int percent = m_batch->percent();
    // The text first: a receiver of the value's change reads the bar's text.
    bar->setFormat(tr("%1 of %2 players, %3 %").arg(m_batch->endedCount()).arg(m_batch->total()).arg(percent));
    bar->setRange(0, 100);
    bar->setValue(percent);
}

void FileTransfers::finishBatch()
{
    const BulkOutcome outcome{tr("File transfer of %1").arg(m_batchBareName), m_batch->total(), m_batch->failures()};
    m_batchTargets.clear();
    std::exchange(m_batch, nullptr)->deleteLater();
    m_widgets.transferBar->resetFormat();
    m_widgets.transferLabel->clear();
    followShownPlayer();
    m_players->reportBulkOutcome(outcome);
}
