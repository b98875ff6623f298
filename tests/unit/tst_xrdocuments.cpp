#include "xmlrpc/xrdocuments.h"

#include <QDateTime>
#include <QTest>

class TestXrDocuments : public QObject
{
    Q_OBJECT

private slots:
    void parseDocument_data();
    void parseDocument();
    void parseCall_data();
    void parseCall();
    void parseResponse_data();
    void parseResponse();
    void callWireForm();
    void responseWireForm();
    void faultWireForm();
    void roundTrip();
};

namespace {

QByteArray nestedArrays(int levels)
{
    return "<methodCall><params><param><value>" + QByteArray("<array><data><value>").repeated(levels)
           + "<int>1</int>" + QByteArray("</value></data></array>").repeated(levels)
           + "</value></param></params></methodCall>";
}

// Billion laughs: refused before any entity is expanded.
const QByteArray kEntityBomb = R"(<?xml version="1.0"?>
<!DOCTYPE methodCall [
 <!ENTITY a "aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa">
 <!ENTITY b "&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;">
 <!ENTITY c "&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;">
 <!ENTITY d "&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;">
]>
<methodCall><methodName>&d;</methodName></methodCall>)";

} // namespace

void TestXrDocuments::parseDocument_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<QString>("messageStart");

    // methodCall, params, param, value and then three elements per array.
    const int arraysWithinLimit = (kXrMaxDepth - 5) / 3;
    QTest::newRow("deepest accepted") << nestedArrays(arraysWithinLimit) << true << QString();
    QTest::newRow("one level too deep")
        << nestedArrays(arraysWithinLimit + 1) << false << QStringLiteral("Elements nested deeper than 64 levels");
    QTest::newRow("20000 nested arrays")
        << nestedArrays(20000) << false << QStringLiteral("Elements nested deeper than 64 levels");
    QTest::newRow("entity bomb") << kEntityBomb << false << QStringLiteral("Document type declarations are not accepted");
    QTest::newRow("plain doctype") << QByteArray("<!DOCTYPE methodCall><methodCall/>") << false
                                   << QStringLiteral("Document type declarations are not accepted");
    QTest::newRow("tag mismatch") << QByteArray("<methodCall><params></methodCall>") << false
                                  << QStringLiteral("Opening and ending tag mismatch.");
    QTest::newRow("undeclared entity") << QByteArray("<methodCall>&x;</methodCall>") << false
                                       << QStringLiteral("Entity 'x' not declared.");
    QTest::newRow("empty") << QByteArray() << false << QStringLiteral("Premature end of document.");
    QTest::newRow("two roots") << QByteArray("<a/><b/>") << false << QStringLiteral("Extra content at end of document.");
    QTest::newRow("declaration, comment, prefix")
        << QByteArray("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><!-- c --><x:methodCall/>") << true << QString();
}

void TestXrDocuments::parseDocument()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, accepted);
    QFETCH(QString, messageStart);

    QDomDocument doc;
    QString message;
    QCOMPARE(xrParseDocument(bytes, doc, &message), accepted);
    if (accepted) {
        QVERIFY(message.isEmpty());
        QVERIFY(!doc.documentElement().isNull());
    } else {
        QVERIFY2(message.startsWith(messageStart), qPrintable(message));
        QVERIFY(message.contains(QLatin1String("line ")));
        QVERIFY(doc.isNull());
    }
}

void TestXrDocuments::parseCall_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QString>("method");
    QTest::addColumn<QVariantList>("params");

    const QVariantList none;
    QTest::newRow("empty params") << QByteArray("<methodCall><methodName>Kivo.GetList</methodName><params/></methodCall>")
                                  << true << QStringLiteral("Kivo.GetList") << none;
    QTest::newRow("indented") << QByteArray("<methodCall>\n  <methodName>m</methodName>\r\n  <params>\n\t<param>\n"
                                            "   <value>\n <i4>7</i4> </value>\n  </param>\n <param> <value> </value>"
                                            " </param>\n </params>\n</methodCall>\n")
                              << true << QStringLiteral("m") << QVariantList{7, QVariant()};
    QTest::newRow("wrong root") << QByteArray("<methodResponse><methodName>m</methodName></methodResponse>") << false
                                << QString() << none;
    QTest::newRow("empty param") << QByteArray("<methodCall><methodName>m</methodName><params><param><value>x</value>"
                                               "</param><param/></params></methodCall>")
                                 << false << QString() << none;
    QTest::newRow("unreadable param kept as invalid")
        << QByteArray("<methodCall><methodName>m</methodName><params><param><value><boolean>yes</boolean></value>"
                      "</param><param><value>b</value></param></params></methodCall>")
        << true << QStringLiteral("m") << QVariantList{QVariant(), QStringLiteral("b")};
    QTest::newRow("no name, no params, foreign children")
        << QByteArray("<methodCall><other/>text</methodCall>") << true << QString() << none;
    QTest::newRow("later name wins, foreign params children skipped")
        << QByteArray("<methodCall><methodName>a</methodName><params><x/><param><value>1</value></param></params>"
                      "<methodName> b </methodName></methodCall>")
        << true << QStringLiteral(" b ") << QVariantList{QStringLiteral("1")};
}

void TestXrDocuments::parseCall()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, ok);
    QFETCH(QString, method);
    QFETCH(QVariantList, params);

    XRMethodCall call;
    QVERIFY(xrParseDocument(bytes, call));
    QCOMPARE(call.parse(), ok);
    QCOMPARE(call.methodName(), method);
    QCOMPARE(call.params(), params);
}

void TestXrDocuments::parseResponse_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<bool>("isFault");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QVariant>("value");

    const auto fault = [](const QByteArray& code, const QByteArray& text) {
        return "<methodResponse><fault><value><struct><member><name>faultCode</name><value>" + code
               + "</value></member><member><name>faultString</name><value>" + text
               + "</value></member></struct></value></fault></methodResponse>";
    };
    const QVariant invalid;
    QTest::newRow("value") << QByteArray("<methodResponse><params><param><value><i4>5</i4></value></param></params>"
                                         "</methodResponse>")
                           << true << false << 0 << QString() << QVariant(5);
    QTest::newRow("fault") << fault("<int>-32601</int>", "<string>nope</string>") << true << true << -32601
                           << QStringLiteral("nope") << invalid;
    QTest::newRow("fault code as digits") << fault("<string>12</string>", "x") << true << true << 12
                                          << QStringLiteral("x") << invalid;
    QTest::newRow("fault code as letters") << fault("<string>ab</string>", "<int>3</int>") << true << true << 0
                                           << QStringLiteral("3") << invalid;
    QTest::newRow("fault without faultString")
        << QByteArray("<methodResponse><fault><value><struct><member><name>faultCode</name><value><int>4</int>"
                      "</value></member></struct></value></fault></methodResponse>")
        << true << false << 0 << QString() << invalid;
    QTest::newRow("fault holding a string") << QByteArray("<methodResponse><fault><value>oops</value></fault>"
                                                          "</methodResponse>")
                                            << false << false << 0 << QString() << invalid;
    QTest::newRow("fault empty") << QByteArray("<methodResponse><fault>\n</fault></methodResponse>") << false << false
                                 << 0 << QString() << invalid;
    QTest::newRow("params empty") << QByteArray("<methodResponse><params/></methodResponse>") << false << false << 0
                                  << QString() << invalid;
    QTest::newRow("params blank") << QByteArray("<methodResponse>\n <params>\n </params>\n</methodResponse>") << false
                                  << false << 0 << QString() << invalid;
    QTest::newRow("param empty") << QByteArray("<methodResponse><params><param> </param></params></methodResponse>")
                                 << false << false << 0 << QString() << invalid;
    QTest::newRow("params not starting with param")
        << QByteArray("<methodResponse><params><x/><param><value>1</value></param></params></methodResponse>") << true
        << false << 0 << QString() << invalid;
    QTest::newRow("neither params nor fault") << QByteArray("<methodResponse/>") << true << false << 0 << QString()
                                              << invalid;
    QTest::newRow("params then fault")
        << QByteArray("<methodResponse><params><param><value>1</value></param></params>"
                      "<fault><value><struct><member><name>faultCode</name><value><int>9</int></value></member>"
                      "<member><name>faultString</name><value>late</value></member></struct></value></fault>"
                      "</methodResponse>")
        << true << true << 9 << QStringLiteral("late") << invalid;
    QTest::newRow("wrong root") << QByteArray("<methodCall><params><param><value>1</value></param></params></methodCall>")
                                << false << false << 0 << QString() << invalid;
}

void TestXrDocuments::parseResponse()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, ok);
    QFETCH(bool, isFault);
    QFETCH(int, code);
    QFETCH(QString, text);
    QFETCH(QVariant, value);

    XRMethodResponse response;
    QVERIFY(xrParseDocument(bytes, response));
    QCOMPARE(response.parse(), ok);
    int actualCode = -1;
    QString actualText = QStringLiteral("unset");
    QCOMPARE(response.getFault(actualCode, actualText), isFault);
    if (isFault) {
        QCOMPARE(actualCode, code);
        QCOMPARE(actualText, text);
    }
    QCOMPARE(response.value(), value);
}

void TestXrDocuments::callWireForm()
{
    const XRMethodCall call(QStringLiteral("Kivo.Play"),
                            {QStringLiteral("a <b> & \"c\""), -3, QVariantList{true}, QVariantMap()});
    QCOMPARE(call.toWire(), QByteArray("<methodCall><methodName>Kivo.Play</methodName><params>"
                                       "<param><value><string>a &lt;b> &amp; \"c\"</string></value></param>"
                                       "<param><value><int>-3</int></value></param>"
                                       "<param><value><array><data><value><boolean>1</boolean></value></data></array>"
                                       "</value></param>"
                                       "<param><value><struct/></value></param></params></methodCall>"));
    QCOMPARE(XRMethodCall(QStringLiteral("Kivo.Reboot"), {}).toWire(),
             QByteArray("<methodCall><methodName>Kivo.Reboot</methodName><params/></methodCall>"));
}

void TestXrDocuments::responseWireForm()
{
    const XRMethodResponse response(QVariantMap{{QStringLiteral("ip"), QStringLiteral("10.0.0.1")}});
    QCOMPARE(response.toWire(), QByteArray("<methodResponse>\n"
                                           " <params>\n"
                                           "  <param>\n"
                                           "   <value>\n"
                                           "    <struct>\n"
                                           "     <member>\n"
                                           "      <name>ip</name>\n"
                                           "      <value>\n"
                                           "       <string>10.0.0.1</string>\n"
                                           "      </value>\n"
                                           "     </member>\n"
                                           "    </struct>\n"
                                           "   </value>\n"
                                           "  </param>\n"
                                           " </params>\n"
                                           "</methodResponse>\n"));
}

void TestXrDocuments::faultWireForm()
{
    const XRMethodResponse fault(-32601, QStringLiteral("Méthode <inconnue>"));
    QCOMPARE(fault.toWire(), QByteArray("<methodResponse>\n"
                                        " <fault>\n"
                                        "  <value>\n"
                                        "   <struct>\n"
                                        "    <member>\n"
                                        "     <name>faultCode</name>\n"
                                        "     <value>\n"
                                        "      <int>-32601</int>\n"
                                        "     </value>\n"
                                        "    </member>\n"
                                        "    <member>\n"
                                        "     <name>faultString</name>\n"
                                        "     <value>\n"
                                        "      <string>M\xc3\xa9thode &lt;inconnue></string>\n"
                                        "     </value>\n"
                                        "    </member>\n"
                                        "   </struct>\n"
                                        "  </value>\n"
                                        " </fault>\n"
                                        "</methodResponse>\n"));
    int code = 0;
    QString text;
    QVERIFY(fault.getFault(code, text));
    QCOMPARE(code, -32601);
    QCOMPARE(text, QStringLiteral("Méthode <inconnue>"));
    QVERIFY(!fault.value().isValid());
}

void TestXrDocuments::roundTrip()
{
    const QVariantList params{QStringLiteral("  padded  "), QStringLiteral(" "), 4294967295u, 1.25,
                              QDateTime(QDate(2010, 5, 28), QTime(23, 59, 58)), QByteArray(200, '\x80'),
                              QVariantMap{{QStringLiteral("list"), QVariantList{QVariantList(), QVariantMap()}}}};
    const QVariantList expected{params[0], params[1], 0, params[3], params[4], params[5], params[6]};

    XRMethodCall call;
    QVERIFY(xrParseDocument(XRMethodCall(QStringLiteral("Kivo.Set"), params).toWire(), call));
    QVERIFY(call.parse());
    QCOMPARE(call.methodName(), QStringLiteral("Kivo.Set"));
    QCOMPARE(call.params(), expected);

    XRMethodResponse response;
    QVERIFY(xrParseDocument(XRMethodResponse(QVariant(expected)).toWire(), response));
    QVERIFY(response.parse());
    int code = 0;
    QString text;
    QVERIFY(!response.getFault(code, text));
    QCOMPARE(response.value(), QVariant(expected));

    XRMethodResponse fault;
    QVERIFY(xrParseDocument(XRMethodResponse(7, QStringLiteral("  disk full ")).toWire(), fault));
    QVERIFY(fault.parse());
    QVERIFY(fault.getFault(code, text));
    QCOMPARE(code, 7);
    QCOMPARE(text, QStringLiteral("  disk full "));
}

QTEST_GUILESS_MAIN(TestXrDocuments)
#include "tst_xrdocuments.moc"
