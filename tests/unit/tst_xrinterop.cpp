#include "xmlrpc/xrdocuments.h"

#include "../peers/pythonpeer.h"

#include <QTest>

#include <climits>

namespace {

QJsonArray peerLoads(const QByteArrayList& documents)
{
    return QJsonDocument::fromJson(runPythonPeer({"load"}, documents.join('\0'))).array();
}

QJsonObject callView(const QJsonValue& method, const QJsonValue& param)
{
    return QJsonObject{{"method", method}, {"params", QJsonArray{param}}};
}

} // namespace

// Documents exchanged with Python's standard XML-RPC module, values as typed JSON so a kind mix-up fails.
class TestXrInterop : public QObject
{
    Q_OBJECT

private slots:
    void values_data()
    {
        QTest::addColumn<QVariant>("value");
        QByteArray allBytes;
        for (int i = 0; i < 256; ++i)
            allBytes.append(char(i));
        QTest::newRow("every kind") << QVariant(QVariantList{
            42, INT_MIN, INT_MAX, true, false, 3.25, -0.1, 1e-300, 1.5e300, 100000000.0, "<a b=\"v\">&amp; ]]> 'q'</a>",
            "Grüße ×÷ \u65e5\u672c\u8a9e \U0001F600", "  lead and trail  ", " \t \n ", QString(), allBytes,
            QByteArray(), QDateTime(QDate(2010, 5, 28), QTime(14, 5, 9))});
        QTest::newRow("nested") << QVariant(QVariantMap{{"b list", QVariantList{1, QVariantMap{{"é", QVariantList{}}}}},
                                                        {"A", QVariantMap{{" ", QVariantList()}, {"m", QVariantMap()}}}});
    }
    void values()
    {
        QFETCH(QVariant, value);
        const QJsonValue peerView = toTyped(value);
        QCOMPARE(peerLoads({XRMethodCall("Kivo.Echo", {value}).toWire(), xrResponseWire(value)}),
                 (QJsonArray{callView("Kivo.Echo", peerView), callView(QJsonValue::Null, peerView)}));

        const QJsonArray requests{QJsonObject{{"call", callView("Kivo_SVR.wgetProgress", peerView)}},
                                  QJsonObject{{"response", peerView}}};
        const QByteArrayList documents =
            runPythonPeer({"dump"}, QJsonDocument(requests).toJson(QJsonDocument::Compact)).split('\0');
        QString method;
        QVariantList params;
        QCOMPARE(xrReadMethodCall(documents.value(0), method, params), XrCallReading::Read);
        QCOMPARE(method, "Kivo_SVR.wgetProgress");
        QCOMPARE(toTyped(params), toTyped(QVariantList{value}));
        XRMethodResponse response;
        QVERIFY(xrParseDocument(documents.value(1), response) && response.parse());
        QCOMPARE(toTyped(response.value()), peerView);
    }

    // A fault; values only we write: carriage returns (escaped), a uint beyond int, an invalid value.
    void faultAndValuesOnlyWeWrite()
    {
        const QString text = "  <odd> & \"ünïcode\" ]]>  ";
        const QJsonObject fault{{"fault", QJsonObject{{"code", INT_MIN}, {"string", text}}}};
        const QJsonValue odd = typed("array", QJsonArray{typed("string", "a\r\nb\rc"), typed("int", 4294967295.0),
                                                         typed("string", QString())});
        const QVariantList values{"a\r\nb\rc", 4294967295u, QVariant()};
        QCOMPARE(peerLoads({xrFaultWire(INT_MIN, text), xrResponseWire(values)}),
                 (QJsonArray{fault, callView(QJsonValue::Null, odd)}));
    }
};

QTEST_GUILESS_MAIN(TestXrInterop)
#include "tst_xrinterop.moc"
