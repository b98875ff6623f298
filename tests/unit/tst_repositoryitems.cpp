// What the repository's buttons create: virtual players (the name dialog,
// icons re-created from "MIRRORS", the storage report, deletion) and AV input
// items (the dialog's choices, the two lines of the ".cap" file, the listing).

#include "content/mediarepository.h"
#include "content/repositorylister.h"
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

    void creation_data()
    {
        QTest::addColumn<QString>("existing");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("icons");
        QTest::newRow("first one: MIRRORS made") << "" << "Lobby" << "buttonOk" << "Lobby";
        QTest::newRow("blanks and dots cannot be typed") << "" << "hall 1.x" << "buttonOk" << "hall1x";
        QTest::newRow("second one") << "hall" << "Lobby" << "buttonOk" << "hall Lobby";
        QTest::newRow("name taken in another case") << "lobby" << "LOBBY" << "buttonOk" << "lobby";
        QTest::newRow("empty") << "" << "" << "buttonOk" << "";
        QTest::newRow("cancelled") << "" << "Lobby" << "buttonCancel" << "";
    }
    void creation()
    {
        QFETCH(QString, existing);
        QFETCH(QString, typed);
        QFETCH(QString, button);
        QFETCH(QString, icons);
        if (!existing.isEmpty())
            virtualPlayers()->add_new_virtual_player(existing);
        const bool first = existing.isEmpty() && !icons.isEmpty();
        m_host->prompts.messages.clear();
        m_host->prompts.dialogScripts << [typed, button](QDialog* dialog) {
            QTest::keyClicks(dialog->findChild<QLineEdit*>("virtual_player_name_lineEdit"), typed);
            dialog->findChild<QPushButton*>(button)->click();
        };
        m_host->button("Create Virtual Player")->click();
        QCOMPARE(m_host->prompts.dialogs, QStringList{"virtual_player_name"});
        QCOMPARE(this->icons(), icons);
        QStringList folders;
        for (const QString& name : icons.split(' ', Qt::SkipEmptyParts))
            for (const QString& folder : QStringList{""} + virtualPlayerFolders())
                folders << name + (folder.isEmpty() ? "" : "/" + folder);
        folders.sort();
        QCOMPARE(tree(mirrors()), folders);
        QStringList expected;
        if (first)
            expected << "Information | Add new virtual player | " + mirrors() + " does not exists, created automatically.";
        if (!existing.isEmpty() && existing.compare(typed, Qt::CaseInsensitive) == 0)
            expected << "Warning | Virtual Player Name | There is already a player named " + typed
                    + ". Please choose another name.";
        QCOMPARE(boxes(m_host->prompts), expected);
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
        // "MIRRORS" is listed as a folder of the repository like any other.
        QTRY_VERIFY(!m_host->content.repository()->lister()->isBusy());
        QCOMPARE(rowsOf(m_host->widgets.repositoryView), QStringList{"MIRRORS||DIRECTORY||"});
        QCOMPARE(boxes(m_host->prompts), QStringList());
    }

    void storageSpace_data()
    {
        QTest::addColumn<qint64>("size");
        QTest::addColumn<QString>("box");
        QTest::newRow("3 MiB") << qint64(3) * 1024 * 1024 << "Information | Required storage space | Used 3072KB (or 3 MB).";
        QTest::newRow("1536 KiB") << qint64(1536) * 1024 << "Information | Required storage space | Used 1536KB (or 1.5 MB).";
        QTest::newRow("5 GiB, past 32 bits") << qint64(5) * 1024 * 1024 * 1024
                                             << "Information | Required storage space | Used 5242880KB (or 5120 MB).";
        QTest::newRow("missing") << qint64(-1) << "Warning | ATTENTION | Virtual player repository %1 does not exists.";
        QTest::newRow("a file") << qint64(-2) << "Warning | ATTENTION | Virtual player repository path %1 is not a directory.";
    }
    void storageSpace()
    {
        QFETCH(qint64, size);
        QFETCH(QString, box);
        virtualPlayers()->add_new_virtual_player("Lobby");
        const QString directory = icon("Lobby")->virtualDirectory();
        if (size >= 0) {
            // Sparse, so that 5 GiB costs no disk; links are not followed.
            QVERIFY(makeFile(directory + "/contents/big.mpg", size) && makeFile(directory + "/.hidden", 4096));
            QVERIFY(QFile::link(directory, directory + "/sys/loop"));
        } else {
            QVERIFY(QDir(directory).removeRecursively() && (size == -1 || makeFile(directory, 10)));
        }
        m_host->prompts.messages.clear();
        virtualPlayers()->ShowVirtualStorageSpace(icon("Lobby"));
        QCOMPARE(boxes(m_host->prompts), QStringList{box.contains("%1") ? box.arg(directory) : box});
    }

    void deletion_data()
    {
        QTest::addColumn<QString>("setup");
        QTest::addColumn<QMessageBox::StandardButton>("answer");
        QTest::addColumn<QString>("left");  // below MIRRORS, and "icon" when the icon stays
        QTest::newRow("everything") << "" << QMessageBox::Yes << "";
        QTest::newRow("hidden file keeps its folders") << "hidden" << QMessageBox::Yes << "Lobby Lobby/sys Lobby/sys/.keep";
        QTest::newRow("links are removed as links") << "links" << QMessageBox::Yes << "";
        QTest::newRow("answered No") << "" << QMessageBox::No
                                     << "Lobby Lobby/contents Lobby/contents/clip.mpg Lobby/playlist Lobby/playlist/album "
                                        "Lobby/poll_contents_list Lobby/sys Lobby/tickers icon";
        QTest::newRow("directory already gone") << "gone" << QMessageBox::Yes << "icon";
    }
    void deletion()
    {
        QFETCH(QString, setup);
        QFETCH(QMessageBox::StandardButton, answer);
        QFETCH(QString, left);
        const QString outside = m_dir.filePath("outside");
        QVERIFY(QDir().mkpath(outside + "/folder"));
        QVERIFY(makeFile(outside + "/folder/keep.mpg", 100) && makeFile(outside + "/keep.jpg", 100));
        virtualPlayers()->add_new_virtual_player("Lobby");
        PlayerItem* item = icon("Lobby");
        const QString directory = item->virtualDirectory();
        QVERIFY(makeFile(directory + "/contents/clip.mpg", 100) && makeFile(directory + "/playlist/album", 10));
        QVERIFY(setup != "hidden" || makeFile(directory + "/sys/.keep", 1));
        if (setup == "links") {
            QVERIFY(QFile::link(outside + "/folder", directory + "/contents/folder"));
            QVERIFY(QFile::link(outside + "/keep.jpg", directory + "/contents/keep.jpg"));
            QVERIFY(QFile::link(outside + "/nothing", directory + "/contents/dangling"));
        }
        QVERIFY(setup != "gone" || QDir(directory).removeRecursively());
        m_host->choose(item);
        m_host->prompts.messages.clear();
        m_host->prompts.buttonAnswers << answer;

        virtualPlayers()->DeleteVirtualPlayer(item);
        QStringList expectedBoxes{"Question | Deleting player image | " + directory + " is about to be removed, are you sure?"};
        if (setup == "gone")
            expectedBoxes << "Warning | Deleting player image | Directory " + directory + " does not exist.";
        QCOMPARE(boxes(m_host->prompts), expectedBoxes);
        QCOMPARE(m_host->prompts.messages.first().buttons, QMessageBox::Yes | QMessageBox::No);
        QCOMPARE((tree(mirrors()) + QStringList(icon("Lobby") ? "icon" : "")).join(' ').trimmed(), left);
        // The panes showed it: they are empty once it has gone, and nothing else is current.
        if (!icon("Lobby"))
            QCOMPARE(m_host->widgets.storageView->topLevelItemCount() + (m_host->playersView->currentItem() != nullptr), 0);
        // Nothing outside the player's directory is touched.
        QCOMPARE(tree(outside), (QStringList{"folder", "folder/keep.mpg", "keep.jpg"}));
    }

    void avInputItems_data()
    {
        QTest::addColumn<QString>("source");  // chosen in the dialog; empty: cancelled
        QTest::addColumn<QString>("format");
        QTest::addColumn<QStringList>("names");  // answers of the name prompt; none: cancelled
        QTest::addColumn<QString>("outcome");    // the file written: name and contents, or the box shown
        QTest::newRow("SVideo1, PAL_60") << "SVideo1" << "PAL_60" << QStringList{"cam1"} << "cam1.cap:-I vin116a SVideo1\n-if PAL_60\n";
        QTest::newRow("overwritten without a question") << "CVBS1" << "PAL_BG" << QStringList{"old"}
                                                        << "old.cap:-I vin116a CVBS1\n-if PAL_BG\n";
        QTest::newRow("typed extension kept") << "CVBS1" << "NTSC_M" << QStringList{"cam1.cap"}
                                              << "cam1.cap.cap:-I vin116a CVBS1\n-if NTSC_M\n";
        QTest::newRow("name cancelled") << "CVBS1" << "NTSC_M" << QStringList{} << "";
        QTest::newRow("empty name") << "CVBS1" << "NTSC_M" << QStringList{" "} << "";
        QTest::newRow("dialog cancelled") << "" << "" << QStringList{"cam1"} << "";
        QTest::newRow("no Video folder") << "CVBS1" << "NTSC_M" << QStringList{"cam1"}
                                         << "Warning | Saving capture file | Fail saving file %1/Video/cam1.cap";
        QTest::newRow("name leaving the folder") << "CVBS1" << "NTSC_M" << QStringList{"../cam1"}
                                                 << "Warning | Saving capture file | The name ../cam1 must not contain \"/\" or \"\\\".";
    }
    void avInputItems()
    {
        QFETCH(QString, source);
        QFETCH(QString, format);
        QFETCH(QStringList, names);
        QFETCH(QString, outcome);
        const QString video = repositoryPath() + "/Video/";
        QVERIFY(writeFile(video + "old.cap", ""));
        QVERIFY(!outcome.contains("Fail saving") || QDir(video).removeRecursively());
        m_host->prompts.textAnswers = names;
        QString offered;
        m_host->prompts.dialogScripts << [&](QDialog* dialog) {
            offered = dialog->windowTitle() + (dialog->parentWidget() == &m_host->window ? "" : " (no parent)");
            dialog->findChild<QComboBox*>("AVinSource_comboBox")->setCurrentText(source);
            dialog->findChild<QComboBox*>("VideoFormat_comboBox")->setCurrentText(format);
            dialog->findChild<QPushButton*>(source.isEmpty() ? "buttonCancel" : "buttonOk")->click();
        };
        m_host->button("Create Ext AV in")->click();
        QCOMPARE(offered, "Creat AV Input Item");
        QCOMPARE(m_host->prompts.otherPrompts, source.isEmpty() ? QStringList() : QStringList{"Save AV input file"});
        const bool boxed = outcome.contains(" | ");
        QCOMPARE(boxes(m_host->prompts), boxed ? QStringList{outcome.arg(repositoryPath())} : QStringList());
        const QString file = boxed ? QString() : outcome.section(':', 0, 0);
        const QStringList files = QDir(video).entryList(QDir::Files);
        QStringList expected{"old.cap"};
        if (!file.isEmpty() && file != "old.cap")
            expected.prepend(file);
        QCOMPARE(files, outcome.contains("Fail saving") ? QStringList() : expected);
        if (file.isEmpty())
            return;
        QCOMPARE(readFile(video + file), outcome.section(':', 1).toUtf8());
        // The refresh after saving lists the item as a capture.
        QTRY_VERIFY(!m_host->content.repository()->lister()->isBusy());
        const auto rows = m_host->widgets.repositoryView->findItems(file, Qt::MatchExactly | Qt::MatchRecursive);
        QCOMPARE(rows.size(), 1);
        const QStringList cells{rows[0]->parent()->text(0), rows[0]->text(2), rows[0]->text(3), rows[0]->text(4)};
        QCOMPARE(cells.join('|'), "Video|media|capture|N/A");
    }
};

QTEST_MAIN(TestRepositoryItems)
#include "tst_repositoryitems.moc"
