#pragma once

// Files sent to the shown player from the repository (a double-click: an FTP
// upload to a real player, a copy into a virtual player's "contents"), and
// the transfer strip below the panes, which follows the shown player's
// transfers: uploads, copies and the players' own download reports. With
// several players selected, the file goes to each of them as one batch, a
// few at a time, which the strip follows as a whole and one summary reports.

#include "content/contentwidgets.h"

#include <QList>
#include <QMetaObject>
#include <QObject>
#include <QPointer>
#include <QString>

class BatchQueue;
class PlayerItem;
class PlayersController;
class QTreeWidgetItem;
class QWidget;
class ShownPlayer;
class VirtualCopier;

class FileTransfers : public QObject
{
    Q_OBJECT
public:
    // Uploads of a batch that run at once (each an FTP connection).
    static constexpr int kConcurrentUploads = 4;

    FileTransfers(const ContentWidgets& widgets, ShownPlayer* shown, PlayersController* players, QWidget* window,
                  QObject* parent = nullptr);

public slots:
    void DownloadFile(QTreeWidgetItem* row);
    void SLT_abort_xfer();
    // A download report of the player at ip: a contact, and progress shown
    // when that player is the shown one.
    void set_wget_progress(QString& ip, QString& progress);

signals:
    // The shown player's storage has changed: it is to be listed again.
    void storageChanged();
    void statusMessage(const QString& text, int timeoutMs = 0);
    // A converted picture has been written to path.
    void pictureConverted(const QString& path);

private slots:
    // An upload of the sending player has ended.
    void refresh_player_contents();

private:
    struct BatchTarget {
        QPointer<PlayerItem> player;
        QString name;
        // The receiver of the running upload's signals, while it runs.
        QObject* watch = nullptr;
    };

    void followShownPlayer();
    void sendToPlayers(const QList<BatchTarget>& targets, const QString& path, const QString& bareName);
    void startBatchEntry(int index);
    void stopBatchEntry(int index);
    void endBatchEntry(int index, const QString& failure);
    // The batch entry of player, or -1.
    int batchIndexOf(const PlayerItem* player) const;
    void showBatchProgress();
    void finishBatch();
    void forgetPlayer(PlayerItem* player);
    void abortVirtualCopies(PlayerItem* player);
    void copyToVirtualPlayer(PlayerItem* player, const QString& source, const QString& bareName);
    void followVirtualCopy(qint64 done, qint64 total, PlayerItem* player);
    void finishVirtualCopy(PlayerItem* player, const QString& target, bool ok, const QString& error);

    ContentWidgets m_widgets;
    ShownPlayer* m_shown;
    PlayersController* m_players;
    QWidget* m_window;
    VirtualCopier* m_virtualCopier = nullptr;
    // The shown player's upload progress on the bar.
    QMetaObject::Connection m_uploadProgress;
    // The batch running, its targets in view order, and the file it sends.
    BatchQueue* m_batch = nullptr;
    QList<BatchTarget> m_batchTargets;
    QString m_batchPath;
    QString m_batchBareName;
};
