// A player's output settings from the main window: the video mode and screen
// layout menus, the scale-window and volume dialogs, and their replies.

#include "window/kvo_form.h"

#include "config/displaydialogs.h"
#include "config/displaysettings.h"
#include "players/playeritem.h"
#include "ui/prompts.h"

#include <QCursor>
#include <QMenu>
#include <QProxyStyle>
#include <QTimer>

#include <memory>

using namespace display;

namespace {

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

} // namespace

void kvo_Form::VideoModeMenu(PlayerItem* item, const QPoint&)
{
    if (!item)
        return;
    const QPointer<PlayerItem> player(item);
    const std::unique_ptr<QMenu> menu(new QMenu(this));
    int group = videoModes().first().group;
    for (const VideoMode& mode : videoModes()) {
        if (mode.group != group) {
            menu->addSeparator();
            group = mode.group;
        }
        QAction* entry = menu->addAction(tr(mode.label));
        entry->setData(mode.id);
        entry->setCheckable(true);
        entry->setChecked(videoModeMatches(mode, item->videoMode()));
    }
    QAction* chosen = prompts().execMenu(menu.get(), QCursor::pos());
    if (!chosen)
        return;
    const QString modeName = videoModeName(chosen->data().toInt());
    if (modeName.isEmpty())
        return;
    // The menu is modal, but the player may have gone while it was open.
    if (!player) {
        showWarning(this, tr("Operational error"), tr("No player is selected"));
        return;
    }
    if (player->isVirtual()) {
        player->setVideoMode(modeName);
        writeVirtualSettings(player, QString::fromLatin1(kVideoFile), videoEnvironment(modeName));
    } else {
        sendCommand(player, QStringLiteral("Kivo.VideoMode"), {modeName});
    }
}

void kvo_Form::ScreenLayoutMenu(PlayerItem* item, const QPoint&)
{
    if (!item)
        return;
    const QPointer<PlayerItem> player(item);
    // Declared before the menu, which uses it until it is gone.
    LayoutMenuStyle style;
    const std::unique_ptr<QMenu> menu(new QMenu(this));
    menu->setStyle(&style);
    for (const int layout : offeredScreenLayouts()) {
        const QPixmap picture = layoutPicture(layout);
        // Without its picture an entry still needs something to click on.
        QAction* entry = picture.isNull() ? menu->addAction(tr("Layout %1").arg(layout))
                                          : menu->addAction(QIcon(picture), QString());
        entry->setData(layout);
        entry->setCheckable(true);
        entry->setChecked(layout == item->screenLayout());
    }
    QAction* chosen = prompts().execMenu(menu.get(), QCursor::pos());
    if (!chosen)
        return;
    if (!player) {
        showWarning(this, tr("Operational error"), tr("No player is selected"));
        return;
    }
    const int layout = chosen->data().toInt();
    if (player->isVirtual())
        writeVirtualSettings(player, QString::fromLatin1(kScreenFile), screenEnvironment(layout));
    else
        sendCommand(player, QStringLiteral("Kivo.SetScreenLayout"), {QString::number(layout)});
}

void kvo_Form::openScaleWindowDialog(PlayerItem* item)
{
    if (!item)
        return;
    const std::unique_ptr<ScaleWindowDialog> dialog(new ScaleWindowDialog(this, item->name()));
    if (!connect(dialog.get(), &ScaleWindowDialog::UpdateScaleWindowDimension, this, &kvo_Form::SetScaleWindow))
        showCritical(this, tr("Scale Window Menu"), tr("connect(UpdateScaleWindowDimension) fails"), QMessageBox::Ignore);
    if (!connect(this, &kvo_Form::received_scale_window_parameters, dialog.get(), &ScaleWindowDialog::fill_XYWH))
        showCritical(this, tr("Scale Window Menu"), tr("connect(receive new parameters) fails"), QMessageBox::Ignore);
    sendCommand(item, QStringLiteral("Kivo.GetScaleWindow"));
    runSettingsDialog(dialog.get(), item);
}

void kvo_Form::openVolumeDialog(PlayerItem* item)
{
    if (!item)
        return;
    const std::unique_ptr<Volume_dialog> dialog(new Volume_dialog(this, QStringLiteral("VolumeControl")));
    if (!connect(this, &kvo_Form::received_player_volume, dialog.get(), &Volume_dialog::set_volume_Slot)) {
        showInformation(this, tr("SET VOLUME MENU"), tr("Fail to connect volume slots, volume control will not work."));
    }
    if (!connect(dialog.get(), &Volume_dialog::set_player_volume, this, &kvo_Form::set_player_volume_Slot)) {
        showInformation(this, tr("SET VOLUME MENU"),
                        tr("Fail to connect set volume slot, volume control will not work."));
    }
    sendCommand(item, QStringLiteral("Kivo.GetVolume"));
    runSettingsDialog(dialog.get(), item);
}

void kvo_Form::SetScaleWindow(int x, int y, int w, int h)
{
    if (PlayerItem* item = settingsTarget(false)) {
        sendCommand(item, QStringLiteral("Kivo.SetScaleWindow"),
                    {QString::number(x), QString::number(y), QString::number(w), QString::number(h)});
    }
}

void kvo_Form::set_player_volume_Slot(int volume)
{
    if (PlayerItem* item = settingsTarget(false))
        sendCommand(item, QStringLiteral("Kivo.SetVolume"), {volume});
}

void kvo_Form::videoModeReply()
{
    showInformation(this, tr("Set Video mode"), tr("Restart this playback to see the new video mode."));
}

void kvo_Form::screenLayoutSetReply()
{
    showInformation(this, tr("Set Screen Layout"), tr("Restart the player to see the new screen layout."));
}

void kvo_Form::screenLayoutReply(PlayerItem* item, const QVariant& result)
{
    // A reply without a readable number leaves the layout unknown.
    const std::optional<QList<int>> layout = replyIntegers(result, 1);
    item->setScreenLayout(layout ? layout->first() : -1);
}

void kvo_Form::scaleWindowSetReply()
{
    showInformation(this, tr("Scale Window"), tr("Restart the playback to see the new scaled screen."));
}

void kvo_Form::scaleWindowReply(const QVariant& result)
{
    const std::optional<QList<int>> window = replyIntegers(result, 4);
    if (!window) {
        statusBar()->showMessage(tr("The player's scale window could not be read from its reply."));
        return;
    }
    emit received_scale_window_parameters(window->at(0), window->at(1), window->at(2), window->at(3));
}

void kvo_Form::volumeReply(const QVariant& result)
{
    const std::optional<QList<int>> volume = replyIntegers(result, 1);
    if (volume) {
        emit received_player_volume(volume->first());
        return;
    }
    statusBar()->showMessage(tr("The player's volume could not be read from its reply."));
}
