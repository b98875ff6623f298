#include "players/registrationrecord.h"

#include <QtTest>

using namespace RegistrationField;

class TestRegistrationRecord : public QObject
{
    Q_OBJECT

private slots:
    void names()
    {
        QCOMPARE(decodePlayerName("xyU+5927U+5802"), QString("大堂")); // text before the first marker is lost
        QCOMPARE(decodePlayerName("U+0041U+U+0042"), QString("A")); // stops at an empty part
        QCOMPARE(decodePlayerName("U+zzU+0041"), QString(QChar(0)) + "A"); // bad hex gives code 0
        QCOMPARE(decodePlayerName("u+0041"), QString("u+0041")); // a lower-case marker is plain text
    }

    // The DMZ address when the flag is a switch word, else the registering address.
    void contact()
    {
        QStringList record(Count);
        record[Address] = "127.0.0.2";
        record[DmzIp] = "127.0.0.9";
        record[DmzFlag] = "  Enable ";
        QCOMPARE(contactAddress(record), QString("127.0.0.9"));
        QCOMPARE(contactAddress(record.first(DmzIp)), QString()); // its address missing
        record[DmzFlag] = "true";
        QCOMPARE(contactAddress(record), QString("127.0.0.2"));
    }
};

QTEST_APPLESS_MAIN(TestRegistrationRecord)
#include "tst_registrationrecord.moc"
