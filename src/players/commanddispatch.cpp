// Sending commands to players and routing their replies and faults.

#include "window/kvo_form.h"

#include "core/ownaddress.h"
#include "players/playeritem.h"
#include "ui/events.h"
#include "ui/prompts.h"
#include "xmlrpc/xrclient.h"

int kvo_Form::sendCommand(PlayerItem* item, const QString& method, const QVariantList& params)
{
    XRClient* client = item ? item->client() : nullptr;
    if (!client)
        return 0;
    const int id = client->call(method, params);
    m_commands.record(id, method);
    return id;
}

void kvo_Form::ProcessResponse(int id, const QVariant& result)
{
    if (!m_commands.isRecorded(id))
        return;
    const QString method = m_commands.method(id);
    const ReplyBranch branch = replyBranch(method);
    if (branch == ReplyBranch::None)
        return;

    m_commands.complete(id);
    PlayerItem* owner = m_commands.takeOwner(id);
    if (branch == ReplyBranch::FreeSpace && owner) {
        const QVariantList figures = result.toList();
        owner->setTotalSpace(figures.value(0).toInt());
        owner->setAvailableSpace(figures.value(1).toInt());
    }
    if (branch == ReplyBranch::GetVolume) volumeReply(result);
    statusBar()->showMessage(completionText(method, id, m_commands.outstanding()));
    if (branch == ReplyBranch::GetCrontab) showCrontabReply(owner, result);
    if (branch == ReplyBranch::GetLogList) showLogListReply(owner, result);
    if (branch == ReplyBranch::SetNewTicker) showTickerReply();

    if (branch == ReplyBranch::VideoMode) videoModeReply();
    if (branch == ReplyBranch::SetScreenLayout) screenLayoutSetReply();
    if (branch == ReplyBranch::GetScreenLayout) screenLayoutReply(result);
    if (branch == ReplyBranch::SetScaleWindow) scaleWindowSetReply();
    if (branch == ReplyBranch::GetScaleWindow) scaleWindowReply(result);
    if (branch == ReplyBranch::GetMediaFileList)
        fillStorageFromReply(result);
    if (branch == ReplyBranch::GetList)
        fillPlaylistFromReply(result);

    if (branch == ReplyBranch::FirmwareVersion) {
        showInformation(this, tr("Version information"),
                        tr("Firmware: %1; Server software: %2")
                            .arg(result.toList().value(0).toString(), QString::fromLatin1(kVersionText)));
    }
}

void kvo_Form::ProcessFault(int id, int, const QString& message)
{
    const QString method = m_commands.method(id);
    // Forgotten before the box opens: replies that arrive while it is open
    // must not count this request as outstanding.
    m_commands.complete(id);
    const PlayerItem* owner = m_commands.takeOwner(id);
    events::commandFault(method, events::faultPlayerName(owner ? owner->name() : QString(), sender()), message);
    showInformation(this, method + tr(" Error"), faultMessageText(message));
    statusBar()->showMessage(faultStatusText(id, message));
}
