#include "content/filetransfers.h"

#include "content/batchserver.h"
#include "content/imageconversion.h"
#include "content/playlists.h"
#include "content/repositorylister.h"
#include "content/shownplayer.h"
#include "content/transfer.h"
#include "core/ftptransfer.h"
#include "core/repositorypath.h"
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
}

void FileTransfers::followShownPlayer()
{
    PlayerItem* player = m_shown->player();
    QProgressBar* bar = m_widgets.transferBar;
    disconnect(m_uploadProgress);
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
    // Both taken now: the repository view may be refilled, and the player go,
    // while a dialog is open.
    const QPointer<PlayerItem> player = m_shown->player();
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
        m_widgets.transferBar->reset();
        emit storageChanged();
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

void FileTransfers::SLT_abort_xfer()
{
    PlayerItem* player = m_shown->player();
    if (!player)
        return;
    if (m_virtualCopier)
        for (const QString& target : m_virtualCopier->abort(player))
            events::copyAborted(player->name(), QFileInfo(target).fileName());
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
    m_widgets.transferLabel->setText(tr("Transfer file (") + report.fileName + QLatin1Char(')'));
    // A percentage is shown against 100, also after an upload measured the bar in bytes.
    QProgressBar* bar = m_widgets.transferBar;
    if (bar->minimum() != 0 || bar->maximum() != 100)
        bar->setRange(0, 100);
    bar->setValue(report.percent);
    emit statusMessage(report.line);
    // The file has arrived: the panes show the player afresh.
    if (report.percent == 100)
        m_shown->show(player);
}
