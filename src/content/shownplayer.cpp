#include "content/shownplayer.h"

#include "players/playeritem.h"

PlayerItem* ShownPlayer::player() const
{
    return m_player;
}

bool ShownPlayer::is(const PlayerItem* player) const
{
    return player && player == m_player.data();
}

QString ShownPlayer::label() const
{
    if (m_player || m_name.isEmpty())
        return m_name;
    // A virtual player goes only when the operator deletes it.
    return m_virtual ? tr("%1 (deleted)").arg(m_name) : tr("%1 (offline)").arg(m_name);
}

void ShownPlayer::show(PlayerItem* player)
{
    m_player = player;
    m_name = player ? player->name() : QString();
    m_virtual = player && !player->isReal();
    emit changed();
}

void ShownPlayer::forget(PlayerItem* player)
{
    if (!is(player))
        return;
    m_player = nullptr;
    emit changed();
}
