#pragma once

// A player's ticker: the composer opened for a player, and the delivery of
// the composed ticker to that player, by call and FTP to a real player or as
// files into a virtual player's "tickers" folder.

#include "players/bulkoutcome.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QVariant>

class CommandChannel;
class PlayerDialogScope;
class PlayerItem;
class QWidget;
class TickerUploader;

class TickerCommands : public QObject
{
    Q_OBJECT
public:
    // window: the parent of the composer and boxes.
    TickerCommands(CommandChannel& channel, QWidget* window, QObject* parent = nullptr);

    // The "Compose new ticker message" entry.
    void openTickerDialog(PlayerItem* player);
    // The entry for several players: the composer once, its ticker delivered
    // to each of them; bulkDelivered() tells the results.
    void openTickerDialog(const QList<QPointer<PlayerItem>>& players);

signals:
    void bulkDelivered(const BulkOutcome& outcome);

public slots:
    // Delivers the ticker files of the working directory and text to the
    // open composer's player.
    void StartTickerFunction(QString text);

private:
    void handleReply(const QString& method, PlayerItem* player, const QVariant& result);

    CommandChannel& m_channel;
    QWidget* m_window;
    PlayerDialogScope* m_open = nullptr;
    TickerUploader* m_uploader = nullptr;
};
