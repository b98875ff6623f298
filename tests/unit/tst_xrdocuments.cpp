#include "xmlrpc/xrdocuments.h"

#include <QDateTime>
#include <QTest>

class TestXrDocuments : public QObject
{
    Q_OBJECT

private slots:
    void parseDocument_data();
    void parseDocument();
    void parsedTree_data();
    void parsedTree();
    void parseCall_data();
    void parseCall();
    void parseResponse_data();
    void parseResponse();
    void wireForm_data();
    void wireForm();
    void directWire_data();
    void directWire();
};

namespace {

QByteArray nestedArrays(int levels)
{
    return "<methodCall><params><param><value>" + QByteArray("<array><data><value>").repeated(levels) + "<int>1</int>"
           + QByteArray("</value></data></array>").repeated(levels) + "</value></param></params></methodCall>";
}

QByteArray faultDocument(const QByteArray& code, const QByteArray& text)
{
    return "<methodResponse><fault><value><struct><member><name>faultCode</name><value>" + code
           + "</value></member><member><name>faultString</name><value>" + text
           + "</value></member></struct></value></fault></methodResponse>";
}

} // namespace

void TestXrDocuments::parseDocument_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("error");

    // methodCall, params, param, value and int around three elements per array.
    const int arraysWithinLimit = (kXrMaxDepth - 5) / 3;
    const QString tooDeep = QStringLiteral("Elements nested deeper than 64 levels are not accepted");
    const QString doctype = QStringLiteral("Document type declarations are not accepted");
    QTest::newRow("deepest accepted") << nestedArrays(arraysWithinLimit) << QString();
    QTest::newRow("one level too deep") << nestedArrays(arraysWithinLimit + 1) << tooDeep;
    QTest::newRow("20000 nested arrays") << nestedArrays(20000) << tooDeep;
    QTest::newRow("entity bomb") << QByteArray("<!DOCTYPE m [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b \"&a;&a;&a;&a;&a;&a;\">"
                                               "<!ENTITY c \"&b;&b;&b;&b;&b;&b;\">]><m>&c;&c;&c;&c;&c;&c;</m>")
                                 << doctype;
    QTest::newRow("plain doctype") << QByteArray("<!DOCTYPE methodCall><methodCall/>") << doctype;
    QTest::newRow("tag mismatch") << QByteArray("<methodCall><params></methodCall>")
                                  << QStringLiteral("mismatched tag");
    QTest::newRow("empty") << QByteArray() << QStringLiteral("no element found");
    QTest::newRow("NUL byte") << QByteArray("<methodCall><methodName>a") + '\0' + "b</methodName></methodCall>"
                              << QStringLiteral("not well-formed (NUL character) (line 1, column 25)");
    QTest::newRow("lone NUL byte") << QByteArray(1, '\0') << QStringLiteral("not well-formed (NUL character)");
    QTest::newRow("invalid UTF-8") << QByteArray("<methodCall>\n<methodName>caf\xe9</methodName></methodCall>")
                                   << QStringLiteral("not well-formed (invalid UTF-8) (line 2, column 15)");
    QTest::newRow("UTF-8 encoded surrogate") << QByteArray("<methodCall>\xed\xa0\x80</methodCall>")
                                             << QStringLiteral("not well-formed (invalid UTF-8)");
    QTest::newRow("unknown encoding")
        << QByteArray("<?xml version=\"1.0\" encoding=\"x-none\"?><methodCall/>") << QStringLiteral("unknown encoding");
    QTest::newRow("multi-byte encoding")
        << QByteArray("<?xml version=\"1.0\" encoding=\"Shift_JIS\"?><methodCall/>") << QStringLiteral("unknown encoding");
    QTest::newRow("declaration, comment, prefix")
        << QByteArray("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><!-- c --><x:methodCall/>") << QString();
}

void TestXrDocuments::parseDocument()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, error);

    QDomDocument doc;
    QString message;
    QCOMPARE(xrParseDocument(bytes, doc, &message), error.isEmpty());
    QVERIFY2(message.startsWith(error) && (message.contains(QLatin1String("line ")) == !error.isEmpty()),
             qPrintable(message));
    QCOMPARE(doc.documentElement().isNull(), !error.isEmpty());

    QString name;
    QVariantList params;
    QString readMessage;
    QCOMPARE(xrReadMethodCall(bytes, name, params, &readMessage) == XrCallReading::NotWellFormed, !error.isEmpty());
    QCOMPARE(readMessage, error.isEmpty() ? QString() : message);
}

void TestXrDocuments::parsedTree_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QByteArray>("tree"); // as written back on one line

    QTest::newRow("layout dropped, text kept")
        << QByteArray("<methodCall>\r\n <methodName> m\r\n</methodName>\n <params>\t<param><value> </value></param>"
                      "<param><value><string>  </string></value></param><param><value>a <i4>1</i4> </value></param>"
                      "<param><value><x> </x></value></param></params> </methodCall>")
        << QByteArray("<methodCall><methodName> m\n</methodName><params><param><value/></param><param><value>"
                      "<string>  </string></value></param><param><value>a <i4>1</i4></value></param><param><value>"
                      "<x> </x></value></param></params></methodCall>");
    QTest::newRow("references, CDATA, comments, instructions")
        << QByteArray("<value><string>&lt;&amp;&#13;&#x1F600;<![CDATA[<x>]]><!-- c -->&gt;<?pi x?>z</string></value>")
        << QByteArray("<value><string>&lt;&amp;&#xd;\xf0\x9f\x98\x80&lt;x>>z</string></value>");
    QTest::newRow("attribute, prefix, epilogue")
        << QByteArray("<x:value xmlns:x=\"urn:a\"><x:i4>2</x:i4></x:value>\n<!-- end -->\n")
        << QByteArray("<x:value xmlns:x=\"urn:a\"><x:i4>2</x:i4></x:value>");
    QTest::newRow("ISO-8859-1") << QByteArray("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><string>caf\xe9</string>")
                                << QByteArray("<string>caf\xc3\xa9</string>");
    QTest::newRow("windows-1252") << QByteArray("<?xml version=\"1.0\" encoding=\"windows-1252\"?><string>\x80</string>")
                                  << QByteArray("<string>\xe2\x82\xac</string>");
    QTest::newRow("UTF-16 with byte order mark")
        << QByteArray("\xff\xfe<\0s\0>\0\xe9\0<\0/\0s\0>\0", 18) << QByteArray("<s>\xc3\xa9</s>");
    QTest::newRow("UTF-8 byte order mark") << QByteArray("\xef\xbb\xbf<s>\xe2\x82\xac</s>")
                                           << QByteArray("<s>\xe2\x82\xac</s>");
}

void TestXrDocuments::parsedTree()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QByteArray, tree);

    QDomDocument doc;
    QString message;
    QVERIFY2(xrParseDocument(bytes, doc, &message), qPrintable(message));
    QCOMPARE(doc.toByteArray(-1), tree);
}

void TestXrDocuments::parseCall_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QString>("method");
    QTest::addColumn<QVariantList>("params");
    const auto row = [](const char* name, const char* xml, bool ok, const char* method, const QVariantList& params) {
        QTest::newRow(name) << QByteArray(xml) << ok << QString::fromUtf8(method) << params;
    };

    row("empty params", "<methodCall><methodName>Kivo.GetList</methodName><params/></methodCall>", true, "Kivo.GetList", {});
    row("indented", "<methodCall>\n  <methodName>m</methodName>\r\n  <params>\n\t<param>\n   <value>\n <i4>7</i4> </value>\n"
                    "  </param>\n <param> <value> </value> </param>\n </params>\n</methodCall>\n",
        true, "m", {7, QVariant()});
    row("wrong root", "<methodResponse><methodName>m</methodName></methodResponse>", false, "", {});
    row("empty param", "<methodCall><methodName>m</methodName><params><param><value>x</value></param><param/></params>"
                       "</methodCall>", false, "", {});
    row("unreadable param kept", "<methodCall><params><param><value><boolean>yes</boolean></value></param>"
                                 "<param><value>b</value></param></params></methodCall>",
        true, "", {QVariant(), QStringLiteral("b")});
    row("later name wins, foreign children skipped",
        "<methodCall><methodName>a</methodName><params><x/><param><value>1</value></param></params><other/>"
        "<methodName> b </methodName></methodCall>", true, " b ", {QStringLiteral("1")});
    row("every kind of value",
        "<methodCall><methodName>all</methodName><params>\n"
        "<param><value><string>  </string></value></param><param><value><string/></value></param>"
        "<param><value>a&amp;<![CDATA[<b>]]></value></param><param><value>x<i4>2</i4>y</value></param>"
        "<param><value><boolean>1</boolean></value></param><param><value><double>-0.5</double></value></param>"
        "<param><value><dateTime.iso8601>20100528T14:05:09</dateTime.iso8601></value></param>"
        "<param><value><base64>TWFu</base64></value></param><param><value><nil/></value></param>"
        "<param><value><array><data> <value><int> 3 </int></value> <value>s</value> </data></array></value></param>"
        "<param><value><array><data><value>1</value>text</data></array></value></param>"
        "<param><value><struct> <member><name>k</name><value><struct/></value></member> </struct></value></param>"
        "</params></methodCall>",
        true, "all",
        {QStringLiteral("  "), QString(), QStringLiteral("a&<b>"), QStringLiteral("x2y"), true, -0.5,
         QDateTime(QDate(2010, 5, 28), QTime(14, 5, 9)), QByteArray("Man"), QVariant(),
         QVariantList{3, QStringLiteral("s")}, QVariant(), QVariantMap{{QStringLiteral("k"), QVariantMap()}}});
    row("no methodName, blank params", "<methodCall>\n<params>\n</params>\n</methodCall>", true, "", {});
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

    // The server's reader, which builds no document, reads every call alike.
    QString readName = QStringLiteral("unset");
    QVariantList readParams{1};
    QCOMPARE(xrReadMethodCall(bytes, readName, readParams),
             ok ? XrCallReading::Read : XrCallReading::NotMethodCall);
    QCOMPARE(readName, method);
    QCOMPARE(readParams, params);
}

void TestXrDocuments::parseResponse_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QVariant>("fault"); // Invalid, or the expected code and text as a list
    QTest::addColumn<QVariant>("value");
    const auto row = [](const char* name, const QByteArray& xml, bool ok, const QVariant& fault, const QVariant& value) {
        QTest::newRow(name) << xml << ok << fault << value;
    };
    const QVariant none;

    row("value", "<methodResponse><params><param><value><i4>5</i4></value></param></params></methodResponse>", true,
        none, 5);
    row("fault", faultDocument("<int>-32601</int>", "<string>nope</string>"), true, QVariantList{-32601, "nope"}, none);
    row("fault code as digits", faultDocument("<string>12</string>", "x"), true, QVariantList{12, "x"}, none);
    row("fault code as letters", faultDocument("<string>ab</string>", "<int>3</int>"), true, QVariantList{0, "3"}, none);
    row("fault without faultString", "<methodResponse><fault><value><struct><member><name>faultCode</name><value>"
                                     "<int>4</int></value></member></struct></value></fault></methodResponse>",
        true, none, none);
    row("fault holding a string", "<methodResponse><fault><value>oops</value></fault></methodResponse>", false, none,
        none);
    row("fault empty", "<methodResponse><fault>\n</fault></methodResponse>", false, none, none);
    row("params empty", "<methodResponse><params/></methodResponse>", false, none, none);
    row("params blank", "<methodResponse>\n <params>\n </params>\n</methodResponse>", false, none, none);
    row("param blank", "<methodResponse><params><param> </param></params></methodResponse>", false, none, none);
    row("params not starting with param",
        "<methodResponse><params><x/><param><value>1</value></param></params></methodResponse>", true, none, none);
    row("neither params nor fault", "<methodResponse/>", true, none, none);
    row("params then fault", "<methodResponse><params><param><value>1</value></param></params>"
                             + faultDocument("<int>9</int>", "late").mid(16),
        true, QVariantList{9, "late"}, none);
    row("wrong root", "<methodCall><params><param><value>1</value></param></params></methodCall>", false, none, none);
}

void TestXrDocuments::parseResponse()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, ok);
    QFETCH(QVariant, fault);
    QFETCH(QVariant, value);

    XRMethodResponse response;
    QVERIFY(xrParseDocument(bytes, response));
    QCOMPARE(response.parse(), ok);
    int code = -1;
    QString text = QStringLiteral("unset");
    QCOMPARE(response.getFault(code, text), fault.isValid());
    if (fault.isValid())
        QCOMPARE((QVariantList{code, text}), fault.toList());
    QCOMPARE(response.value(), value);
}

void TestXrDocuments::wireForm_data()
{
    QTest::addColumn<QByteArray>("wire");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("call") << XRMethodCall(QStringLiteral("Kivo.Play"), {QStringLiteral("a <b> & \"c\""), -3, QVariantList{true},
                                                                        QVariantMap()}).toWire()
                          << QByteArray("<methodCall><methodName>Kivo.Play</methodName><params>"
                                        "<param><value><string>a &lt;b> &amp; \"c\"</string></value></param>"
                                        "<param><value><int>-3</int></value></param><param><value><array><data>"
                                        "<value><boolean>1</boolean></value></data></array></value></param>"
                                        "<param><value><struct/></value></param></params></methodCall>");
    QTest::newRow("call without params") << XRMethodCall(QStringLiteral("Kivo.Reboot"), {}).toWire()
                                         << QByteArray("<methodCall><methodName>Kivo.Reboot</methodName><params/></methodCall>");
    QTest::newRow("response") << XRMethodResponse(QStringLiteral(" 10.0.0.1 ")).toWire()
                              << QByteArray("<methodResponse>\n <params>\n  <param>\n   <value>\n"
                                            "    <string> 10.0.0.1 </string>\n"
                                            "   </value>\n  </param>\n </params>\n</methodResponse>\n");
    QTest::newRow("fault") << XRMethodResponse(-32601, QStringLiteral("Méthode <inconnue>")).toWire()
                           << QByteArray("<methodResponse>\n <fault>\n  <value>\n   <struct>\n"
                                         "    <member>\n     <name>faultCode</name>\n"
                                         "     <value>\n      <int>-32601</int>\n     </value>\n    </member>\n"
                                         "    <member>\n     <name>faultString</name>\n"
                                         "     <value>\n      <string>M\xc3\xa9thode &lt;inconnue></string>\n     </value>\n"
                                         "    </member>\n   </struct>\n  </value>\n </fault>\n</methodResponse>\n");
}

void TestXrDocuments::wireForm()
{
    QFETCH(QByteArray, wire);
    QFETCH(QByteArray, expected);

    QCOMPARE(wire, expected);
}

void TestXrDocuments::directWire_data()
{
    QTest::addColumn<QVariant>("value");

    QString awkward = QStringLiteral("]]>]]]>>\r\n\t<&\"' \u00e9\u20ac");
    awkward += QChar(0xd83d); // a lone surrogate
    awkward += QStringLiteral("\U0001F600");
    QTest::newRow("awkward text") << QVariant(awkward);
    QTest::newRow("empty text") << QVariant(QString());
    QTest::newRow("invalid") << QVariant();
    QTest::newRow("numbers") << QVariant(QVariantList{-7, 4294967295u, 0.1, 1e300, false});
    QTest::newRow("date and bytes")
        << QVariant(QVariantList{QDateTime(QDate(2010, 5, 28), QTime(14, 5, 9)), QByteArray(100, '\xfe')});
    QTest::newRow("empty containers") << QVariant(QVariantList{QVariantList(), QVariantMap()});
    QTest::newRow("nested") << QVariant(QVariantMap{
        {QStringLiteral("b<"), QVariantList{QVariantMap{{QString(), 1}}, QVariantList{QStringLiteral("x")}}},
        {QStringLiteral("a"), QVariant()}});
}

void TestXrDocuments::directWire()
{
    QFETCH(QVariant, value);

    QCOMPARE(xrResponseWire(value), XRMethodResponse(value).toWire());
    QCOMPARE(xrFaultWire(-32700, value.toString()), XRMethodResponse(-32700, value.toString()).toWire());
}

QTEST_GUILESS_MAIN(TestXrDocuments)
#include "tst_xrdocuments.moc"
