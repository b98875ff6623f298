#include "xmlrpc/xrdocuments.h"

#include "../peers/pythonpeer.h"

#include <QTest>

#include <climits>

namespace {

QJsonArray peerLoads(const QByteArrayList& documents)
{
    return QJsonDocument::fromJson(runPythonPeer({"load"}, documents.join('\0'))).array();
}

QByteArrayList peerDumps(const QJsonArray& requests)
{
    const QByteArray output = runPythonPeer({"dump"}, QJsonDocument(requests).toJson(QJsonDocument::Compact));
    return output.isEmpty() ? QByteArrayList() : output.split('\0');
}

QJsonObject callView(const QJsonValue& method, const QJsonValue& param)
{
    return QJsonObject{{"method", method}, {"params", QJsonArray{param}}};
}

// A methodResponse as the client reads it; neither value nor fault when unreadable.
XRMethodResponse responseOf(const QByteArray& document)
{
    XRMethodResponse response;
    return xrParseDocument(document, response) && response.parse() ? response : XRMethodResponse();
}

} // namespace

// Exchanges documents with Python's standard XML-RPC module both ways. Values
// travel to and from the peer as typed JSON, so a kind mix-up fails too.
class TestXrInterop : public QObject
{
    Q_OBJECT

private slots:
    void values_data()
    {
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QJsonValue>("peerView");
        QTest::addColumn<bool>("fromPeer"); // also read back as the peer writes it
        const auto row = [](const char* name, const QVariant& value, bool fromPeer = true) {
            QTest::newRow(name) << value << toTyped(value) << fromPeer;
        };
        QByteArray allBytes;
        for (int i = 0; i < 256; ++i)
            allBytes.append(char(i));
        row("ints", QVariantList{42, INT_MIN, INT_MAX});
        row("booleans", QVariantList{true, false});
        row("doubles", QVariantList{3.25, -0.1, 1e-300, 1.5e300, 100000000.0});
        row("string markup", "<tag attr=\"v\">&amp; ]]> 'q'</tag>");
        row("string non-ASCII", "Grüße ×÷ \u65e5\u672c\u8a9e \U0001F600");
        row("strings padded, blank, empty", QVariantList{"  lead and trail  ", " \t \n ", QString()});
        row("dateTime", QDateTime(QDate(2010, 5, 28), QTime(14, 5, 9)));
        row("base64", QVariantList{allBytes, allBytes.mid(100, 58), QByteArray()});
        row("nested", QVariantMap{{"b list", QVariantList{1, QVariantMap{{"é", QVariantList{2.5, true}}}}},
                                  {"A", QVariantMap{{" ", QVariantList()}, {"m", QVariantMap()}}}});
        // The peer's own writer leaves carriage returns raw.
        row("carriage returns", "a\r\nb\rc", false);
        QTest::newRow("uint beyond int") << QVariant(4294967295u) << QJsonValue(typed("int", 4294967295.0)) << false;
        QTest::newRow("invalid") << QVariant() << QJsonValue(typed("string", QString())) << false;
    }
    void values()
    {
        QFETCH(QVariant, value);
        QFETCH(QJsonValue, peerView);
        QFETCH(bool, fromPeer);
        QCOMPARE(peerLoads({XRMethodCall("Kivo.Echo", {value}).toWire(), xrResponseWire(value)}),
                 (QJsonArray{callView("Kivo.Echo", peerView), callView(QJsonValue::Null, peerView)}));
        if (!fromPeer)
            return;

        const QByteArrayList documents = peerDumps({QJsonObject{{"call", callView("Kivo_SVR.wgetProgress", peerView)}},
                                                    QJsonObject{{"response", peerView}}});
        QCOMPARE(documents.size(), 2);
        QString method;
        QVariantList params;
        QCOMPARE(xrReadMethodCall(documents[0], method, params), XrCallReading::Read);
        QCOMPARE(method, "Kivo_SVR.wgetProgress");
        QCOMPARE(toTyped(params), toTyped(QVariantList{value}));
        QCOMPARE(toTyped(responseOf(documents[1]).value()), peerView);
    }

    void faults_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("text");
        QTest::newRow("zero code, empty text") << 0 << QString();
        QTest::newRow("odd text") << INT_MIN << "  <odd> & \"ünïcode\" ]]>  ";
    }
    void faults()
    {
        QFETCH(int, code);
        QFETCH(QString, text);
        const QJsonObject fault{{"fault", QJsonObject{{"code", code}, {"string", text}}}};
        QCOMPARE(peerLoads({xrFaultWire(code, text)}), QJsonArray{fault});

        const QByteArrayList documents = peerDumps({fault});
        QCOMPARE(documents.size(), 1);
        int parsedCode = 1;
        QString parsedText = "unset";
        QVERIFY(responseOf(documents[0]).getFault(parsedCode, parsedText));
        QCOMPARE((QVariantList{parsedCode, parsedText}), (QVariantList{code, text}));
    }
};

QTEST_GUILESS_MAIN(TestXrInterop)
#include "tst_xrinterop.moc"
