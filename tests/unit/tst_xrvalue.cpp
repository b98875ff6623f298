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

// Values read are compared as typed JSON, so that a kind mix-up at any depth fails.
class TestXrValue : public QObject
{
    Q_OBJECT

private slots:
    void read_data()
    {
        QTest::addColumn<QByteArray>("xml");
        QTest::addColumn<QVariant>("expected");
        const auto row = [](const char* name, const QByteArray& xml, const QVariant& expected) {
            QTest::newRow(name) << xml << expected;
        };
        const QVariant invalid;
        row("ints: i4, blanks, not a number, beyond 32 bits",
            array({"<i4>42</i4>", "<int> -42 </int>", "<int>abc</int>", "<int>4294967295</int>"}),
            QVariantList{42, -42, 0, 0});
        row("boolean true", "<value><boolean>true</boolean></value>", invalid);
        row("double not a number", "<value><double>x</double></value>", 0.0);
        row("strings untrimmed, blank, CDATA, empty",
            array({" <string>  two words\n</string> ", "<string> \t </string>",
                   "<string><![CDATA[<a> ]]>&amp;</string>", "<string/>"}),
            QVariantList{"  two words\n", " \t ", "<a> &", QString()});
        row("bare and mixed text", array({" hi ", " a<i4>2</i4> "}), QVariantList{" hi ", " a2"});
        row("blank value", "<value> \r\n\t </value>", invalid);
        row("not a value", "<string>x</string>", invalid);
        row("unknown type", "<value><nil/></value>", invalid);
        row("dashed dateTime", "<value><dateTime.iso8601>2010-05-28T14:05:09</dateTime.iso8601></value>", QDateTime());
        row("base64", "<value><base64>TWFu</base64></value>", QByteArray("Man"));
        row("array without data", "<value><array><value><int>1</int></value></array></value>", invalid);
        row("array with unreadable member", array({"1", "<boolean>yes</boolean>"}), invalid);
        row("struct: unreadable member kept, later duplicate wins",
            "<value><struct> <member><name>a</name><value><boolean>yes</boolean></value></member>"
            "<member><name>k</name><value>1</value></member><member><name>k</name><value><struct/></value></member>"
            " </struct></value>",
            QVariantMap{{"a", invalid}, {"k", QVariantMap()}});
        row("struct: names after values, incomplete and foreign members",
            "<value><struct><member><value><int>1</int></value><name>late</name><value>2</value><name>two</name>"
            "</member><member><name>lone</name></member><other><name>x</name><value>y</value></other><member>"
            "<name> s </name><x/><value>3</value></member></struct></value>",
            QVariantMap{{"late", 1}, {"two", "2"}, {" s ", "3"}});
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
        // A lone surrogate cannot be encoded; it is written as "?".
        const QString awkward = QString("]]>]]]>>\r\n\t<&\"' \u00e9\u20ac") + QChar(0xd83d) + QString("\U0001F600");
        QTest::newRow("awkward text")
            << QVariant(awkward)
            << QByteArray("<value><string>]]&gt;]]]&gt;>&#xd;\n\t&lt;&amp;\"' \xc3\xa9\xe2\x82\xac?\xf0\x9f\x98\x80"
                          "</string></value>");
        QTest::newRow("invalid and empty text") << QVariant(QVariantList{QVariant(), QString()})
                                                << array({"<string></string>", "<string></string>"});
        QTest::newRow("numbers")
            << QVariant(QVariantList{-7, 4294967295u, 0.1, 1e300, false})
            << array({"<int>-7</int>", "<int>4294967295</int>", "<double>0.1</double>", "<double>1e+300</double>",
                      "<boolean>0</boolean>"});
        QTest::newRow("dateTime and bytes, a full line")
            << QVariant(QVariantList{QDateTime(QDate(2010, 5, 28), QTime(14, 5, 9)), QByteArray(57, '\xff')})
            << array({"<dateTime.iso8601>20100528T14:05:09</dateTime.iso8601>",
                      "<base64>" + QByteArray(76, '/') + "\n</base64>"});
        QTest::newRow("empty containers") << QVariant(QVariantList{QVariantList(), QVariantMap()})
                                          << array({"<array><data/></array>", "<struct/>"});
        QTest::newRow("struct in code-unit key order")
            << QVariant(QVariantMap{{"b<", QVariantList{QVariantMap{{QString(), 1}}}}, {"a", 2}, {"C", 3}})
            << "<value><struct><member><name>C</name><value><int>3</int></value></member><member><name>a</name>"
               "<value><int>2</int></value></member><member><name>b&lt;</name>"
                   + array({"<struct><member><name></name><value><int>1</int></value></member></struct>"})
                   + "</member></struct></value>";
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

    void base64_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("written"); // the text is also how the bytes are written
        const QByteArray bytes57(57, '\xff');
        const QString line = QString(76, QLatin1Char('/')) + QLatin1Char('\n');
        QTest::newRow("empty") << QString() << QByteArray() << true;
        QTest::newRow("one byte") << QStringLiteral("TQ==") << QByteArray("M") << true;
        QTest::newRow("56 bytes fill a line") << line.left(74) + QStringLiteral("8=\n") << bytes57.left(56) << true;
        QTest::newRow("57 bytes") << line << bytes57 << true;
        QTest::newRow("115 bytes") << line + line + QStringLiteral("TQ==") << bytes57 + bytes57 + "M" << true;
        QTest::newRow("pads missing") << QStringLiteral("TWE") << QByteArray("Ma") << false;
        QTest::newRow("lone trailing symbol dropped") << QStringLiteral("TWFuT") << QByteArray("Man") << false;
        QTest::newRow("spaces, breaks, junk, non-Latin") << QStringLiteral(" TW\r\nFu\t*I\u00e9G\u65e5l z=\n")
                                                         << QByteArray("Man is") << false;
        QTest::newRow("pads inside") << QStringLiteral("TQ==TQ==") << QByteArray("M\x04\xd0", 3) << false;
    }
    void base64()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        QFETCH(bool, written);
        QCOMPARE(xrBase64Decode(text), bytes);
        if (written)
            QCOMPARE(xrBase64Encode(bytes), text);
    }

    void deepTreeIsBounded()
    {
        // A tree from a parser without our depth limit must not drive the readers arbitrarily deep,
        // while 20 levels, as deep as a parsed call goes, are read.
        const auto nested = [](QDomDocument& doc, int levels) {
            doc.setContent("<value>" + QByteArray("<array><data><value>").repeated(levels) + "leaf"
                           + QByteArray("</value></data></array>").repeated(levels) + "</value>");
            return doc.documentElement();
        };
        QDomDocument shallow, deep;
        QVERIFY(xrElementToValue(nested(shallow, 20)).isValid());
        QVERIFY(!xrElementToValue(nested(deep, 3000)).isValid());
        QCOMPARE(deep.elementsByTagName("array").count(), 3000);
    }
};

QTEST_GUILESS_MAIN(TestXrValue)
#include "tst_xrvalue.moc"
