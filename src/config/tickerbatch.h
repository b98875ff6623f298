#pragma once

// One composed ticker delivered to many players, a few at a time, each
// exactly as to one player: the call and the two files by FTP to a real
// player, the files into a virtual player's "tickers" folder. Each player's
// result is kept; ended() gives them all at once.

#include "players/bulkoutcome.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

class BatchQueue;
class CommandChannel;
class PlayerItem;
class TickerUploader;

// Writes the ticker text and the composer's two files of the working
// directory into a virtual player's "tickers" folder; the reason when a file
// could not be written, else empty.
QString writeVirtualTicker(const QString& playerDirectory, const QString& text);

class TickerBatch : public QObject
{
    Q_OBJECT
public:
    // Deliveries that run at once (each holds an FTP connection).
    static constexpr int kConcurrentDeliveries = 4;

    TickerBatch(CommandChannel& channel, const QList<QPointer<PlayerItem>>& players, const QString& text,
                QObject* parent = nullptr);

    void run();
    // The reply (fault empty) or fault of a ticker call from player; false
    // when this batch awaits none from it.
    bool takeReply(const PlayerItem* player, const QString& fault);

signals:
    void ended(const BulkOutcome& outcome);

private:
    struct Delivery {
        QPointer<PlayerItem> player;
        QString name;
        // The call's answer is still to come; the result waits for it.
        bool callOutstanding = false;
        bool awaitingReply = false;
        TickerUploader* uploader = nullptr;
        QString failure;
    };
    void start(int index);
    void fail(int index, const QString& reason);
    // Ends the delivery once its reply and its files are in.
    void settle(int index);

    CommandChannel& m_channel;
    QString m_text;
    QList<Delivery> m_deliveries;
    BatchQueue* m_queue;
};
