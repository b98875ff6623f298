// The window's side of batch downloads: progress reports of players, the
// rename request for URL-escaped names, and what the operator hears when the
// batch download server cannot run.

#include "core/repositorypath.h"
#include "content/batchserver.h"
#include "players/playeritem.h"
#include "players/registrationrecord.h"
#include "players/commandchannel.h"
#include "players/playerscontroller.h"
#include "window/kvo_form.h"

#include "../peers/boxes.h"
#include "../peers/scratchdir.h"

#include <QTcpServer>
#include <QtTest>

using namespace RegistrationField;

namespace {

QStringList registration(const QString& name, const QString& address)
{
    QStringList record;
    for (int field = 0; field < Count; ++field)
        record.append(QString());
    record[Name] = name;
    record[Address] = address;
    record[PowerState] = "PWRON";
    return record;
}

// A progress line as players send it: the name padded to 20 characters.
QString line(const QString& name, const QString& rest)
{
    return name.leftJustified(20, ' ') + rest;
}

} // namespace

class TestDownloadProgress : public QObject
{
    Q_OBJECT

private:
    ScratchDirectory m_dir;
    ScriptedPrompts* m_prompts = nullptr;
    kvo_Form* m_form = nullptr;
    PlayerItem* m_selected = nullptr; // 127.0.0.250, selected
    PlayerItem* m_other = nullptr;    // 127.0.0.249

    PlayerItem* admit(const QString& name, const QString& address)
    {
        m_form->players()->AddNewPlayer(registration(name, address));
        const auto found = m_form->ui.Player_iconView->findItems(name, Qt::MatchFixedString);
        return found.isEmpty() ? nullptr : static_cast<PlayerItem*>(found.first());
    }
    void report(QString ip, QString progress) { m_form->set_wget_progress(ip, progress); }
    QString shownLabel() const { return m_form->ui.xfer_filename_textLabel->text(); }
    int bar() const { return m_form->ui.Xfer_progressBar->value(); }
    QString status() const { return m_form->statusBar()->currentMessage(); }
    int outstanding() { return m_form->commandChannel().outstanding(); }

private slots:
    void init()
    {
        QVERIFY(m_dir.isValid());
        setRepositoryPath(m_dir.filePath("media"));
        m_prompts = new ScriptedPrompts;
        m_prompts->nestedLoopMs = 20;
        m_form = new kvo_Form;
        m_other = admit("Hall", "127.0.0.249");
        m_selected = admit("Lobby", "127.0.0.250");
        QVERIFY(m_selected && m_other);
        m_form->ui.Player_iconView->setCurrentItem(m_selected);
        QVERIFY(m_selected->isSelected());
    }
    void cleanup()
    {
        delete m_form;
        delete m_prompts;
        batchserver::resetProgram();
    }

    void selectedPlayerShowsProgress_data()
    {
        QTest::addColumn<QString>("progress");
        QTest::addColumn<int>("percent"); // -1: the line is ignored
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("statusLine");
        QTest::newRow("complete: the player is listed again") << line("clip.mpg", "100%") << 100
                                                              << "Transfer file (clip.mpg)"
                                                              // the re-listing shows the storage figures last
                                                              << "Total space: 0 KB, Available space 0 KB (not reported yet)";
        QTest::newRow("escaped name, 45%") << line("clip%20one.mpg", " 45%") << 45 << "Transfer file (clip one.mpg)"
                                         << "clip one.mpg" + QString(7, ' ') + "45%";
        QTest::newRow("parentheses, trailing blanks") << line("a%28b%29.png", "  7%\r\n") << 7
                                                      << "Transfer file (a(b).png)" << "a(b).png" + QString(10, ' ') + "7%";
        QTest::newRow("name cut at 20 characters") << "a_rather_long_file_name.mpg 99%" << 99
                                                   << "Transfer file (a_rather_long_file_n)"
                                                   << "a_rather_long_file_name.mpg 99%";
        QTest::newRow("text after the percent sign") << line("clip.mpg", " 45% 00:03 ETA") << -1 << "" << "";
        QTest::newRow("no percentage") << line("clip.mpg", "  x%") << -1 << "" << "";
        QTest::newRow("above 100") << line("clip.mpg", "250%") << -1 << "" << "";
        QTest::newRow("empty") << QString() << -1 << "" << "";
    }
    void selectedPlayerShowsProgress()
    {
        QFETCH(QString, progress);
        QFETCH(int, percent);
        QFETCH(QString, label);
        QFETCH(QString, statusLine);
        // An upload measured the bar in bytes before.
        m_form->ui.Xfer_progressBar->setRange(0, 5000000);
        m_form->ui.Xfer_progressBar->setValue(1000);
        m_form->ui.xfer_filename_textLabel->setText("before");
        m_form->statusBar()->showMessage("before");
        m_selected->setLastActive(QDateTime::currentDateTime().addSecs(-15));
        const int requests = outstanding();

        report("127.0.0.250", progress);
        QVERIFY(m_selected->lastActive().secsTo(QDateTime::currentDateTime()) < 5); // every report is a contact
        // At 100% UpdatePlayerDisplayData asks the player again for its layout, storage and playlist.
        QCOMPARE(outstanding(), requests + (percent == 100 ? 4 : 0));
        if (percent < 0) {
            QCOMPARE(shownLabel(), QString("before"));
            QCOMPARE(bar(), 1000);
            QCOMPARE(status(), QString("before"));
            return;
        }
        QCOMPARE(shownLabel(), label);
        QCOMPARE(m_form->ui.Xfer_progressBar->maximum(), 100);
        // The refresh at 100% starts the bar afresh, as a click on the player does.
        QCOMPARE(bar(), percent == 100 ? -1 : percent);
        QCOMPARE(status(), statusLine);
    }

    void othersOnlyCountAsContact_data()
    {
        QTest::addColumn<QString>("ip");
        QTest::addColumn<bool>("contact"); // the unselected player's last contact is refreshed
        QTest::newRow("unselected player") << "127.0.0.249" << true;
        QTest::newRow("unknown address") << "127.0.0.248" << false;
        QTest::newRow("address matched exactly, not as a prefix") << "127.0.0.24" << false;
        QTest::newRow("no address") << "" << false;
    }
    void othersOnlyCountAsContact()
    {
        QFETCH(QString, ip);
        QFETCH(bool, contact);
        const QDateTime earlier = QDateTime::currentDateTime().addSecs(-15);
        m_other->setLastActive(earlier);
        m_selected->setLastActive(earlier);
        report("127.0.0.250", line("clip.mpg", " 30%"));
        const int requests = outstanding();
        m_selected->setLastActive(earlier);

        report(ip, line("other.mpg", "100%"));
        QCOMPARE(shownLabel(), QString("Transfer file (clip.mpg)"));
        QCOMPARE(bar(), 30);
        QCOMPARE(outstanding(), requests);
        QCOMPARE(m_other->lastActive() != earlier, contact);
        QCOMPARE(m_selected->lastActive(), earlier);
    }

    void renameGoesToTheCurrentRealPlayer_data()
    {
        QTest::addColumn<bool>("current");
        QTest::newRow("current player") << true;
        QTest::newRow("no current player") << false;
    }
    void renameGoesToTheCurrentRealPlayer()
    {
        QFETCH(bool, current);
        if (!current)
            m_form->ui.Player_iconView->setCurrentItem(nullptr);
        QTRY_COMPARE_WITH_TIMEOUT(outstanding(), 0, 10000); // the admissions' clock calls have failed
        m_prompts->messages.clear();
        QString from = "my%20clip.mpg", to = "my clip.mpg";
        m_form->RenameContentFile(from, to);
        QCOMPARE(outstanding(), current ? 1 : 0);
        if (current) {
            QTRY_COMPARE_WITH_TIMEOUT(m_prompts->messages.size(), 1, 10000);
            QCOMPARE(m_prompts->messages.first().title, QString("Kivo.RenameContentFile Error"));
        }
    }

    void serverThatCannotRunIsReported_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("box");
        QTest::newRow("launcher missing") << "/nonexistent/kvo-batch-server"
                                          << "Information | Platform dependency message | Fail starting batch "
                                             "download server.";
        QTest::newRow("port taken") << KVO_BINARY_DIR "/kvo-batch-server"
                                    << "Warning | Platform dependency message | The batch download server cannot "
                                       "use port 8899: another program is using it. Players cannot pull content "
                                       "until that program is stopped and the controller is started again.";
    }
    void serverThatCannotRunIsReported()
    {
        QFETCH(QString, program);
        QFETCH(QString, box);
        QTcpServer occupant;
        const bool listening = occupant.listen(QHostAddress::Any, 8899);
        Q_UNUSED(listening); // when another program holds the port, it is taken all the same
        delete m_form;
        m_prompts->messages.clear();
        batchserver::setProgram(program);
        m_form = new kvo_Form;
        QVERIFY(m_form->batchServer());
        QCOMPARE(m_form->batchServer()->arguments(),
                 QStringList({"-root", m_dir.filePath("media"), "-ports", "8899", "-access_log", "access.log",
                              "-error_log", "error.log"}));
        QTRY_COMPARE_WITH_TIMEOUT(boxes(*m_prompts), QStringList{box}, 10000);
        QTest::qWait(200);
        QCOMPARE(m_prompts->messages.size(), 1); // once

        // The rest of the window works on.
        m_selected = admit("Lobby", "127.0.0.250");
        m_form->ui.Player_iconView->setCurrentItem(m_selected);
        report("127.0.0.250", line("clip.mpg", " 45%"));
        QCOMPARE(bar(), 45);
    }
};

QTEST_MAIN(TestDownloadProgress)
#include "tst_downloadprogress.moc"
