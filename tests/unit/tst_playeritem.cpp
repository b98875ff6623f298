// One player item on its own: its fields, icons, liveness, uploads that send
// nothing, and deletion with an upload queued.

#include "players/playeritem.h"

#include "core/ftptransfer.h"

#include "../peers/boxes.h"
#include "../peers/scratchdir.h"
#include "../peers/scriptedprompts.h"

#include <QImage>
#include <QListWidget>
#include <QPointer>
#include <QSignalSpy>
#include <QtTest>

namespace {

const QDateTime startTime(QDate(2010, 5, 28), QTime(14, 5, 9));

QColor iconColor(const QIcon& icon)
{
    return icon.pixmap(64, 64).toImage().pixelColor(32, 32);
}

bool writeFile(const QString& path, const QByteArray& content)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}

} // namespace

class PlayerItemTest : public QObject
{
    Q_OBJECT

private:
    ScratchDirectory m_workDir;
    QDateTime m_now;
    std::unique_ptr<QListWidget> m_view;

private slots:
    void initTestCase()
    {
        QVERIFY(m_workDir.isValid());
        for (const auto& [file, color] : {std::pair{"player_icon.png", Qt::green}, std::pair{"player_off.png", Qt::red},
                                          std::pair{"player_virtual.png", Qt::blue}}) {
            QImage image(10, 20, QImage::Format_RGB32);
            image.fill(color);
            QVERIFY(image.save(file));
        }
        PlayerItem::setClock([this] { return m_now; });
    }
    void init()
    {
        m_now = startTime;
        m_view = std::make_unique<QListWidget>();
        m_view->setViewMode(QListView::IconMode);
    }
    void cleanup() { m_view.reset(); }

    void initialValues()
    {
        auto* item = new PlayerItem(m_view.get(), "lobby", false, false);
        QCOMPARE(item->screenLayout(), -1);
        QCOMPARE(item->dmzFlag(), QString("off"));
        QCOMPARE(item->dhcp("LAN") + item->dhcp("WLAN"), QString("OFFOFF"));
        // Empty, never null: the fields go into texts and records as they are.
        for (const QString& value : {item->ipAddress(), item->playing(), item->videoMode(), item->lanIp(),
                                     item->dmzIp(), item->wlanIp(), item->essid(), item->wepKey(), item->serverIp(),
                                     item->lanDevice(), item->wlanDevice(), item->lanGateway(), item->lanMask(),
                                     item->wlanGateway(), item->wlanMask(), item->virtualDirectory(),
                                     item->downloadStatus()})
            QVERIFY(value.isEmpty() && !value.isNull());
        QVERIFY(item->isOnline());
        QCOMPARE(item->onIcon().size(), QSize(64, 64));
        QCOMPARE(item->offIcon().size(), QSize(64, 64));
        QCOMPARE(iconColor(item->icon()), QColor(Qt::green));
    }

    void dhcpAccessor_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("lanAndWlan");
        QTest::addColumn<QString>("readBack");
        QTest::newRow("LAN") << "LAN" << "ON OFF" << "ON";
        QTest::newRow("wlan with blanks") << " WLAN\t" << "OFF ON" << "ON";
        QTest::newRow("mixed case lan") << "Lan" << "ON OFF" << "ON";
        QTest::newRow("other interface") << "eth0" << "OFF OFF" << "";
        QTest::newRow("empty kind") << "" << "OFF OFF" << "";
    }
    void dhcpAccessor()
    {
        QFETCH(QString, kind);
        QFETCH(QString, lanAndWlan);
        QFETCH(QString, readBack);
        PlayerItem item(m_view.get(), "lobby", false, false);
        item.setDhcp("ON", kind);
        QCOMPARE(item.dhcp(kind), readBack);
        QCOMPARE(item.dhcp("lan") + " " + item.dhcp("wlan"), lanAndWlan);
    }

    void powerStateSwitchesIconOnce()
    {
        PlayerItem item(m_view.get(), "lobby", false, false);
        QSignalSpy iconChanges(m_view->model(), &QAbstractItemModel::dataChanged);
        item.setPowerState("PWRON");
        QCOMPARE(iconChanges.count(), 0);
        item.setPowerState("PWROFF");
        item.setPowerState("PWROFF");
        QCOMPARE(iconChanges.count(), 1);
        QVERIFY(!item.isOnline());
        QCOMPARE(iconColor(item.icon()), QColor(Qt::red));
        item.setPowerState("pwroff");
        QCOMPARE(iconChanges.count(), 2);
        QVERIFY(item.isOnline());
        QCOMPARE(iconColor(item.icon()), QColor(Qt::green));

        // A virtual item keeps its own icon.
        PlayerItem group(m_view.get(), "mirror group", true, false);
        group.setPowerState("PWROFF");
        QCOMPARE(iconColor(group.icon()), QColor(Qt::blue));
    }

    void liveness_data()
    {
        QTest::addColumn<int>("silentMs");
        QTest::addColumn<bool>("dead");
        QTest::newRow("20 s") << 20000 << false;
        QTest::newRow("20.9 s") << 20900 << false;
        QTest::newRow("21 s") << 21000 << true;
    }
    void liveness()
    {
        QFETCH(int, silentMs);
        QFETCH(bool, dead);
        PlayerItem item(m_view.get(), "lobby", false, false);
        QSignalSpy deaths(&item, &PlayerItem::dead_player);
        m_now = startTime.addMSecs(silentMs);
        item.check_last_active_time();
        QCOMPARE(deaths.count(), dead ? 1 : 0);
        if (dead)
            QCOMPARE(deaths.first().at(0).value<PlayerItem*>(), &item);
        // A registration in between keeps the player.
        item.updateLastActive();
        m_now = m_now.addSecs(20);
        item.check_last_active_time();
        QCOMPARE(deaths.count(), dead ? 1 : 0);
    }

    void uploadsSendingNothing_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("message");
        QTest::newRow("empty path") << "" << "";
        QTest::newRow("missing file") << "no such clip.mpg" << "Can't open file '%1/no such clip.mpg' for reading.";
    }
    void uploadsSendingNothing()
    {
        QFETCH(QString, file);
        QFETCH(QString, message);
        ScriptedPrompts prompts;
        PlayerItem item(m_view.get(), "lobby", false, false);
        item.setIpAddress("127.0.0.1");
        QSignalSpy started(item.ftp(), &FtpTransfer::commandStarted);

        QString path = file.isEmpty() ? QString() : QDir::current().filePath(file);
        item.ftp_uploadFile(path);
        QCoreApplication::processEvents();
        QVERIFY(!item.ftp()->hasPendingCommands());
        QCOMPARE(started.count(), 0);
        message.replace("%1", QDir::currentPath());
        QCOMPARE(boxes(prompts), message.isEmpty() ? QStringList() : QStringList{"Critical | Upload error | " + message});
    }

    // An item removed while its upload is still queued ends the upload quietly.
    void deletionWithQueuedUpload()
    {
        ScriptedPrompts prompts;
        QVERIFY(writeFile("queued.mpg", "data"));
        auto* item = new PlayerItem(m_view.get(), "lobby", false, false);
        item->setIpAddress("127.0.0.1");
        QString path = QDir::current().filePath("queued.mpg");
        item->ftp_uploadFile(path);
        QVERIFY(item->ftp()->hasPendingCommands());
        QPointer<FtpTransfer> ftp = item->ftp();
        delete item;
        QVERIFY(ftp.isNull());
        QCoreApplication::processEvents();
        QVERIFY(prompts.messages.isEmpty());
        QCOMPARE(m_view->count(), 0);
    }
};

QTEST_MAIN(PlayerItemTest)
#include "tst_playeritem.moc"
