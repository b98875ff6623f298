#include "config/displaycommands.h"

#include "config/displaydialogs.h"
#include "config/displaysettings.h"
#include "config/playerdialogscope.h"
#include "config/virtualsettings.h"
#include "core/installpaths.h"
#include "players/bulkrun.h"
#include "players/commandchannel.h"
#include "players/playeritem.h"
#include "players/playerscontroller.h"
#include "ui/prompts.h"

#include <QCursor>
#include <QImage>
#include <QMenu>
#include <QPointer>
#include <QProxyStyle>

#include <algorithm>
#include <memory>

using namespace display;

namespace {

const QString getScaleWindow = QStringLiteral("Kivo.GetScaleWindow");
const QString getVolume = QStringLiteral("Kivo.GetVolume");

// Gives the layout menu's entries room for the whole layout pictures.
class LayoutMenuStyle : public QProxyStyle
{
public:
    int pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const override
    {
        if (metric == PM_SmallIconSize)
            return 114;
        return QProxyStyle::pixelMetric(metric, option, widget);
    }
};

QSize layoutPictureSize(int index)
{
    return artwork::isPortraitLayout(index) ? QSize(64, 114) : QSize(114, 64);
}

} // namespace

DisplayCommands::DisplayCommands(CommandChannel& channel, QWidget* window, QObject* parent)
    : QObject(parent)
    , m_channel(channel)
    , m_window(window)
{
    for (int index = 0; index < artwork::screenLayoutCount; ++index) {
        const QString path = installpaths::dataFile(artwork::screenLayoutFileName(index));
        const QImage image = path.isEmpty() ? QImage() : QImage(path);
        if (!image.isNull())
            m_layoutPictures[index] = QPixmap::fromImage(
                image.scaled(layoutPictureSize(index), Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    }
    connect(&channel, &CommandChannel::replied, this, &DisplayCommands::handleReply);
    connect(&channel, &CommandChannel::failed, this, &DisplayCommands::handleFailure);
}

QPixmap DisplayCommands::layoutPicture(int index) const
{
    if (index < 0 || index >= artwork::screenLayoutCount)
        return {};
    return m_layoutPictures[index];
}

std::optional<int> DisplayCommands::chooseVideoMode(const std::function<bool(const VideoMode&)>& ticked)
{
    const std::unique_ptr<QMenu> menu(new QMenu(m_window));
    int group = videoModes().first().group;
    for (const VideoMode& mode : videoModes()) {
        if (mode.group != group) {
            menu->addSeparator();
            group = mode.group;
        }
        QAction* entry = menu->addAction(tr(mode.label));
        entry->setData(mode.id);
        entry->setCheckable(true);
        entry->setChecked(ticked(mode));
    }
    QAction* chosen = prompts().execMenu(menu.get(), QCursor::pos());
    if (!chosen)
        return std::nullopt;
    return chosen->data().toInt();
}

std::optional<int> DisplayCommands::chooseScreenLayout(const std::function<bool(int)>& ticked)
{
    // Declared before the menu, which uses it until it is gone.
    LayoutMenuStyle style;
    const std::unique_ptr<QMenu> menu(new QMenu(m_window));
    menu->setStyle(&style);
    for (const int layout : offeredScreenLayouts()) {
        const QPixmap picture = layoutPicture(layout);
        // Without its picture an entry still needs something to click on.
        QAction* entry = picture.isNull() ? menu->addAction(tr("Layout %1").arg(layout))
                                          : menu->addAction(QIcon(picture), QString());
        entry->setData(layout);
        entry->setCheckable(true);
        entry->setChecked(ticked(layout));
    }
    QAction* chosen = prompts().execMenu(menu.get(), QCursor::pos());
    if (!chosen)
        return std::nullopt;
    return chosen->data().toInt();
}

void DisplayCommands::VideoModeMenu(PlayerItem* item, const QPoint&)
{
    if (!item)
        return;
    const QPointer<PlayerItem> player(item);
    const QString current = item->videoMode();
    const std::optional<int> chosen = chooseVideoMode([&](const VideoMode& mode) {
        return videoModeMatches(mode, current);
    });
    const QString modeName = chosen ? videoModeName(*chosen) : QString();
    if (modeName.isEmpty())
        return;
    // The menu is modal, but the player may have gone while it was open.
    if (!player) {
        showWarning(m_window, tr("Operational error"), tr("No player is selected"));
        return;
    }
    if (player->isVirtual()) {
        player->setVideoMode(modeName);
        writeVirtualSettings(m_window, player, QString::fromLatin1(kVideoFile), videoEnvironment(modeName));
    } else {
        m_channel.send(player, QStringLiteral("Kivo.VideoMode"), {modeName});
    }
}

void DisplayCommands::ScreenLayoutMenu(PlayerItem* item, const QPoint&)
{
    if (!item)
        return;
    const QPointer<PlayerItem> player(item);
    const int current = item->screenLayout();
    const std::optional<int> layout = chooseScreenLayout([current](int entry) { return entry == current; });
    if (!layout)
        return;
    if (!player) {
        showWarning(m_window, tr("Operational error"), tr("No player is selected"));
        return;
    }
    if (player->isVirtual())
        writeVirtualSettings(m_window, player, QString::fromLatin1(kScreenFile), screenEnvironment(*layout));
    else
        m_channel.send(player, QStringLiteral("Kivo.SetScreenLayout"), {QString::number(*layout)});
}

void DisplayCommands::bulkVideoModeMenu(PlayersController& players, const QList<QPointer<PlayerItem>>& selected)
{
    const auto everyPlayerHas = [&selected](const VideoMode& mode) {
        return std::all_of(selected.cbegin(), selected.cend(), [&mode](const QPointer<PlayerItem>& player) {
            return player && videoModeMatches(mode, player->videoMode());
        });
    };
    const std::optional<int> chosen = chooseVideoMode(everyPlayerHas);
    const QString modeName = chosen ? videoModeName(*chosen) : QString();
    if (modeName.isEmpty())
        return;
    CommandChannel& channel = m_channel;
    BulkRun::reported(players, PlayersController::entryText(3), selected, [&channel, modeName](PlayerItem* player) {
        if (player->isReal())
            return BulkRun::Step::sent(
                {channel.send(player, QStringLiteral("Kivo.VideoMode"), {modeName}, CommandChannel::Delivery::Quiet)});
        player->setVideoMode(modeName);
        const QString failure =
            storeVirtualSettings(player, QString::fromLatin1(kVideoFile), videoEnvironment(modeName));
        return failure.isEmpty() ? BulkRun::Step::done() : BulkRun::Step::failed(failure);
    })->start();
}

void DisplayCommands::bulkScreenLayoutMenu(PlayersController& players, const QList<QPointer<PlayerItem>>& selected)
{
    const auto everyPlayerHas = [&selected](int layout) {
        return std::all_of(selected.cbegin(), selected.cend(), [layout](const QPointer<PlayerItem>& player) {
            return player && player->screenLayout() == layout;
        });
    };
    const std::optional<int> layout = chooseScreenLayout(everyPlayerHas);
    if (!layout)
        return;
    CommandChannel& channel = m_channel;
    const int chosen = *layout;
    BulkRun::reported(players, PlayersController::entryText(11), selected, [&channel, chosen](PlayerItem* player) {
        if (player->isReal())
            return BulkRun::Step::sent({channel.send(player, QStringLiteral("Kivo.SetScreenLayout"),
                                                     {QString::number(chosen)}, CommandChannel::Delivery::Quiet)});
        const QString failure =
            storeVirtualSettings(player, QString::fromLatin1(kScreenFile), screenEnvironment(chosen));
        return failure.isEmpty() ? BulkRun::Step::done() : BulkRun::Step::failed(failure);
    })->start();
}

void DisplayCommands::bulkVolumeDialog(PlayersController& players, const QList<QPointer<PlayerItem>>& selected)
{
    const std::unique_ptr<Volume_dialog> dialog(new Volume_dialog(m_window, QStringLiteral("VolumeControl")));
    dialog->awaitChoice(tr("Choose the volume for %n players.", nullptr, int(selected.size())));
    std::optional<int> volume;
    connect(dialog.get(), &Volume_dialog::set_player_volume, this, [&volume](int chosen) { volume = chosen; });
    if (prompts().execDialog(dialog.get()) != QDialog::Accepted || !volume)
        return;
    CommandChannel& channel = m_channel;
    const int chosen = *volume;
    BulkRun::reported(players, PlayersController::entryText(24), selected, [&channel, chosen](PlayerItem* player) {
        return quietCallToRealPlayer(channel, player, QStringLiteral("Kivo.SetVolume"), {chosen});
    })->start();
}

void DisplayCommands::openScaleWindowDialog(PlayerItem* item)
{
    if (!item)
        return;
    const std::unique_ptr<ScaleWindowDialog> dialog(
        new ScaleWindowDialog(m_window, QString::fromLatin1(playerDialogName(item))));
    if (!connect(dialog.get(), &ScaleWindowDialog::UpdateScaleWindowDimension, this, &DisplayCommands::SetScaleWindow))
        showCritical(m_window, tr("Scale Window Menu"), tr("connect(UpdateScaleWindowDimension) fails"),
                     QMessageBox::Ignore);
    if (!connect(this, &DisplayCommands::received_scale_window_parameters, dialog.get(), &ScaleWindowDialog::fill_XYWH))
        showCritical(m_window, tr("Scale Window Menu"), tr("connect(receive new parameters) fails"), QMessageBox::Ignore);
    PlayerDialogScope scope(m_open, item, dialog.get(), &dialog->valuesGate());
    if (m_channel.send(item, getScaleWindow))
        scope.awaitReply(getScaleWindow);
    scope.exec();
}

void DisplayCommands::openVolumeDialog(PlayerItem* item)
{
    if (!item)
        return;
    const std::unique_ptr<Volume_dialog> dialog(new Volume_dialog(m_window, QStringLiteral("VolumeControl")));
    if (!connect(this, &DisplayCommands::received_player_volume, dialog.get(), &Volume_dialog::set_volume_Slot))
        showInformation(m_window, tr("SET VOLUME MENU"), tr("Fail to connect volume slots, volume control will not work."));
    if (!connect(dialog.get(), &Volume_dialog::set_player_volume, this, &DisplayCommands::set_player_volume_Slot))
        showInformation(m_window, tr("SET VOLUME MENU"),
                        tr("Fail to connect set volume slot, volume control will not work."));
    PlayerDialogScope scope(m_open, item, dialog.get(), &dialog->valuesGate());
    if (m_channel.send(item, getVolume))
        scope.awaitReply(getVolume);
    scope.exec();
}

void DisplayCommands::SetScaleWindow(int x, int y, int w, int h)
{
    if (PlayerItem* item = m_open ? m_open->player() : nullptr) {
        m_channel.send(item, QStringLiteral("Kivo.SetScaleWindow"),
                       {QString::number(x), QString::number(y), QString::number(w), QString::number(h)});
    }
}

void DisplayCommands::set_player_volume_Slot(int volume)
{
    if (PlayerItem* item = m_open ? m_open->player() : nullptr)
        m_channel.send(item, QStringLiteral("Kivo.SetVolume"), {volume});
}

void DisplayCommands::handleReply(const QString& method, PlayerItem* player, const QVariant& result)
{
    switch (replyBranch(method)) {
    // Settings sent to many players end in one report, not a box per player.
    case ReplyBranch::VideoMode:
        if (!m_channel.replyIsQuiet())
            showInformation(m_window, tr("Set Video mode"), tr("Restart this playback to see the new video mode."));
        break;
    case ReplyBranch::SetScreenLayout:
        if (!m_channel.replyIsQuiet())
            showInformation(m_window, tr("Set Screen Layout"), tr("Restart the player to see the new screen layout."));
        break;
    case ReplyBranch::SetScaleWindow:
        showInformation(m_window, tr("Scale Window"), tr("Restart the playback to see the new scaled screen."));
        break;
    case ReplyBranch::GetScreenLayout: {
        // A reply without a readable number leaves the layout unknown.
        const std::optional<QList<int>> layout = replyIntegers(result, 1);
        player->setScreenLayout(layout ? layout->first() : -1);
        break;
    }
    case ReplyBranch::GetScaleWindow:
        if (m_open && m_open->awaits(method, player)) {
            const std::optional<QList<int>> window = replyIntegers(result, 4);
            if (!window) {
                m_open->readFailed(tr("The player's scale window could not be read from its reply."));
                break;
            }
            emit received_scale_window_parameters(window->at(0), window->at(1), window->at(2), window->at(3));
            m_open->valuesRead();
        }
        break;
    case ReplyBranch::GetVolume:
        if (m_open && m_open->awaits(method, player)) {
            const std::optional<QList<int>> volume = replyIntegers(result, 1);
            if (!volume) {
                m_open->readFailed(tr("The player's volume could not be read from its reply."));
                break;
            }
            emit received_player_volume(volume->first());
            m_open->valuesRead();
        }
        break;
    default:
        break;
    }
}

void DisplayCommands::handleFailure(const QString& method, PlayerItem* player, const QString& message)
{
    if (m_open && m_open->awaits(method, player))
        m_open->readFailed(message);
}
