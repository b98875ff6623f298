#include "xmlrpc/xrdocuments.h"
#include "xmlrpc/xrvalue.h"

#include "../peers/pythonpeer.h"

#include <QTest>

namespace {

// An array value holding a value element around each of contents.
QByteArray array(std::initializer_list<QByteArray> contents)
{
    QByteArray values;
    for (const QByteArray& content : contents)
        values += "<value>" + content + "</value>";
    return "<value><array><data>" + values + "</data></array></value>";
}

} // namespace

// Edges of reading and writing values (every kind's round trip is in tst_xrinterop), compared as typed JSON.
class TestXrValue : public QObject
{
    Q_OBJECT

private slots:
    void read_data()
    {
        QTest::addColumn<QByteArray>("xml");
        QTest::addColumn<QVariant>("expected");
        const QVariant invalid;
        QTest::newRow("ints: i4, blanks, not a number, beyond 32 bits")
            << array({"<i4>42</i4>", "<int> -42 </int>", "<int>abc</int>", "<int>4294967295</int>"})
            << QVariant(QVariantList{42, -42, 0, 0});
        QTest::newRow("strings untrimmed, bare, empty")
            << array({" <string>  two words\n</string> ", " hi ", " a<i4>2</i4> ", "<string/>"})
            << QVariant(QVariantList{"  two words\n", " hi ", " a2", QString()});
        QTest::newRow("base64: pads missing, a lone symbol, junk, pads inside")
            << array({"<base64>TWE</base64>", "<base64>TWFuT</base64>", "<base64> TW\r\nFu\t*I\u00e9G l z=\n</base64>",
                      "<base64>TQ==TQ==</base64>"})
            << QVariant(QVariantList{QByteArray("Ma"), QByteArray("Man"), QByteArray("Man is"), QByteArray("M\x04\xd0", 3)});
        QTest::newRow("blank value") << QByteArray("<value> \r\n\t </value>") << invalid;
        QTest::newRow("array with unreadable member") << array({"1", "<boolean>yes</boolean>"}) << invalid;
        QTest::newRow("struct: unreadable member kept, later duplicate wins")
            << QByteArray("<value><struct> <member><name>a</name><value><boolean>yes</boolean></value></member>"
                          "<member><name>k</name><value>1</value></member><member><name>k</name><value><struct/>"
                          "</value></member> </struct></value>")
            << QVariant(QVariantMap{{"a", invalid}, {"k", QVariantMap()}});
    }
    void read()
    {
        QFETCH(QByteArray, xml);
        QFETCH(QVariant, expected);
        QDomDocument doc;
        QVERIFY(xrParseDocument(xml, doc));
        QCOMPARE(toTyped(xrElementToValue(doc.documentElement())), toTyped(expected));

        // The server's reader, on a tree of its own, reads the value alike.
        QString method;
        QVariantList params;
        const QByteArray call = "<methodCall><params><param>" + xml + "</param></params></methodCall>";
        QCOMPARE(xrReadMethodCall(call, method, params), XrCallReading::Read);
        QCOMPARE(toTyped(params), toTyped(QVariantList{expected}));
    }

    void write_data()
    {
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QByteArray>("xml");
        const QString awkward = QString("]]>]]]>>\r\n\t<&\"' \u00e9\u20ac") + QChar(0xd83d) + QString("\U0001F600");
        QTest::newRow("awkward text, a lone surrogate written as ?")
            << QVariant(awkward)
            << QByteArray("<value><string>]]&gt;]]]&gt;>&#xd;\n\t&lt;&amp;\"' \xc3\xa9\xe2\x82\xac?\xf0\x9f\x98\x80"
                          "</string></value>");
        QTest::newRow("dateTime, and bytes on lines of 76")
            << QVariant(QVariantList{QDateTime(QDate(2010, 5, 28), QTime(14, 5, 9)), QByteArray(115, '\xff')})
            << array({"<dateTime.iso8601>20100528T14:05:09</dateTime.iso8601>",
                      "<base64>" + QByteArray(76, '/') + "\n" + QByteArray(76, '/') + "\n/w==</base64>"});
    }
    void write()
    {
        QFETCH(QVariant, value);
        QFETCH(QByteArray, xml);
        QDomDocument doc;
        doc.appendChild(xrValueToElement(value, doc));
        QCOMPARE(doc.toByteArray(-1), xml);

        // The server writes its responses without a document, in the same bytes.
        QByteArray direct;
        xrAppendValueWire(direct, value, 0);
        QCOMPARE(direct, doc.toByteArray(1));
    }

    // The readers stop at a depth no parsed call reaches, even on a tree from a parser without our limit.
    void deepTreeIsBounded()
    {
        for (const int levels : {20, 3000}) {
            QDomDocument doc;
            QVERIFY(doc.setContent("<value>" + QByteArray("<array><data><value>").repeated(levels) + "leaf"
                                   + QByteArray("</value></data></array>").repeated(levels) + "</value>"));
            QCOMPARE(xrElementToValue(doc.documentElement()).isValid(), levels == 20);
        }
    }
};

QTEST_GUILESS_MAIN(TestXrValue)
#include "tst_xrvalue.moc"
