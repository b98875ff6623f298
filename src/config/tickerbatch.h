#pragma once

// One composed ticker delivered to many players, a few at a time, each
// exactly as to one player: the call and the two files by FTP to a real
// player, the files into a virtual player's "tickers" folder. Each player's
// result is kept; ended() gives them all at once. Calls are sent quietly:
// their faults count in the results, not in boxes of their own.

#include "players/bulkoutcome.h"

#include <QHash>
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

signals:
    void ended(const BulkOutcome& outcome);

private:
    struct Delivery {
        QPointer<PlayerItem> player;
        QString name;
        // The call's answer is still to come; the result waits for it.
        bool awaitingReply = false;
        TickerUploader* uploader = nullptr;
        QString failure;
    };
    void start(int index);
    void fail(int index, const QString& reason);
    // The answer to a call, failed when failure is not empty.
    void requestEnded(int id, const QString& failure);
    // Ends the delivery once its reply and its files are in.
    void settle(int index);

    CommandChannel& m_channel;
    QString m_text;
    QList<Delivery> m_deliveries;
    // The delivery of every call sent.
    QHash<int, int> m_requests;
    BatchQueue* m_queue;
};
