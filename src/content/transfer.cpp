// Sending one repository file to the selected player, and the transfer
// display ("Operation and status") that follows uploads, copies and URL transfers.

#include "content/transfer.h"

#include "core/repositorypath.h"
#include "content/imageconversion.h"
#include "content/playlists.h"
#include "players/playeritem.h"
#include "window/kvo_form.h"
#include "ui/prompts.h"

#include <QElapsedTimer>
#include <QImage>
#include <QSaveFile>

#include <limits>

namespace {

constexpr int kAttrColumn = 2;
// A step copies blocks for at most this long before the event loop runs again.
constexpr qint64 kStepBudgetMs = 8;

} // namespace

bool IsBaselineJpeg(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    bool afterFF = false;
    bool baselineSeen = false;
    QByteArray block(8192, Qt::Uninitialized);
    for (;;) {
        const qint64 got = file.read(block.data(), block.size());
        if (got <= 0)
            break;
        for (qint64 index = 0; index < got; ++index) {
            const auto byte = static_cast<unsigned char>(block[index]);
            if (!afterFF) {
                afterFF = byte == 0xFF;
                continue;
            }
            switch (byte) {
            case 0xFF:
                break;
            case 0xC0:
                baselineSeen = true;
                afterFF = false;
                break;
            case 0xC1: case 0xC2: case 0xC3: case 0xC5: case 0xC6: case 0xC7:
            case 0xC9: case 0xCA: case 0xCB: case 0xCD: case 0xCE: case 0xCF:
                return false;
            default:
                afterFF = false;
                break;
            }
        }
    }
    return baselineSeen;
}

QString RepositoryRelativePath(QTreeWidgetItem* row)
{
    QStringList names;
    for (QTreeWidgetItem* each = row; each; each = each->parent())
        names.prepend(each->text(playlist::Name));
    return names.join(QLatin1Char('/'));
}

void showTransferProgress(QProgressBar* bar, qint64 done, qint64 total)
{
    total = qMax<qint64>(total, 0);
    const int shift = total > std::numeric_limits<int>::max() ? 10 : 0;
    bar->setRange(0, int(total >> shift));
    bar->setValue(int(qBound<qint64>(0, done, total) >> shift));
}

// ---------------------------------------------------------------------------

VirtualCopier::VirtualCopier(QObject* parent)
    : QObject(parent)
{
    m_timer.setInterval(0);
    connect(&m_timer, &QTimer::timeout, this, &VirtualCopier::step);
}

VirtualCopier::~VirtualCopier()
{
    // An unfinished copy leaves its target as it was.
    if (m_target)
        m_target->cancelWriting();
}

void VirtualCopier::enqueue(const QString& source, const QString& target, PlayerItem* player)
{
    m_queue.append({source, target, player});
    if (!m_current)
        startNext();
}

void VirtualCopier::abort(PlayerItem* player)
{
    m_queue.erase(std::remove_if(m_queue.begin(), m_queue.end(),
                                 [player](const Job& job) { return job.player == player || !job.player; }),
                  m_queue.end());
    if (m_current && (m_current->player == player || !m_current->player)) {
        m_timer.stop();
        m_target->cancelWriting();
        m_target.reset();
        m_source.close();
        m_current.reset();
        startNextLater();
    }
}

void VirtualCopier::startNextLater()
{
    if (!m_queue.isEmpty())
        QTimer::singleShot(0, this, [this] {
            if (!m_current)
                startNext();
        });
}

void VirtualCopier::startNext()
{
    while (!m_current && !m_queue.isEmpty()) {
        m_current = m_queue.takeFirst();
        ++m_generation;
        m_done = 0;
        m_source.setFileName(m_current->source);
        if (!m_source.open(QIODevice::ReadOnly)) {
            endCurrent(false, tr("Can't open file '%1' for reading: %2").arg(m_current->source, m_source.errorString()));
            continue;
        }
        m_total = m_source.size();
        m_target = std::make_unique<QSaveFile>(m_current->target);
        // Unbuffered, so that a short write (disk full) is seen.
        if (!m_target->open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
            endCurrent(false, tr("Can't open file '%1' for writing: %2").arg(m_current->target, m_target->errorString()));
            continue;
        }
        m_timer.start();
    }
}

void VirtualCopier::step()
{
    if (!m_current)
        return;
    if (!m_current->player) {
        // The player went away: its copy is of no use any more.
        abort(nullptr);
        return;
    }
    const quint64 generation = m_generation;
    const auto stillRunning = [this, generation] { return m_current && m_generation == generation; };
    QElapsedTimer elapsed;
    elapsed.start();
    QByteArray block(BlockSize, Qt::Uninitialized);
    do {
        const qint64 got = m_source.read(block.data(), BlockSize);
        if (got == 0)
            break;
        if (got < 0) {
            endCurrent(false, tr("Can't read file '%1': %2").arg(m_current->source, m_source.errorString()));
            return;
        }
        if (m_target->write(block.constData(), got) != got) {
            endCurrent(false, tr("Can't write file '%1': %2").arg(m_current->target, m_target->errorString()));
            return;
        }
        m_done += got;
        emit progress(m_done, qMax(m_total, m_done), m_current->player);
        if (!stillRunning())
            return;  // aborted by a receiver
    } while (!m_source.atEnd() && elapsed.elapsed() < kStepBudgetMs);
    if (!m_source.atEnd())
        return;
    if (m_done == 0)
        emit progress(0, 0, m_current->player);
    if (!stillRunning())
        return;
    if (!m_target->commit()) {
        endCurrent(false, tr("Can't write file '%1': %2").arg(m_current->target, m_target->errorString()));
        return;
    }
    endCurrent(true, QString());
}

void VirtualCopier::endCurrent(bool ok, const QString& error)
{
    m_timer.stop();
    if (m_target && !ok)
        m_target->cancelWriting();
    m_target.reset();
    m_source.close();
    const Job job = *m_current;
    m_current.reset();
    // The next copy starts from the event loop, after the receivers have run.
    startNextLater();
    emit finished(job.player, job.target, ok, error);
}

// ---------------------------------------------------------------------------
// The window's side.

void kvo_Form::connectStorageWidgets()
{
    connect(ui.ServerContents_listView, &QTreeWidget::itemDoubleClicked, this, &kvo_Form::DownloadFile);
    connect(ui.PlayerContent_listView, &QTreeWidget::itemDoubleClicked, this, &kvo_Form::AddPlaylistItem);
    connect(ui.Playlist_listView, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        QTreeWidget* view = ui.Playlist_listView;
        OperateOnPlaylistItem(view->itemAt(pos), view->viewport()->mapToGlobal(pos), view->columnAt(pos.x()));
    });
    connect(ui.Playlist_comboBox, &QComboBox::activated, this, qOverload<int>(&kvo_Form::GetPlaylist));
    connect(ui.SaveList_pushButton, &QPushButton::clicked, this, &kvo_Form::SaveAlbum);
    connect(ui.PlayList_pushButton, &QPushButton::clicked, this, &kvo_Form::SaveNPlay);
    connect(ui.DeleteFile_pushButton, &QPushButton::clicked, this, &kvo_Form::DeletePlayerFile);
    connect(ui.AbortXfer_pushButton, &QPushButton::clicked, this, &kvo_Form::SLT_abort_xfer);
}

void kvo_Form::DownloadFile(QTreeWidgetItem* row)
{
    if (!row)
        return;
    const QString attr = row->text(kAttrColumn).trimmed();
    if (attr == QLatin1String("DIRECTORY") || attr == QLatin1String("DIR")) {
        showInformation(this, tr("NOTICE"), row->text(playlist::Name) + tr(" is a directory"));
        return;
    }
    // Taken now: the repository view may be refilled while a dialog is open.
    const QString relative = RepositoryRelativePath(row);
    const QString path = repositoryPath() + QLatin1Char('/') + relative;
    const QString lower = relative.toLower();
    const bool baseline = !(lower.endsWith(QLatin1String(".jpg")) || lower.endsWith(QLatin1String(".jpeg")))
        || IsBaselineJpeg(path);

    if (playlist::isPictureName(relative)) {
        QImage image;
        if (!image.load(path)) {
            showInformation(this, tr("Check image size"), tr("File ") + path + tr(" format is incorrect."));
            return;
        }
        if (!baseline || image.width() > imageconversion::kSizeLimit || image.height() > imageconversion::kSizeLimit) {
            auto* dialog = new ImageConversion_Dialog(this);
            const QPointer<ImageConversion_Dialog> guard(dialog);
            const int choice = prompts().execDialog(dialog);
            delete guard.data();
            if (choice == imageconversion::MainVideo || choice == imageconversion::PictureArea) {
                const auto target = imageconversion::Choice(choice);
                const QImage converted = imageconversion::fitted(image, target);
                QString name = prompts().saveFileName(
                    this, tr("Choose file"), repositoryPath(),
                    target == imageconversion::MainVideo ? QStringLiteral("Images (*.png)") : QStringLiteral("Images (*.jpg)"));
                if (name.isEmpty())
                    return;
                name = imageconversion::withExtension(name, target);
                if (!imageconversion::save(converted, name, target))
                    showInformation(this, tr("Save file"), tr("Fail to save file: ") + name);
                return;
            }
            if (choice != imageconversion::AsIs)
                return;
        }
    }

    PlayerItem* player = currentPlayer();
    if (!player) {
        showInformation(this, tr("File transfer"), tr("No player is selected."));
        return;
    }
    ui.AbortXfer_pushButton->show();
    if (!player->isReal()) {
        copyToVirtualPlayer(player, path, relative.section(QLatin1Char('/'), -1));
        return;
    }
    connect(player, &PlayerItem::refresh_player_contents, this, &kvo_Form::refresh_player_contents,
            Qt::UniqueConnection);
    QString upload = path;
    player->ftp_uploadFile(upload);
}

void kvo_Form::copyToVirtualPlayer(PlayerItem* player, const QString& source, const QString& bareName)
{
    if (!m_virtualCopier) {
        m_virtualCopier = new VirtualCopier(this);
        connect(m_virtualCopier, &VirtualCopier::progress, this, &kvo_Form::followVirtualCopy);
        connect(m_virtualCopier, &VirtualCopier::finished, this, &kvo_Form::finishVirtualCopy);
    }
    m_virtualCopier->enqueue(source, player->virtualDirectory() + QStringLiteral("/contents/") + bareName, player);
}

void kvo_Form::followVirtualCopy(qint64 done, qint64 total, PlayerItem* player)
{
    if (!player || player != currentPlayer())
        return;
    if (done == total) {
        ui.Xfer_progressBar->reset();
        return;
    }
    showTransferProgress(ui.Xfer_progressBar, done, total);
    // A click on the virtual player hides the button; its copy can still be stopped.
    ui.AbortXfer_pushButton->show();
}

void kvo_Form::finishVirtualCopy(PlayerItem* player, const QString& target, bool ok, const QString& error)
{
    if (player && player == currentPlayer()) {
        ui.Xfer_progressBar->reset();
        AddPlayerContent(player);
    }
    if (!ok) {
        // Told once the copier has returned to the event loop.
        QTimer::singleShot(0, this, [this, target, error] {
            showInformation(this, tr("File transfer"),
                            tr("The file was not copied to %1; an earlier file of that name is unchanged.\n%2")
                                .arg(target, error));
        });
    }
}

void kvo_Form::SLT_progressbar_update(qint64 done, qint64 total, const UrlOperation& op)
{
    if (op.kind == UrlOperation::Put)
        ui.xfer_filename_textLabel->setText(QStringLiteral("<font color=red>") + tr("Writing......") + QStringLiteral("</font>"));
    else if (op.kind == UrlOperation::Get)
        ui.xfer_filename_textLabel->setText(QStringLiteral("<font color=red>") + tr("Reading......") + QStringLiteral("</font>"));
    showTransferProgress(ui.Xfer_progressBar, done, total);
}

void kvo_Form::SLT_URL_op_finished(const UrlOperation& op)
{
    if (op.kind != UrlOperation::Put)
        return;
    PlayerItem* player = currentPlayer();
    if (!player) {
        showInformation(this, tr("File transfer"), tr("File transfer completed, but there is no selected player."));
        return;
    }
    ui.Xfer_progressBar->reset();
    ui.xfer_filename_textLabel->clear();
    if (op.failed)
        showInformation(this, tr("File transfer"), tr("File transfer failed, erro code = ") + QString::number(op.errorCode));
    // The box may have run while the selection changed.
    AddPlayerContent(ui.Player_iconView->currentItem());
}

void kvo_Form::SLT_abort_xfer()
{
    PlayerItem* player = currentPlayer();
    if (!player)
        return;
    if (m_virtualCopier)
        m_virtualCopier->abort(player);
    ui.Xfer_progressBar->reset();
    ui.xfer_filename_textLabel->setText(QString());
    AddPlayerContent(player);
    player->ftp_abort();
    ui.Xfer_progressBar->reset();
}

void kvo_Form::refresh_player_contents()
{
    AddPlayerContent(ui.Player_iconView->currentItem());
}
