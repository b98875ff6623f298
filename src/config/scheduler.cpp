// The main window's side of the task scheduler: reading and storing a
// player's crontab, by call for a real player and as "/sys/root" for a
// virtual one.

#include "window/kvo_form.h"

#include "core/atomicfile.h"
#include "config/schedulerdialog.h"
#include "config/schedulerrules.h"
#include "config/schedulertarget.h"
#include "players/playeritem.h"
#include "ui/prompts.h"

#include <QFile>
#include <QTextStream>

namespace {

QString crontabPath(const PlayerItem* item)
{
    return item->virtualDirectory() + QLatin1String("/sys/root");
}

} // namespace

PlayerItem* kvo_Form::configTarget(bool* gone)
{
    *gone = false;
    if (!m_configTarget.active)
        return currentPlayer();
    if (m_configTarget.player)
        return m_configTarget.player;
    // The player went (silent for too long) while its dialog was open: what
    // the dialog asks for must reach no other player.
    *gone = true;
    showWarning(this, tr("Operational error"), tr("No player is selected"));
    return nullptr;
}

bool kvo_Form::isConfigReplyWanted(const PlayerItem* owner) const
{
    // A late reply of another player (or of one that has gone) must not fill
    // the dialog of the player now being edited.
    return !m_configTarget.active || (owner && owner == m_configTarget.player);
}

void kvo_Form::openSchedulerDialog(PlayerItem* item)
{
    if (!item)
        return;
    ConfigDialogScope scope(this, item);
    auto* dialog = new schedule_event_Dialog(this, playerDialogName(item).constData(), true);
    connect(dialog, &schedule_event_Dialog::update_crontab_view, this, &kvo_Form::get_crontab);
    connect(this, &kvo_Form::Clear_Crontab_listView, dialog, &schedule_event_Dialog::Clear_Crontab);
    connect(this, &kvo_Form::Append_Crontab_listView, dialog, &schedule_event_Dialog::Append_Crontab);
    connect(dialog, &schedule_event_Dialog::commit_crontab, this, &kvo_Form::set_crontab_Slot);
    get_crontab();
    prompts().execDialog(dialog);
    delete dialog;
}

void kvo_Form::get_crontab()
{
    bool gone = false;
    PlayerItem* player = configTarget(&gone);
    if (!player)
        return;
    if (!player->isVirtual()) {
        sendCommand(player, QStringLiteral("Kivo.GetCrontab"));
        return;
    }
    emit Clear_Crontab_listView();
    QFile file(crontabPath(player));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return;
    QTextStream lines(&file);
    while (!lines.atEnd())
        emit Append_Crontab_listView(lines.readLine());
}

void kvo_Form::showCrontabReply(PlayerItem* owner, const QVariant& result)
{
    if (!isConfigReplyWanted(owner))
        return;
    emit Clear_Crontab_listView();
    for (const QVariant& element : result.toList()) {
        const QString line = element.toString().trimmed();
        if (!line.isEmpty() && !line.startsWith(QLatin1Char('#')))
            emit Append_Crontab_listView(line);
    }
}

void kvo_Form::set_crontab_Slot(QStringList table)
{
    bool gone = false;
    PlayerItem* player = configTarget(&gone);
    if (!player)
        return;
    if (!player->isVirtual()) {
        sendCommand(player, QStringLiteral("Kivo.SetCrontab"), QVariantList(table.begin(), table.end()));
        return;
    }
    QString error;
    if (!writeFileAtomically(crontabPath(player), scheduling::crontabFileBytes(table), &error))
        showWarning(this, tr("Task scheduler"),
                    tr("The schedule could not be written to %1: %2").arg(crontabPath(player), error));
}
