// Virtual players: creation through the name dialog, icons re-created from
// "MIRRORS", the storage report and deletion.

#include "core/repositorypath.h"
#include "content/virtualplayers.h"
#include "players/playeritem.h"
#include "window/kvo_form.h"

#include "../peers/boxes.h"
#include "../peers/scratchdir.h"

#include <QDirIterator>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

namespace {

bool writeFile(const QString& path, qint64 size)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.resize(size);
}

// Every entry below dir, hidden ones too, relative and sorted.
QStringList tree(const QString& dir)
{
    QStringList entries;
    QDirIterator it(dir, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        entries << QDir(dir).relativeFilePath(it.next());
    entries.sort();
    return entries;
}

ScriptedPrompts::DialogScript typeName(const QString& typed, const QString& button = "buttonOk")
{
    return [typed, button](QDialog* dialog) {
        QTest::keyClicks(dialog->findChild<QLineEdit*>("virtual_player_name_lineEdit"), typed);
        dialog->findChild<QPushButton*>(button)->click();
    };
}

} // namespace

class TestVirtualPlayers : public QObject
{
    Q_OBJECT

private:
    ScratchDirectory m_dir;
    ScriptedPrompts* m_prompts = nullptr;
    kvo_Form* m_form = nullptr;

    QString mirrors() const { return repositoryPath() + "/MIRRORS"; }
    QStringList icons() const
    {
        QStringList names;
        for (int row = 0; row < m_form->ui.Player_iconView->count(); ++row) {
            auto* item = static_cast<PlayerItem*>(m_form->ui.Player_iconView->item(row));
            names << item->text() + (item->isVirtual() ? " virtual " : " real ") + item->virtualDirectory();
        }
        return names;
    }
    PlayerItem* icon(const QString& name) const
    {
        const auto found = m_form->ui.Player_iconView->findItems(name, Qt::MatchFixedString);
        return found.isEmpty() ? nullptr : static_cast<PlayerItem*>(found.first());
    }
    void openWindow()
    {
        delete m_form;
        m_form = new kvo_Form;
    }

private slots:
    void init()
    {
        QVERIFY(m_dir.isValid());
        QDir(repositoryPath()).removeRecursively();
        QVERIFY(QDir().mkpath(repositoryPath()));
        m_prompts = new ScriptedPrompts;
        m_prompts->nestedLoopMs = 20;
        openWindow();
    }
    void cleanup()
    {
        delete m_form;
        m_form = nullptr;
        delete m_prompts;
    }

    void creation_data()
    {
        QTest::addColumn<QString>("existing");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("created");
        QTest::newRow("first one") << "" << "Lobby" << "buttonOk" << "Lobby";
        QTest::newRow("blanks and dots cannot be typed") << "" << "hall 1.x" << "buttonOk" << "hall1x";
        QTest::newRow("second one") << "hall" << "Lobby" << "buttonOk" << "Lobby";
        QTest::newRow("name taken in another case") << "lobby" << "LOBBY" << "buttonOk" << "";
        QTest::newRow("empty") << "" << "" << "buttonOk" << "";
        QTest::newRow("cancelled") << "" << "Lobby" << "buttonCancel" << "";
    }
    void creation()
    {
        QFETCH(QString, existing);
        QFETCH(QString, typed);
        QFETCH(QString, button);
        QFETCH(QString, created);
        if (!existing.isEmpty())
            m_form->add_new_virtual_player(existing);
        m_prompts->messages.clear();
        m_prompts->dialogScripts << typeName(typed, button);
        m_form->ui.create_VP_pushButton->click();
        QCOMPARE(m_prompts->dialogs, QStringList{"virtual_player_name"});

        QStringList expectedIcons;
        QStringList expectedTree;
        if (!existing.isEmpty()) {
            expectedIcons << existing + " virtual " + mirrors() + "/" + existing;
            expectedTree << existing;
        }
        if (!created.isEmpty()) {
            expectedIcons << created + " virtual " + mirrors() + "/" + created;
            expectedTree << created;
        }
        QCOMPARE(icons(), expectedIcons);
        QStringList expectedBoxes;
        if (existing.isEmpty() && !created.isEmpty())
            expectedBoxes << "Information | Add new virtual player | " + mirrors()
                    + " does not exists, created automatically.";
        QCOMPARE(boxes(*m_prompts), expectedBoxes);
        QStringList expectedFiles;
        for (const QString& name : expectedTree) {
            expectedFiles << name;
            for (const QString& folder : virtualPlayerFolders())
                expectedFiles << name + "/" + folder;
        }
        expectedFiles.sort();
        QCOMPARE(tree(mirrors()), expectedFiles);
    }

    void iconsComeBackFromMirrors()
    {
        QVERIFY(QDir().mkpath(mirrors() + "/hall/contents"));
        QVERIFY(QDir().mkpath(mirrors() + "/.trash"));
        QVERIFY(writeFile(mirrors() + "/notes.mpg", 10));
        QVERIFY(writeFile(mirrors() + "/hall/contents/clip.mpg", 10));
        openWindow();
        QCOMPARE(icons(), QStringList{"hall virtual " + mirrors() + "/hall"});
        // The missing folders are made; what was there stays.
        QCOMPARE(tree(mirrors() + "/hall"),
                 (QStringList{"contents", "contents/clip.mpg", "playlist", "sys", "tickers"}));

        // A player made in this session is back after a restart, once.
        m_prompts->dialogScripts << typeName("Lobby");
        m_form->create_new_virtual_player();
        openWindow();
        m_form->RefreshServerContents();
        QCOMPARE(icons(), (QStringList{"hall virtual " + mirrors() + "/hall", "Lobby virtual " + mirrors() + "/Lobby"}));
        // "MIRRORS" is listed as a folder of the repository like any other.
        QTRY_COMPARE(m_form->ui.ServerContents_listView->topLevelItemCount(), 1);
        QCOMPARE(m_form->ui.ServerContents_listView->topLevelItem(0)->text(0), QString("MIRRORS"));
        QCOMPARE(boxes(*m_prompts).size(), 0);
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
        m_form->add_new_virtual_player("Lobby");
        PlayerItem* item = icon("Lobby");
        const QString directory = item->virtualDirectory();
        if (size >= 0) {
            // Sparse, so that 5 GiB costs no disk; links are not followed.
            QVERIFY(writeFile(directory + "/contents/big.mpg", size));
            QVERIFY(writeFile(directory + "/.hidden", 4096));
            QVERIFY(QFile::link(directory, directory + "/sys/loop"));
        } else {
            QVERIFY(QDir(directory).removeRecursively());
            if (size == -2)
                QVERIFY(writeFile(directory, 10));
        }
        m_prompts->messages.clear();
        m_form->ShowVirtualStorageSpace(item);
        QCOMPARE(boxes(*m_prompts), QStringList{box.contains("%1") ? box.arg(directory) : box});
    }

    void deletion_data()
    {
        QTest::addColumn<QString>("setup");
        QTest::addColumn<QMessageBox::StandardButton>("answer");
        QTest::addColumn<QStringList>("left");
        QTest::addColumn<bool>("iconKept");
        QTest::newRow("everything") << "" << QMessageBox::Yes << QStringList{} << false;
        QTest::newRow("hidden file keeps its folders")
            << "hidden" << QMessageBox::Yes << QStringList{"Lobby", "Lobby/sys", "Lobby/sys/.keep"} << false;
        QTest::newRow("links are removed as links") << "links" << QMessageBox::Yes << QStringList{} << false;
        QTest::newRow("answered No") << "" << QMessageBox::No
                                     << QStringList{"Lobby", "Lobby/contents", "Lobby/contents/clip.mpg",
                                                    "Lobby/playlist", "Lobby/playlist/album", "Lobby/sys",
                                                    "Lobby/tickers"}
                                     << true;
        QTest::newRow("directory already gone") << "gone" << QMessageBox::Yes << QStringList{} << true;
    }
    void deletion()
    {
        QFETCH(QString, setup);
        QFETCH(QMessageBox::StandardButton, answer);
        QFETCH(QStringList, left);
        QFETCH(bool, iconKept);
        const QString outside = m_dir.filePath("outside");
        QVERIFY(QDir().mkpath(outside + "/folder"));
        QVERIFY(writeFile(outside + "/folder/keep.mpg", 100) && writeFile(outside + "/keep.jpg", 100));

        m_form->add_new_virtual_player("Lobby");
        PlayerItem* item = icon("Lobby");
        const QString directory = item->virtualDirectory();
        QVERIFY(writeFile(directory + "/contents/clip.mpg", 100) && writeFile(directory + "/playlist/album", 10));
        if (setup == "hidden")
            QVERIFY(writeFile(directory + "/sys/.keep", 1));
        if (setup == "links") {
            QVERIFY(QFile::link(outside + "/folder", directory + "/contents/folder"));
            QVERIFY(QFile::link(outside + "/keep.jpg", directory + "/contents/keep.jpg"));
            QVERIFY(QFile::link(outside + "/nothing", directory + "/contents/dangling"));
        }
        if (setup == "gone")
            QVERIFY(QDir(directory).removeRecursively());
        m_form->ui.Player_iconView->setCurrentItem(item);
        new QTreeWidgetItem(m_form->ui.PlayerContent_listView, QStringList{"clip.mpg"});
        new QTreeWidgetItem(m_form->ui.Playlist_listView, QStringList{"clip.mpg"});
        m_prompts->messages.clear();
        m_prompts->buttonAnswers << answer;

        m_form->DeleteVirtualPlayer(item);
        QStringList expectedBoxes{"Question | Deleting player image | " + directory
                                  + " is about to be removed, are you sure?"};
        if (setup == "gone")
            expectedBoxes << "Warning | Deleting player image | Directory " + directory + " does not exist.";
        QCOMPARE(boxes(*m_prompts), expectedBoxes);
        QCOMPARE(m_prompts->messages.first().buttons, QMessageBox::Yes | QMessageBox::No);
        QCOMPARE(tree(mirrors()), left);
        QCOMPARE(icon("Lobby") != nullptr, iconKept);
        QCOMPARE(m_form->ui.PlayerContent_listView->topLevelItemCount(), iconKept ? 1 : 0);
        QCOMPARE(m_form->ui.Playlist_listView->topLevelItemCount(), iconKept ? 1 : 0);
        if (!iconKept)
            QCOMPARE(m_form->ui.Player_iconView->currentItem(), nullptr);
        // Nothing outside the player's directory is touched.
        QCOMPARE(tree(outside), (QStringList{"folder", "folder/keep.mpg", "keep.jpg"}));
    }
};

QTEST_MAIN(TestVirtualPlayers)
#include "tst_virtualplayers.moc"
