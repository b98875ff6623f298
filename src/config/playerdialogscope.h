#pragma once

// The player a dialog was opened for, for as long as the dialog runs. The
// slots that the dialog's signals reach act on that player only, never on
// whichever player is current: once it has gone they warn the operator once
// and close the dialog. A reply reaches the dialog only when it comes from
// that player and carries the values the dialog is waiting for.

#include <QCoreApplication>
#include <QMetaObject>
#include <QPointer>
#include <QString>

class PlayerItem;
class QDialog;
class ValuesGate;

class PlayerDialogScope
{
    Q_DECLARE_TR_FUNCTIONS(PlayerDialogScope)
public:
    // Marks dialog as the open dialog in open until the scope ends, when the
    // earlier mark returns. gate: the dialog's, when it shows the player's values.
    PlayerDialogScope(PlayerDialogScope*& open, PlayerItem* player, QDialog* dialog, ValuesGate* gate = nullptr);
    ~PlayerDialogScope();
    PlayerDialogScope(const PlayerDialogScope&) = delete;
    PlayerDialogScope& operator=(const PlayerDialogScope&) = delete;

    // Runs the dialog modally; returns its result.
    int exec();
    // The dialog's player, or null once it has gone (the operator is warned
    // once and the dialog rejected).
    PlayerItem* player();

    // The dialog shows the player's values once the reply to method has come;
    // until then its gate says that it is reading.
    void awaitReply(const QString& method);
    // Whether a reply to method from owner brings the values the dialog awaits.
    bool awaits(const QString& method, const PlayerItem* owner) const;
    // The awaited values are shown; or they could not be read, and why.
    void valuesRead();
    void readFailed(const QString& reason);

private:
    PlayerDialogScope*& m_open;
    PlayerDialogScope* m_outer;
    QPointer<PlayerItem> m_player;
    QPointer<QDialog> m_dialog;
    QString m_playerName;
    ValuesGate* m_gate;
    QString m_awaited;
    QMetaObject::Connection m_goneWatch;
    bool m_goneShown = false;
};

// The object name of a dialog opened for player: the player's name in ASCII.
QByteArray playerDialogName(const PlayerItem* player);
