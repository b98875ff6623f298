#include "config/schedulercommands.h"

#include "config/playerdialogscope.h"
#include "config/schedulerdialog.h"
#include "config/schedulerrules.h"
#include "core/atomicfile.h"
#include "core/displaytext.h"
#include "players/commandchannel.h"
#include "players/playeritem.h"
#include "ui/prompts.h"

#include <QFile>
#include <QTextStream>

#include <memory>

namespace {

const QString getCrontab = QStringLiteral("Kivo.GetCrontab");

QString crontabPath(const PlayerItem* player)
{
    return player->virtualDirectory() + QLatin1String("/sys/root");
}

} // namespace

SchedulerCommands::SchedulerCommands(CommandChannel& channel, QWidget* window, QObject* parent)
    : QObject(parent)
    , m_channel(channel)
    , m_window(window)
{
    connect(&channel, &CommandChannel::replied, this, &SchedulerCommands::handleReply);
    connect(&channel, &CommandChannel::failed, this, &SchedulerCommands::handleFailure);
}

void SchedulerCommands::openSchedulerDialog(PlayerItem* item)
{
    if (!item)
        return;
    const std::unique_ptr<schedule_event_Dialog> dialog(
        new schedule_event_Dialog(m_window, playerDialogName(item).constData(), true));
    connect(dialog.get(), &schedule_event_Dialog::update_crontab_view, this, &SchedulerCommands::get_crontab);
    connect(this, &SchedulerCommands::Clear_Crontab_listView, dialog.get(), &schedule_event_Dialog::Clear_Crontab);
    connect(this, &SchedulerCommands::Append_Crontab_listView, dialog.get(), &schedule_event_Dialog::Append_Crontab);
    connect(dialog.get(), &schedule_event_Dialog::commit_crontab, this, &SchedulerCommands::set_crontab_Slot);
    PlayerDialogScope scope(m_open, item, dialog.get(), &dialog->valuesGate());
    get_crontab();
    scope.exec();
}

void SchedulerCommands::get_crontab()
{
    PlayerItem* player = m_open ? m_open->player() : nullptr;
    if (!player)
        return;
    if (!player->isVirtual()) {
        if (m_channel.send(player, getCrontab))
            m_open->awaitReply(getCrontab);
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

void SchedulerCommands::handleReply(const QString& method, PlayerItem* player, const QVariant& result)
{
    if (!m_open || !m_open->awaits(method, player))
        return;
    // Anything but a list would show as an empty table, and committing that
    // would wipe the player's tasks.
    if (result.typeId() != QMetaType::QVariantList) {
        m_open->readFailed(tr("The player's schedule could not be read from its reply."));
        return;
    }
    QStringList tasks;
    ListCap cap;
    for (const QVariant& element : result.toList()) {
        const QString line = element.toString().trimmed();
        if (!line.isEmpty() && !line.startsWith(QLatin1Char('#')) && cap.take(line))
            tasks.append(line);
    }
    // A schedule shown in part would be committed in part, dropping the rest.
    if (cap.leftOut() > 0) {
        m_open->readFailed(tr("The player's schedule holds more than %1 tasks, or tasks too long to be real; it "
                              "is not shown, so that committing it cannot lose any.")
                               .arg(displaylimit::kListRows));
        return;
    }
    emit Clear_Crontab_listView();
    for (const QString& task : tasks)
        emit Append_Crontab_listView(task);
    m_open->valuesRead();
}

void SchedulerCommands::handleFailure(const QString& method, PlayerItem* player, const QString& message)
{
    if (m_open && m_open->awaits(method, player))
        m_open->readFailed(message);
}

void SchedulerCommands::set_crontab_Slot(QStringList table)
{
    PlayerItem* player = m_open ? m_open->player() : nullptr;
    if (!player)
        return;
    if (!player->isVirtual()) {
        m_channel.send(player, QStringLiteral("Kivo.SetCrontab"), QVariantList(table.begin(), table.end()));
        return;
    }
    QString error;
    if (!writeFileAtomically(crontabPath(player), scheduling::crontabFileBytes(table), &error))
        showWarning(m_window, tr("Task scheduler"),
                    tr("The schedule could not be written to %1: %2").arg(crontabPath(player), error));
}
