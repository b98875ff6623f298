#include "players/registrationrecord.h"

#include <QtTest>

using namespace RegistrationField;

class TestRegistrationRecord : public QObject
{
    Q_OBJECT

private slots:
    void names_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("name");
        QTest::newRow("non-ASCII") << "U+5927U+5802" << QString::fromUtf8("\xe5\xa4\xa7\xe5\xa0\x82");
        QTest::newRow("text before the first marker is lost") << "xyU+0041" << "A";
        QTest::newRow("stops at an empty part") << "U+0041U+U+0042" << "A";
        QTest::newRow("bad hex gives code 0") << "U+zzU+0041" << QString(QChar(0)) + "A";
        QTest::newRow("lower-case marker is plain text") << "u+0041" << "u+0041";
    }
    void names()
    {
        QFETCH(QString, field);
        QTEST(decodePlayerName(field), "name");
    }

    void contact_data()
    {
        QTest::addColumn<QString>("dmzFlag");
        QTest::addColumn<int>("fields"); // how much of the record arrived
        QTest::addColumn<QString>("contact");
        QTest::newRow("yes with blanks") << "  yes " << int(Count) << "127.0.0.9";
        QTest::newRow("ON") << "ON" << int(Count) << "127.0.0.9";
        QTest::newRow("1") << "1" << int(Count) << "127.0.0.9";
        QTest::newRow("Enable") << "Enable" << int(Count) << "127.0.0.9";
        QTest::newRow("true is not a switch") << "true" << int(Count) << "127.0.0.2";
        QTest::newRow("DMZ on, its address missing") << "yes" << int(DmzIp) << "";
    }
    void contact()
    {
        QFETCH(QString, dmzFlag);
        QFETCH(int, fields);
        QStringList record(Count);
        record[Address] = "127.0.0.2";
        record[DmzFlag] = dmzFlag;
        record[DmzIp] = "127.0.0.9";
        QTEST(contactAddress(record.first(fields)), "contact");
    }
};

QTEST_APPLESS_MAIN(TestRegistrationRecord)
#include "tst_registrationrecord.moc"
