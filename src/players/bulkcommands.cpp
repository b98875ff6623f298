#include "players/bulkcommands.h"

#include "core/displaytext.h"
#include "players/bulkrun.h"
#include "players/commandchannel.h"
#include "players/playeritem.h"
#include "players/playerscontroller.h"
#include "ui/prompts.h"
#include "xmlrpc/xrclient.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QHash>
#include <QHeaderView>
#include <QTableWidget>
#include <QVBoxLayout>

#include <memory>

namespace {

constexpr int kPlayAllFiles = PlayersController::kPlayAllFilesEntry;
constexpr int kStorageSpace = 1;
constexpr int kFirmwareVersion = 4;
constexpr int kRestart = 5;
constexpr int kSleep = 13;

const char* const kClosedByRestart = "Server closed connection unexpectedly";

} // namespace

QDialog* bulkTableDialog(QWidget* parent, const QString& title, const QString& valueHeading,
                         const QList<QPair<QString, QString>>& rows)
{
    auto* dialog = new QDialog(parent);
    dialog->setObjectName(QStringLiteral("BulkResultsDialog"));
    dialog->setWindowTitle(title);
    auto* table = new QTableWidget(int(rows.size()), 2, dialog);
    table->setObjectName(QStringLiteral("BulkResultsTable"));
    table->setHorizontalHeaderLabels({BulkCommands::tr("Player"), valueHeading});
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->verticalHeader()->hide();
    table->horizontalHeader()->setStretchLastSection(true);
    for (int row = 0; row < rows.size(); ++row) {
        table->setItem(row, 0, new QTableWidgetItem(elideForDisplay(rows[row].first, displaylimit::kValue)));
        table->setItem(row, 1, new QTableWidgetItem(elideForDisplay(rows[row].second, displaylimit::kValue)));
    }
    table->resizeColumnToContents(0);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    auto* layout = new QVBoxLayout(dialog);
    layout->addWidget(table);
    layout->addWidget(buttons);
    dialog->resize(560, 360);
    return dialog;
}

BulkCommands::BulkCommands(PlayersController& players, QWidget* window, QObject* parent)
    : QObject(parent)
    , m_players(players)
    , m_window(window)
{
}

bool BulkCommands::confirm(int entry, const QString& question)
{
    return showMessage(Prompts::Kind::Question, m_window, PlayersController::entryText(entry), question,
                       QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
        == QMessageBox::Yes;
}

void BulkCommands::playAllFiles(const QList<QPointer<PlayerItem>>& players)
{
    CommandChannel& channel = m_players.channel();
    BulkRun::reported(m_players, PlayersController::entryText(kPlayAllFiles), players, [&channel](PlayerItem* player) {
        return quietCallToRealPlayer(channel, player, QStringLiteral("Kivo.PlayALL"));
    })->start();
}

void BulkCommands::sleep(const QList<QPointer<PlayerItem>>& players)
{
    if (!confirm(kSleep, tr("Put %n players to sleep?", nullptr, int(players.size()))))
        return;
    CommandChannel& channel = m_players.channel();
    BulkRun::reported(m_players, PlayersController::entryText(kSleep), players, [&channel](PlayerItem* player) {
        return quietCallToRealPlayer(channel, player, QStringLiteral("Kivo.Sleep"));
    })->start();
}

void BulkCommands::restart(const QList<QPointer<PlayerItem>>& players)
{
    const int count = int(players.size());
    if (!confirm(kRestart, tr("Restart %n players? Each leaves the view and registers anew.", nullptr, count)))
        return;
    CommandChannel& channel = m_players.channel();
    BulkRun* run = BulkRun::reported(m_players, PlayersController::entryText(kRestart), players,
                                     [&channel](PlayerItem* player) {
                                         return quietCallToRealPlayer(channel, player, QStringLiteral("Kivo.Reboot"));
                                     });
    // A player that restarts at once may close the connection before it answers.
    run->setFaultJudge([](const QString& message) { return message == QLatin1String(kClosedByRestart); });
    connect(run, &BulkRun::playerSettled, this, [this](PlayerItem* player) {
        if (player && player->isReal())
            m_players.delete_player(player);
    });
    run->start();
}

void BulkCommands::firmwareVersions(const QList<QPointer<PlayerItem>>& players)
{
    tabulate(kFirmwareVersion, players, QStringLiteral("Kivo.FirmwareVersion"),
             [](PlayerItem*, const QVariant& result, QString* failure) {
                 if (result.typeId() != QMetaType::QVariantList) {
                     *failure = tr("the version could not be read from its reply");
                     return QString();
                 }
                 return result.toList().value(0).toString();
             },
             [](PlayerItem*, QString* failure) {
                 *failure = BulkRun::Step::notForVirtualPlayers().failure;
                 return QString();
             });
}

void BulkCommands::storageSpace(const QList<QPointer<PlayerItem>>& players, VirtualStorage virtualStorage)
{
    tabulate(kStorageSpace, players, QStringLiteral("Kivo.FreeSpace"),
             [](PlayerItem*, const QVariant& result, QString* failure) {
                 const std::optional<StorageFigures> figures = storageFigures(result);
                 if (!figures) {
                     *failure = tr("the storage figures cannot be right");
                     return QString();
                 }
                 return storageReportText(figures->totalKb, figures->availableKb);
             },
             std::move(virtualStorage));
}

void BulkCommands::tabulate(int entry, const QList<QPointer<PlayerItem>>& players, const QString& method,
                            Reader reader, VirtualStorage virtualValue)
{
    // Values by player name, kept until the table shows them.
    auto values = std::make_shared<QHash<QString, QString>>();
    CommandChannel& channel = m_players.channel();
    auto* run = new BulkRun(m_players, PlayersController::entryText(entry), players,
                            [&channel, method, values, virtualValue](PlayerItem* player) {
                                if (player->isReal())
                                    return BulkRun::Step::sent(
                                        {channel.send(player, method, {}, CommandChannel::Delivery::Quiet)});
                                QString failure;
                                const QString value = virtualValue(player, &failure);
                                if (!failure.isEmpty())
                                    return BulkRun::Step::failed(failure);
                                values->insert(player->name(), value);
                                return BulkRun::Step::done();
                            },
                            &m_players);
    run->setReplyReader([values, reader](PlayerItem* player, const QString&, const QVariant& result) {
        QString failure;
        const QString value = reader(player, result, &failure);
        if (failure.isEmpty())
            values->insert(player->name(), value);
        return failure;
    });
    QStringList names;
    for (const QPointer<PlayerItem>& player : players)
        names.append(player ? player->name() : QString());
    connect(run, &BulkRun::settled, this, [this, run, entry, names, values](const BulkOutcome& outcome) {
        run->deleteLater();
        QHash<QString, QString> reasons;
        for (const auto& [name, reason] : outcome.failures)
            reasons.insert(name, reason);
        QList<QPair<QString, QString>> rows;
        for (const QString& name : names)
            rows.append({name, reasons.contains(name) ? reasons.value(name) : values->value(name)});
        const std::unique_ptr<QDialog> dialog(
            bulkTableDialog(m_window, outcome.action, PlayersController::entryText(entry), rows));
        prompts().execDialog(dialog.get());
        m_players.reportBulkOutcome(outcome, true);
    });
    run->start();
}
