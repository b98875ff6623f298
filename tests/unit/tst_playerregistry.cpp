// The index of a view's players, its one liveness sweep, and what idle players cost.

#include "players/playeritem.h"
#include "players/playerregistry.h"

#include "../peers/scratchdir.h"

#include <QListWidget>
#include <QtTest>

class PlayerRegistryTest : public QObject
{
    Q_OBJECT

private:
    const QDateTime m_start{QDate(2010, 5, 28), QTime(14, 5, 9)};
    ScratchDirectory m_workDir;
    QDateTime m_now;
    std::unique_ptr<QListWidget> m_view;

    PlayerRegistry* registry() { return PlayerRegistry::of(m_view.get()); }
    PlayerItem* add(const QString& name, const QString& address, bool isVirtual = false)
    {
        auto* item = new PlayerItem(m_view.get(), name, isVirtual, false);
        item->setIpAddress(address);
        return item;
    }

private slots:
    void init()
    {
        QVERIFY(m_workDir.isValid());
        PlayerItem::setClock([this] { return m_now; });
        m_now = m_start;
        m_view = std::make_unique<QListWidget>();
    }

    // Names are found regardless of case, the earliest of equal names first, never by a prefix.
    void indexFollowsItemsAsTheyChangeAndGo()
    {
        PlayerItem* first = add("Lobby", "127.0.0.2");
        PlayerItem* second = add("lobby", "127.0.0.5");
        PlayerItem* group = add("mirror group", "", true);
        QCOMPARE(registry()->find("LOBBY"), first);
        QCOMPARE(registry()->find("Mirror Group"), group);
        QCOMPARE(registry()->find("Lob"), nullptr);
        QCOMPARE(registry()->atAddress("127.0.0.2"), QList<PlayerItem*>{first});

        first->setIpAddress("127.0.0.9");
        QVERIFY(registry()->atAddress("127.0.0.2").isEmpty());
        QCOMPARE(registry()->atAddress("127.0.0.9"), QList<PlayerItem*>{first});

        delete first;
        QCOMPARE(registry()->find("Lobby"), second);
        QVERIFY(registry()->atAddress("127.0.0.9").isEmpty());

        m_view->clear();
        QCOMPARE(registry()->find("Lobby"), nullptr);
        QCOMPARE(registry()->count(), 0);
        QVERIFY(!registry()->livenessTimer()->isActive());
    }

    // Liveness costs one timer, and an idle player no descriptor, however large the fleet.
    void aFleetOfIdlePlayersCostsLittle()
    {
        const auto descriptors = [] { return QDir("/proc/self/fd").entryList(QDir::Files | QDir::System).size(); };
        const qsizetype before = descriptors();
        for (int i = 0; i < 300; ++i)
            add(QString("Emu%1").arg(i), QString("127.0.1.%1").arg(i));
        QVERIFY2(descriptors() - before < 10, qPrintable(QString::number(descriptors() - before)));
        QVERIFY(m_view->findChildren<QTimer*>().size() == 1 && registry()->livenessTimer()->isActive());
    }

    // A receiver of dead_player deletes the item and the next silent one too: the sweep goes on with the rest.
    void sweepRemovesTheSilentOnly()
    {
        QList<QPointer<PlayerItem>> silent;
        for (int i = 0; i < 4; ++i)
            silent.append(add(QString("Silent%1").arg(i), QString("127.0.2.%1").arg(i)));
        add("mirror group", "", true);
        QSignalSpy mirrorDeaths(new PlayerItem(m_view.get(), "mirror", false, true), &PlayerItem::dead_player);
        m_now = m_start.addSecs(15);
        add("Heard", "127.0.3.1");
        m_now = m_start.addSecs(21);

        int deaths = 0;
        for (const QPointer<PlayerItem>& item : silent) {
            connect(item, &PlayerItem::dead_player, this, [&](PlayerItem* dead) {
                ++deaths;
                delete dead;
                const auto other = std::find_if(silent.begin(), silent.end(), [](const auto& left) { return bool(left); });
                if (other != silent.end())
                    delete other->data();
            });
        }
        registry()->livenessTimer()->setInterval(1);
        QTRY_VERIFY(std::none_of(silent.begin(), silent.end(), [](const auto& item) { return bool(item); }));
        QCOMPARE(deaths, 2);
        QCOMPARE(m_view->count(), 3); // the virtual item, the mirror and the one heard lately
        QCOMPARE(mirrorDeaths.size(), 0);
    }
};

QTEST_MAIN(PlayerRegistryTest)
#include "tst_playerregistry.moc"
