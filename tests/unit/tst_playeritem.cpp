// One player item on its own: DHCP fields, power state, liveness and uploads.

#include "players/playeritem.h"

#include "core/ftptransfer.h"

#include "../peers/boxes.h"
#include "../peers/scratchdir.h"
#include "../peers/scriptedprompts.h"

#include <QListWidget>
#include <QPointer>
#include <QSignalSpy>
#include <QtTest>

class PlayerItemTest : public QObject
{
    Q_OBJECT

private:
    const QDateTime m_start{QDate(2010, 5, 28), QTime(14, 5, 9)};
    ScratchDirectory m_workDir;
    ScriptedPrompts m_prompts;
    QDateTime m_now;
    std::unique_ptr<QListWidget> m_view;
    PlayerItem* m_item = nullptr;

private slots:
    void initTestCase()
    {
        QVERIFY(m_workDir.isValid());
        PlayerItem::setClock([this] { return m_now; });
    }
    void init()
    {
        m_now = m_start;
        m_prompts.messages.clear();
        m_view = std::make_unique<QListWidget>();
        m_item = new PlayerItem(m_view.get(), "lobby", false, false);
        m_item->setIpAddress("127.0.0.1");
    }

    // The kind is matched regardless of case and blanks; other interfaces are ignored.
    void dhcpAccessor()
    {
        m_item->setDhcp("ON", " wlan\t");
        m_item->setDhcp("ON", "eth0");
        QCOMPARE(m_item->dhcp("LAN") + " " + m_item->dhcp("Wlan"), QString("OFF ON"));
    }

    // Only the exact word means off; the icon is changed once per change.
    void powerState()
    {
        QSignalSpy iconChanges(m_view->model(), &QAbstractItemModel::dataChanged);
        m_item->setPowerState("PWRON");
        m_item->setPowerState("PWROFF");
        m_item->setPowerState("PWROFF");
        QCOMPARE(iconChanges.count(), 1);
        QVERIFY(!m_item->isOnline());
        m_item->setPowerState("pwroff");
        QCOMPARE(iconChanges.count(), 2);
        QVERIFY(m_item->isOnline());
    }

    // Silence of 21 s, counted from the last registration, makes a player dead.
    void liveness()
    {
        QSignalSpy deaths(m_item, &PlayerItem::dead_player);
        m_now = m_start.addMSecs(20900);
        m_item->check_last_active_time();
        QCOMPARE(deaths.count(), 0);
        m_item->updateLastActive();
        m_now = m_now.addSecs(20);
        m_item->check_last_active_time();
        QCOMPARE(deaths.count(), 0);
        m_now = m_now.addSecs(1);
        m_item->check_last_active_time();
        QCOMPARE(deaths.count(), 1);
    }

    // Nothing chosen sends nothing and says nothing; a missing file sends nothing and says so.
    void uploadsSendingNothing()
    {
        QSignalSpy started(m_item->ftp(), &FtpTransfer::commandStarted);
        QString nothing;
        m_item->ftp_uploadFile(nothing);
        QString missing = QDir::current().filePath("no such clip.mpg");
        m_item->ftp_uploadFile(missing);
        QCoreApplication::processEvents();
        QVERIFY(!m_item->ftp()->hasPendingCommands());
        QCOMPARE(started.count(), 0);
        QCOMPARE(boxes(m_prompts), QStringList{"Critical | Upload error | Can't open file '" + missing + "' for reading."});
    }

    // An item removed while its upload is still queued ends the upload quietly.
    void deletionWithQueuedUpload()
    {
        QFile file("queued.mpg");
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("data") == 4);
        file.close();
        QString path = file.fileName();
        m_item->ftp_uploadFile(path);
        QVERIFY(m_item->ftp()->hasPendingCommands());
        QPointer<FtpTransfer> ftp = m_item->ftp();
        delete m_item;
        QVERIFY(ftp.isNull());
        QCoreApplication::processEvents();
        QVERIFY(m_prompts.messages.isEmpty());
    }
};

QTEST_MAIN(PlayerItemTest)
#include "tst_playeritem.moc"
