#include "config/playerdialogscope.h"

#include "config/valuesgate.h"
#include "players/playeritem.h"
#include "ui/prompts.h"

#include <QDialog>

PlayerDialogScope::PlayerDialogScope(PlayerDialogScope*& open, PlayerItem* player, QDialog* dialog, ValuesGate* gate)
    : m_open(open)
    , m_outer(open)
    , m_player(player)
    , m_dialog(dialog)
    , m_playerName(player->name())
    , m_gate(gate)
{
    m_open = this;
    // A player that goes while its values are awaited will never send them.
    m_goneWatch = QObject::connect(player, &QObject::destroyed, [this] {
        if (!m_awaited.isEmpty())
            readFailed(tr("the player has gone offline"));
    });
}

PlayerDialogScope::~PlayerDialogScope()
{
    QObject::disconnect(m_goneWatch);
    m_open = m_outer;
}

int PlayerDialogScope::exec()
{
    return prompts().execDialog(m_dialog);
}

PlayerItem* PlayerDialogScope::player()
{
    if (m_player)
        return m_player;
    // The player went (silent for too long) while its dialog was open: what
    // the dialog asks for must reach no other player.
    if (!m_goneShown) {
        m_goneShown = true;
        showWarning(m_dialog, tr("Operational error"), tr("No player is selected"));
    }
    if (m_dialog)
        m_dialog->reject();
    return nullptr;
}

void PlayerDialogScope::awaitReply(const QString& method)
{
    m_awaited = method;
    if (m_gate)
        m_gate->reading(m_playerName);
}

bool PlayerDialogScope::awaits(const QString& method, const PlayerItem* owner) const
{
    return !m_awaited.isEmpty() && method == m_awaited && owner && owner == m_player;
}

void PlayerDialogScope::valuesRead()
{
    m_awaited.clear();
    if (m_gate)
        m_gate->read();
}

void PlayerDialogScope::readFailed(const QString& reason)
{
    m_awaited.clear();
    if (m_gate)
        m_gate->failed(m_playerName, reason);
}

QByteArray playerDialogName(const PlayerItem* player)
{
    return player->name().toLatin1();
}
