// What the repository's buttons create and remove: virtual players and AV input items.

#include "content/virtualplayers.h"
#include "core/repositorypath.h"

#include "../peers/contenthost.h"

#include <QDirIterator>
#include <QLineEdit>
#include <QtTest>

namespace {

bool makeFile(const QString& path, qint64 size)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.resize(size);
}

// Every entry below dir, hidden ones too, relative and sorted.
QStringList tree(const QString& dir)
{
    QStringList entries;
    QDirIterator it(dir, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext())
        entries << QDir(dir).relativeFilePath(it.next());
    entries.sort();
    return entries;
}

} // namespace

class TestRepositoryItems : public QObject
{
    Q_OBJECT

private:
    ScratchDirectory m_dir;
    std::unique_ptr<ContentHost> m_host;

    VirtualPlayers* virtualPlayers() const { return m_host->content.virtualPlayers(); }
    QString mirrors() const { return repositoryPath() + "/MIRRORS"; }
    // The icons' names, each with its directory when it is not the usual one.
    QString icons() const
    {
        QStringList names;
        for (int row = 0; row < m_host->playersView->count(); ++row) {
            auto* item = static_cast<PlayerItem*>(m_host->playersView->item(row));
            names << item->text() + (item->isVirtual() && item->virtualDirectory() == mirrors() + "/" + item->text() ? "" : "?");
        }
        return names.join(' ');
    }
    PlayerItem* icon(const QString& name) const { return m_host->players.find(name); }
    // The controller as it starts: the repository listed, the icons made.
    void restart()
    {
        m_host = std::make_unique<ContentHost>();
        m_host->content.RefreshServerContents();
    }

private slots:
    void init()
    {
        QDir(repositoryPath()).removeRecursively();
        QVERIFY(QDir().mkpath(repositoryPath()));
        restart();
    }
    void cleanup() { m_host.reset(); }

    void creation()
    {
        // Blanks and dots cannot be typed; a name taken in another case makes no second player.
        virtualPlayers()->add_new_virtual_player("lobby");
        for (const QString typed : {"hall 1.x", "LOBBY"}) {
            m_host->prompts.dialogScripts << [typed](QDialog* dialog) {
                QTest::keyClicks(dialog->findChild<QLineEdit*>("virtual_player_name_lineEdit"), typed);
                dialog->findChild<QPushButton*>("buttonOk")->click();
            };
            m_host->button("Create Virtual Player")->click();
        }
        QCOMPARE(icons(), "lobby hall1x");
        QCOMPARE(boxes(m_host->prompts).last(), "Warning | Virtual Player Name | There is already a player named LOBBY. "
                                                "Please choose another name.");
    }

    void iconsComeBackFromMirrors()
    {
        QVERIFY(QDir().mkpath(mirrors() + "/hall/contents") && QDir().mkpath(mirrors() + "/.trash"));
        QVERIFY(makeFile(mirrors() + "/notes.mpg", 10) && makeFile(mirrors() + "/hall/contents/clip.mpg", 10));
        restart();
        QCOMPARE(icons(), "hall");
        // The missing folders are made; what was there stays.
        QCOMPARE(tree(mirrors() + "/hall"), (QStringList{"contents", "contents/clip.mpg", "playlist", "sys", "tickers"}));
        // A player made in this session is back after a restart, once.
        virtualPlayers()->add_new_virtual_player("Lobby");
        restart();
        m_host->button("Refresh")->click();
        QCOMPARE(icons(), "hall Lobby");
    }

    void storageSpace()
    {
        virtualPlayers()->add_new_virtual_player("Lobby");
        const QString directory = icon("Lobby")->virtualDirectory();
        // Sparse, so that 5 GiB (past 32 bits) costs no disk; links are not followed.
        QVERIFY(makeFile(directory + "/contents/big.mpg", qint64(5) * 1024 * 1024 * 1024)
                && makeFile(directory + "/.hidden", 4096));
        QVERIFY(QFile::link(directory, directory + "/sys/loop"));
        m_host->prompts.messages.clear();
        virtualPlayers()->ShowVirtualStorageSpace(icon("Lobby"));
        QCOMPARE(boxes(m_host->prompts),
                 QStringList{"Information | Required storage space | Used 5242880KB (or 5120 MB)."});
    }

    void deletionRemovesLinksAsLinks()
    {
        const QString outside = m_dir.filePath("outside");
        QVERIFY(QDir().mkpath(outside + "/folder"));
        QVERIFY(makeFile(outside + "/folder/keep.mpg", 100) && makeFile(outside + "/keep.jpg", 100));
        virtualPlayers()->add_new_virtual_player("Lobby");
        PlayerItem* item = icon("Lobby");
        const QString directory = item->virtualDirectory();
        QVERIFY(makeFile(directory + "/contents/clip.mpg", 100) && makeFile(directory + "/playlist/album", 10));
        QVERIFY(QFile::link(outside + "/folder", directory + "/contents/folder"));
        QVERIFY(QFile::link(outside + "/keep.jpg", directory + "/contents/keep.jpg"));
        QVERIFY(QFile::link(outside + "/nothing", directory + "/contents/dangling"));
        m_host->prompts.messages.clear();
        m_host->prompts.buttonAnswers << QMessageBox::Yes;
        virtualPlayers()->DeleteVirtualPlayer(item);
        QCOMPARE(boxes(m_host->prompts),
                 QStringList{"Question | Deleting player image | " + directory + " is about to be removed, are you sure?"});
        QVERIFY(tree(mirrors()).isEmpty() && !icon("Lobby"));
        // Nothing outside the player's directory is touched.
        QCOMPARE(tree(outside), (QStringList{"folder", "folder/keep.mpg", "keep.jpg"}));
    }

    void avInputItems_data()
    {
        QTest::addColumn<QString>("name");     // the answer of the name prompt
        QTest::addColumn<QString>("outcome");  // the file written: name and contents, or the box shown
        QTest::newRow("written") << "cam1" << "cam1.cap:-I vin116a SVideo1\n-if PAL_60\n";
        QTest::newRow("no Video folder") << "cam1" << "Warning | Saving capture file | Fail saving file %1/Video/cam1.cap";
        QTest::newRow("name leaving the folder")
            << "../cam1" << "Warning | Saving capture file | The name ../cam1 must not contain \"/\" or \"\\\".";
    }
    void avInputItems()
    {
        QFETCH(QString, name);
        QFETCH(QString, outcome);
        const QString video = repositoryPath() + "/Video/";
        QVERIFY(outcome.contains("Fail saving") || QDir().mkpath(video));
        m_host->prompts.textAnswers = {name};
        m_host->prompts.dialogScripts << [&](QDialog* dialog) {
            dialog->findChild<QComboBox*>("AVinSource_comboBox")->setCurrentText("SVideo1");
            dialog->findChild<QComboBox*>("VideoFormat_comboBox")->setCurrentText("PAL_60");
            dialog->findChild<QPushButton*>("buttonOk")->click();
        };
        m_host->button("Create Ext AV in")->click();
        const bool boxed = outcome.contains(" | ");
        QCOMPARE(boxes(m_host->prompts), boxed ? QStringList{outcome.arg(repositoryPath())} : QStringList());
        const QString file = boxed ? QString() : outcome.section(':', 0, 0);
        QCOMPARE(QDir(video).entryList(QDir::Files), QStringList(file).filter("."));
        if (!file.isEmpty())
            QCOMPARE(readFile(video + file), outcome.section(':', 1).toUtf8());
    }
};

QTEST_MAIN(TestRepositoryItems)
#include "tst_repositoryitems.moc"
