#pragma once

// Virtual players: directories under the repository's "MIRRORS" folder that
// stand for a player or a group of players.

#include <QDialog>
#include <QDir>
#include <QObject>
#include <QString>

#include <functional>

class PlayerItem;
class PlayersController;
class QLabel;
class QLineEdit;
class QPushButton;

// The dialog that asks for a new virtual player's name (word characters only).
class virtual_player_name : public QDialog
{
    Q_OBJECT
public:
    explicit virtual_player_name(QWidget* parent = nullptr);

    // Names that OK refuses with a warning, the dialog staying open.
    void refuseNames(std::function<bool(const QString&)> taken) { m_taken = std::move(taken); }

    QLabel* virtual_player_name_textLabel;
    QLineEdit* virtual_player_name_lineEdit;
    QPushButton* buttonOk;
    QPushButton* buttonCancel;

signals:
    void add_new_virtual_player(QString name);

public slots:
    virtual void got_virtual_player_name();

protected:
    void changeEvent(QEvent* event) override;

private:
    void languageChange();

    std::function<bool(const QString&)> m_taken;
};

// The disk usage in bytes of a file or a directory tree (visible entries).
// Symbolic links to directories are not descended into.
quint64 Slot_du(const QString& path);

// The storage report's text for a byte count: "Used %1KB (or %2 MB).".
QString virtualStorageText(quint64 bytes);

// The folders every virtual player's directory holds.
const QStringList& virtualPlayerFolders();

// Creates virtual players (a folder and an icon), gives every folder found in
// "MIRRORS" its icon again, reports a virtual player's disk usage and deletes
// one with its folder.
class VirtualPlayers : public QObject
{
    Q_OBJECT
public:
    // window: the parent of the dialogs and boxes.
    VirtualPlayers(PlayersController* players, QWidget* window, QObject* parent = nullptr);

    // An icon for every folder in the repository's "MIRRORS" folder that has
    // none; icons of virtual players of another repository go.
    void recreate();
    // The "Storage space" and "Delete this virtual player" entries of a virtual player's menu.
    void ShowVirtualStorageSpace(PlayerItem* item);
    void DeleteVirtualPlayer(PlayerItem* item);
    // The text of the "Storage space" box; empty, with the reason in
    // *failure, when the folder is missing or no folder.
    static QString virtualStorageReport(const PlayerItem* item, QString* failure);

public slots:
    void create_new_virtual_player();
    void add_new_virtual_player(QString name);
    // Removes a directory tree; links are removed as links, and hidden
    // entries stay, keeping their directories.
    void EraseDirectory(QDir dir);

private:
    PlayersController* m_players;
    QWidget* m_window;
};
