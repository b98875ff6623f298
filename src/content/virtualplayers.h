#pragma once

// Virtual players: directories under the repository's "MIRRORS" folder that
// stand for a player or a group of players.

#include <QDialog>
#include <QString>

class QLabel;
class QLineEdit;
class QPushButton;

// The dialog that asks for a new virtual player's name (word characters only).
class virtual_player_name : public QDialog
{
    Q_OBJECT
public:
    explicit virtual_player_name(QWidget* parent = nullptr);

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
};

// The disk usage in bytes of a file or a directory tree (visible entries).
// Symbolic links to directories are not descended into.
quint64 Slot_du(const QString& path);

// The storage report's text for a byte count: "Used %1KB (or %2 MB).".
QString virtualStorageText(quint64 bytes);

// The folders every virtual player's directory holds.
const QStringList& virtualPlayerFolders();
