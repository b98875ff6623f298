#include "players/registrationrecord.h"

#include <QtTest>

class TestRegistrationRecord : public QObject
{
    Q_OBJECT

private slots:
    void names_data();
    void names();
    void dmz_data();
    void dmz();
    void contact();
};

void TestRegistrationRecord::names_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("name");
    QTest::newRow("plain") << "Lobby" << "Lobby";
    QTest::newRow("two characters") << "U+0041U+0042" << "AB";
    QTest::newRow("text before the first marker is lost") << "xyU+0041" << "A";
    QTest::newRow("non-ASCII") << "U+5927U+5802" << QString::fromUtf8("\xe5\xa4\xa7\xe5\xa0\x82");
    QTest::newRow("stops at an empty part") << "U+0041U+U+0042" << "A";
    QTest::newRow("bad hex gives code 0") << "U+zzU+0041" << QString(QChar(0)) + "A";
    QTest::newRow("lower-case marker is plain text") << "u+0041" << "u+0041";
}

void TestRegistrationRecord::names()
{
    QFETCH(QString, field);
    QFETCH(QString, name);
    QCOMPARE(decodePlayerName(field), name);
}

void TestRegistrationRecord::dmz_data()
{
    QTest::addColumn<QString>("flag");
    QTest::addColumn<bool>("on");
    QTest::newRow("yes with blanks") << "  yes " << true;
    QTest::newRow("ON") << "ON" << true;
    QTest::newRow("1") << "1" << true;
    QTest::newRow("enable") << "Enable" << true;
    QTest::newRow("true is not a switch") << "true" << false;
    QTest::newRow("off") << "off" << false;
    QTest::newRow("empty") << "" << false;
}

void TestRegistrationRecord::dmz()
{
    QFETCH(QString, flag);
    QFETCH(bool, on);
    QCOMPARE(isDmzOn(flag), on);
}

void TestRegistrationRecord::contact()
{
    QStringList record(RegistrationField::Count);
    record[RegistrationField::Address] = "127.0.0.2";
    record[RegistrationField::DmzIp] = "127.0.0.9";
    QCOMPARE(contactAddress(record), QStringLiteral("127.0.0.2"));
    record[RegistrationField::DmzFlag] = "YES";
    QCOMPARE(contactAddress(record), QStringLiteral("127.0.0.9"));
    QCOMPARE(playerEndpoint(contactAddress(record)), QStringLiteral("http://127.0.0.9:8888/RPC2"));
    QCOMPARE(contactAddress(QStringList{"name"}), QString());
}

QTEST_APPLESS_MAIN(TestRegistrationRecord)
#include "tst_registrationrecord.moc"
