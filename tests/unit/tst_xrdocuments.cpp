#include "xmlrpc/xrdocuments.h"

#include <QTest>

namespace {

QByteArray call(const QByteArray& content) { return "<methodCall>" + content + "</methodCall>"; }

QByteArray nestedArrays(int levels)
{
    return call("<params><param><value>" + QByteArray("<array><data><value>").repeated(levels) + "<int>1</int>"
                + QByteArray("</value></data></array>").repeated(levels) + "</value></param></params>");
}

QByteArray fault(const QByteArray& code, const QByteArray& text)
{
    return "<fault><value><struct><member><name>faultCode</name><value>" + code
           + "</value></member><member><name>faultString</name><value>" + text
           + "</value></member></struct></value></fault>";
}

} // namespace

class TestXrDocuments : public QObject
{
    Q_OBJECT

private slots:
    void parse_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QByteArray>("tree"); // as written back on one line; empty when refused
        QTest::addColumn<QString>("error");   // how the message starts; empty when accepted
        const auto accepted = [](const char* name, const QByteArray& bytes, const QByteArray& tree) {
            QTest::newRow(name) << bytes << tree << QString();
        };
        const auto refused = [](const char* name, const QByteArray& bytes, const char* error) {
            QTest::newRow(name) << bytes << QByteArray() << QString(error);
        };
        // methodCall, params, param, value and int around three elements per array.
        const int arraysWithinLimit = (kXrMaxDepth - 5) / 3;
        accepted("deepest accepted", nestedArrays(arraysWithinLimit), nestedArrays(arraysWithinLimit));
        refused("one level too deep", nestedArrays(arraysWithinLimit + 1),
                "Elements nested deeper than 64 levels are not accepted");
        refused("entity bomb", "<!DOCTYPE m [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b \"&a;&a;&a;&a;&a;&a;\">"
                               "<!ENTITY c \"&b;&b;&b;&b;&b;&b;\">]><m>&c;&c;&c;&c;&c;&c;</m>",
                "Document type declarations are not accepted");
        refused("invalid UTF-8", call("\n<methodName>caf\xe9</methodName>"),
                "not well-formed (invalid UTF-8) (line 2, column 15)");
        accepted("references, CDATA, comments, instructions",
                 "<value><string>&lt;&amp;&#13;&#x1F600;<![CDATA[<x>]]><!-- c -->&gt;<?pi x?>z</string></value>",
                 "<value><string>&lt;&amp;&#xd;\xf0\x9f\x98\x80&lt;x>>z</string></value>");
        accepted("ISO-8859-1, prologue comment",
                 "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><!-- c --><s>caf\xe9</s>", "<s>caf\xc3\xa9</s>");
    }
    void parse()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QByteArray, tree);
        QFETCH(QString, error);
        QDomDocument doc;
        QString message;
        QCOMPARE(xrParseDocument(bytes, doc, &message), error.isEmpty());
        QVERIFY2(message.startsWith(error) && message.contains("line ") == !error.isEmpty(), qPrintable(message));
        QCOMPARE(doc.toByteArray(-1), tree);

        // The server's reader, which builds no document, refuses alike.
        QString name;
        QVariantList params;
        QString readMessage;
        QCOMPARE(xrReadMethodCall(bytes, name, params, &readMessage) == XrCallReading::NotWellFormed, !error.isEmpty());
        QCOMPARE(readMessage, message);
    }

    void parseResponse_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QVariant>("fault"); // Invalid, or the expected code and text as a list
        QTest::addColumn<QVariant>("value");
        const auto row = [](const char* name, const QByteArray& content, bool ok, const QVariant& fault,
                            const QVariant& value = QVariant()) {
            QTest::newRow(name) << "<methodResponse>" + content + "</methodResponse>" << ok << fault << value;
        };
        const QVariant none;
        const QByteArray params = "<params><param><value><i4>5</i4></value></param></params>";
        row("value", params, true, none, 5);
        row("fault code and text of other kinds", fault("<string>12</string>", "<int>3</int>"), true,
            QVariantList{12, "3"});
        row("fault without faultString", "<fault><value><struct><member><name>faultCode</name><value><int>4</int>"
                                         "</value></member></struct></value></fault>", true, none);
        row("fault holding a string", "<fault><value>oops</value></fault>", false, none);
        row("params then fault", params + fault("<int>9</int>", "late"), true, QVariantList{9, "late"});
    }
    void parseResponse()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, ok);
        QFETCH(QVariant, fault);
        QFETCH(QVariant, value);
        XRMethodResponse parsed;
        QVERIFY(xrParseDocument(bytes, parsed));
        QCOMPARE(parsed.parse(), ok);
        int code = -1;
        QString text = "unset";
        QCOMPARE(parsed.getFault(code, text), fault.isValid());
        if (fault.isValid())
            QCOMPARE((QVariantList{code, text}), fault.toList());
        QCOMPARE(parsed.value(), value);
    }

    // The server's envelope, byte for byte.
    void wireForm()
    {
        QCOMPARE(xrResponseWire(" 10.0.0.1 "), QByteArray("<methodResponse>\n <params>\n  <param>\n   <value>\n"
                                                           "    <string> 10.0.0.1 </string>\n"
                                                           "   </value>\n  </param>\n </params>\n</methodResponse>\n"));
    }
};

QTEST_GUILESS_MAIN(TestXrDocuments)
#include "tst_xrdocuments.moc"
