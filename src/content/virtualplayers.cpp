#include "content/virtualplayers.h"

#include "core/repositorypath.h"
#include "players/playeritem.h"
#include "players/playerregistry.h"
#include "players/playerscontroller.h"
#include "ui/namedwidgets.h"
#include "ui/prompts.h"

#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

namespace {

QString mirrorsPath()
{
    return repositoryPath() + QStringLiteral("/MIRRORS");
}

} // namespace

virtual_player_name::virtual_player_name(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("virtual_player_name"));
    setModal(true);
    virtual_player_name_textLabel = new QLabel(this);
    virtual_player_name_textLabel->setObjectName(QStringLiteral("virtual_player_name_textLabel"));
    virtual_player_name_lineEdit = new QLineEdit(this);
    virtual_player_name_lineEdit->setObjectName(QStringLiteral("virtual_player_name_lineEdit"));
    virtual_player_name_textLabel->setBuddy(virtual_player_name_lineEdit);
    virtual_player_name_lineEdit->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("\\w+")), virtual_player_name_lineEdit));
    buttonOk = named(new QPushButton(this), "buttonOk");
    buttonOk->setDefault(true);
    buttonCancel = named(new QPushButton(this), "buttonCancel");

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(buttonOk);
    buttons->addWidget(buttonCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(virtual_player_name_textLabel);
    layout->addWidget(virtual_player_name_lineEdit);
    layout->addLayout(buttons);

    connect(buttonOk, &QPushButton::clicked, this, &virtual_player_name::got_virtual_player_name);
    connect(buttonCancel, &QPushButton::clicked, this, &QDialog::reject);
    languageChange();
}

void virtual_player_name::languageChange()
{
    setWindowTitle(tr("Virtual Player Name"));
    virtual_player_name_textLabel->setText(tr("Enter name for the new virtual player or player group:"));
    buttonOk->setText(tr("&OK"));
    buttonCancel->setText(tr("&Cancel"));
}

void virtual_player_name::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange)
        languageChange();
    QDialog::changeEvent(event);
}

void virtual_player_name::got_virtual_player_name()
{
    const QString name = virtual_player_name_lineEdit->text().trimmed();
    if (name.isEmpty()) {
        reject();
        return;
    }
    if (m_taken && m_taken(name)) {
        showWarning(this, tr("Virtual Player Name"),
                    tr("There is already a player named %1. Please choose another name.").arg(name));
        virtual_player_name_lineEdit->selectAll();
        return;
    }
    emit add_new_virtual_player(name);
    accept();
}

quint64 Slot_du(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return 0;
    if (info.isFile())
        return quint64(info.size());
    if (!info.isDir())
        return 0;
    quint64 total = 0;
    const QString absolute = info.absoluteFilePath();
    for (const QFileInfo& entry : QDir(path).entryInfoList()) {
        if (entry.absoluteFilePath().length() <= absolute.length())
            continue;
        // A link to a directory may lead back up the tree: it counts as nothing.
        if (entry.isSymLink() && entry.isDir())
            continue;
        total += Slot_du(entry.absoluteFilePath());
    }
    return total;
}

QString virtualStorageText(quint64 bytes)
{
    const quint64 kilobytes = bytes / 1024;
    return VirtualPlayers::tr("Used %1KB (or %2 MB).").arg(kilobytes).arg(double(kilobytes) / 1024.0, 0, 'g', 6);
}

const QStringList& virtualPlayerFolders()
{
    static const QStringList folders{QStringLiteral("contents"), QStringLiteral("playlist"), QStringLiteral("sys"),
                                     QStringLiteral("tickers")};
    return folders;
}

VirtualPlayers::VirtualPlayers(PlayersController* players, QWidget* window, QObject* parent)
    : QObject(parent)
    , m_players(players)
    , m_window(window)
{
}

void VirtualPlayers::create_new_virtual_player()
{
    auto* dialog = new virtual_player_name(m_window);
    dialog->refuseNames([this](const QString& name) { return PlayerRegistry::of(m_players->view())->find(name) != nullptr; });
    connect(dialog, &virtual_player_name::add_new_virtual_player, this, &VirtualPlayers::add_new_virtual_player);
    prompts().execDialog(dialog);
    delete dialog;
}

void VirtualPlayers::add_new_virtual_player(QString name)
{
    const QString mirrors = mirrorsPath();
    const QString directory = mirrors + QLatin1Char('/') + name;
    if (!m_players->addVirtualPlayer(name, directory))
        return;
    if (!QDir(mirrors).exists()) {
        showInformation(m_window, tr("Add new virtual player"), mirrors + tr(" does not exists, created automatically."));
        QDir().mkpath(mirrors);
    }
    QDir().mkpath(directory);
    for (const QString& folder : virtualPlayerFolders())
        QDir().mkpath(directory + QLatin1Char('/') + folder);
}

void VirtualPlayers::recreate()
{
    // After the repository path has changed, files sent to these would land
    // in the old repository.
    QList<PlayerItem*> elsewhere;
    QListWidget* view = m_players->view();
    for (int row = 0; row < view->count(); ++row) {
        PlayerItem* player = asPlayer(view->item(row));
        if (player && player->isVirtual()
            && QDir::cleanPath(QFileInfo(player->virtualDirectory()).path()) != QDir::cleanPath(mirrorsPath()))
            elsewhere.append(player);
    }
    for (PlayerItem* player : elsewhere)
        m_players->discard(player);

    const QDir mirrors(mirrorsPath(), QString(), QDir::Name | QDir::IgnoreCase | QDir::DirsFirst,
                       QDir::Dirs | QDir::Files | QDir::Drives);
    if (!mirrors.exists())
        return;
    for (const QFileInfo& entry : mirrors.entryInfoList()) {
        if (entry.fileName().startsWith(QLatin1Char('.')) || !entry.isDir())
            continue;
        add_new_virtual_player(entry.fileName());
    }
}

void VirtualPlayers::ShowVirtualStorageSpace(PlayerItem* item)
{
    if (!item)
        return;
    QString failure;
    const QString text = virtualStorageReport(item, &failure);
    if (!failure.isEmpty())
        showWarning(m_window, tr("ATTENTION"), failure);
    else
        showInformation(m_window, tr("Required storage space"), text);
}

QString VirtualPlayers::virtualStorageReport(const PlayerItem* item, QString* failure)
{
    const QString directory = item->virtualDirectory();
    const QFileInfo info(directory);
    if (!info.exists()) {
        *failure = tr("Virtual player repository %1 does not exists.").arg(directory);
        return QString();
    }
    if (!info.isDir()) {
        *failure = tr("Virtual player repository path %1 is not a directory.").arg(directory);
        return QString();
    }
    return virtualStorageText(Slot_du(directory));
}

void VirtualPlayers::DeleteVirtualPlayer(PlayerItem* item)
{
    if (!item)
        return;
    const QString directory = item->virtualDirectory();
    const QPointer<PlayerItem> guarded(item);
    const auto answer = showMessage(Prompts::Kind::Question, m_window, tr("Deleting player image"),
                                    tr("%1 is about to be removed, are you sure?").arg(directory),
                                    QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
    if (answer != QMessageBox::Yes || !guarded)
        return;
    if (!QFileInfo::exists(directory) && !QFileInfo(directory).isSymLink()) {
        showWarning(m_window, tr("Deleting player image"), tr("Directory %1 does not exist.").arg(directory));
        return;
    }
    EraseDirectory(QDir(directory));
    m_players->discard(guarded);
}

void VirtualPlayers::EraseDirectory(QDir dir)
{
    const QString path = dir.absolutePath();
    const QFileInfo self(path);
    // A link is removed as a link: what it points to lies outside the tree.
    if (self.isSymLink()) {
        if (!QFile::remove(path))
            showWarning(m_window, tr("Deleting virtual player"), tr("Fail to remove file (%1).").arg(path));
        return;
    }
    if (!dir.exists())
        return;
    // System entries too, so that broken links and other special files go;
    // hidden entries stay, and keep the directory.
    dir.setFilter(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
    dir.setNameFilters({});
    dir.refresh();
    for (const QFileInfo& entry : dir.entryInfoList()) {
        if (entry.isDir() && !entry.isSymLink()) {
            EraseDirectory(QDir(entry.absoluteFilePath()));
            continue;
        }
        if (!QFile::remove(entry.absoluteFilePath()))
            showWarning(m_window, tr("Deleting virtual player"),
                        tr("Fail to remove file (%1).").arg(entry.absoluteFilePath()));
    }
    dir.setFilter(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    dir.refresh();
    if (dir.isEmpty(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot))
        QDir().rmdir(path);
}
