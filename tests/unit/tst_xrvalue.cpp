#include "xmlrpc/xrdocuments.h"
#include "xmlrpc/xrvalue.h"

#include <QDateTime>
#include <QTest>

class TestXrValue : public QObject
{
    Q_OBJECT

private slots:
    void read_data();
    void read();
    void write_data();
    void write();
    void base64Encode_data();
    void base64Encode();
    void base64Decode_data();
    void base64Decode();
    void deepTreeIsBounded();
};

namespace {

const QDateTime kSampleTime(QDate(2010, 5, 28), QTime(14, 5, 9));

} // namespace

void TestXrValue::read_data()
{
    QTest::addColumn<QByteArray>("xml");
    QTest::addColumn<QVariant>("expected");
    const auto row = [](const char* name, const char* xml, const QVariant& expected) {
        QTest::newRow(name) << QByteArray(xml) << expected;
    };
    const QVariant invalid;
    const auto map = [](const QVariantMap& members) { return QVariant(members); };

    row("i4 and int", "<value><array><data><value><i4>42</i4></value><value><int>-42</int></value></data></array></value>",
        QVariantList{42, -42});
    row("int not a number, int beyond 32 bits",
        "<value><array><data><value><int>abc</int></value><value><int>4294967295</int></value></data></array></value>",
        QVariantList{0, 0});
    row("booleans", "<value><array><data><value><boolean>1</boolean></value><value><boolean>0</boolean></value>"
                    "</data></array></value>", QVariantList{true, false});
    row("boolean true", "<value><boolean>true</boolean></value>", invalid);
    row("double and non-number double",
        "<value><array><data><value><double>-2.5e3</double></value><value><double>x</double></value></data></array></value>",
        QVariantList{-2500.0, 0.0});
    row("string untrimmed", "<value> <string>  two words\n</string> </value>", QStringLiteral("  two words\n"));
    row("string blank", "<value>\n <string> \t </string>\n</value>", QStringLiteral(" \t "));
    row("string cdata and empty",
        "<value><array><data><value><string><![CDATA[<a> ]]>&amp;</string></value><value><string/></value></data></array></value>",
        QVariantList{QStringLiteral("<a> &"), QString()});
    row("bare text", "<value> hi </value>", QStringLiteral(" hi "));
    row("empty value", "<value></value>", invalid);
    row("blank value", "<value> \r\n\t </value>", invalid);
    row("not a value", "<string>x</string>", invalid);
    row("unknown type", "<value><i8>5</i8></value>", invalid);
    row("dateTime", "<value><dateTime.iso8601>20100528T14:05:09</dateTime.iso8601></value>", kSampleTime);
    row("dateTime dashed", "<value><dateTime.iso8601>2010-05-28T14:05:09</dateTime.iso8601></value>", QDateTime());
    row("base64 untidy", "<value><base64>\n AAEC/f7/\r\nTWE </base64></value>", QByteArray("\x00\x01\x02\xfd\xfe\xffMa", 8));
    row("array empty data", "<value><array><data/></array></value>", QVariantList());
    row("array without data", "<value><array><value><int>1</int></value></array></value>", invalid);
    row("array with unreadable member",
        "<value><array><data><value>1</value><value><boolean>yes</boolean></value></data></array></value>", invalid);
    row("struct with unreadable member",
        "<value><struct><member><name>a</name><value><boolean>yes</boolean></value></member></struct></value>",
        map({{QStringLiteral("a"), invalid}}));
    row("struct later duplicate wins",
        "<value><struct><member><name>k</name><value>1</value></member><member><name>k</name><value>2</value></member>"
        "</struct></value>", map({{QStringLiteral("k"), QStringLiteral("2")}}));
    row("struct name after value, incomplete and foreign members",
        "<value><struct><member><value><int>1</int></value><name>late</name></member><member><name>lone</name></member>"
        "<other><name>x</name><value>y</value></other><member><name> s </name><x/><value>3</value></member></struct></value>",
        map({{QStringLiteral("late"), 1}, {QStringLiteral(" s "), QStringLiteral("3")}}));
}

void TestXrValue::read()
{
    QFETCH(QByteArray, xml);
    QFETCH(QVariant, expected);

    QDomDocument doc;
    QVERIFY(xrParseDocument(xml, doc));
    const QVariant actual = xrElementToValue(doc.documentElement());
    QCOMPARE(actual.typeId(), expected.typeId());
    QCOMPARE(actual, expected);
}

void TestXrValue::write_data()
{
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QByteArray>("xml");

    QTest::newRow("invalid") << QVariant() << QByteArray("<value><string></string></value>");
    QTest::newRow("uint above int range") << QVariant(4294967295u) << QByteArray("<value><int>4294967295</int></value>");
    QTest::newRow("list of int, bool, double, string")
        << QVariant(QVariantList{-7, false, 0.1, QStringLiteral("a<b>&c")})
        << QByteArray("<value><array><data><value><int>-7</int></value><value><boolean>0</boolean></value>"
                      "<value><double>0.1</double></value><value><string>a&lt;b>&amp;c</string></value></data></array></value>");
    QTest::newRow("dateTime") << QVariant(kSampleTime)
                              << QByteArray("<value><dateTime.iso8601>20100528T14:05:09</dateTime.iso8601></value>");
    QTest::newRow("bytes") << QVariant(QByteArray("Man")) << QByteArray("<value><base64>TWFu</base64></value>");
    QTest::newRow("empty list") << QVariant(QVariantList()) << QByteArray("<value><array><data/></array></value>");
    QTest::newRow("map in code-unit key order")
        << QVariant(QVariantMap{{QStringLiteral("b"), 1}, {QStringLiteral("a"), 2}, {QStringLiteral("C"), 3}})
        << QByteArray("<value><struct><member><name>C</name><value><int>3</int></value></member>"
                      "<member><name>a</name><value><int>2</int></value></member>"
                      "<member><name>b</name><value><int>1</int></value></member></struct></value>");
}

void TestXrValue::write()
{
    QFETCH(QVariant, value);
    QFETCH(QByteArray, xml);

    QDomDocument doc;
    doc.appendChild(xrValueToElement(value, doc));
    QCOMPARE(doc.toByteArray(-1), xml);
}

void TestXrValue::base64Encode_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("expected");

    const QByteArray bytes57(57, '\xff');
    const QString line(76, QLatin1Char('/'));
    QTest::newRow("empty") << QByteArray() << QString();
    QTest::newRow("one byte") << QByteArray("M") << QStringLiteral("TQ==");
    QTest::newRow("two bytes") << QByteArray("Ma") << QStringLiteral("TWE=");
    QTest::newRow("54 bytes") << bytes57.left(54) << line.left(72);
    QTest::newRow("56 bytes fill a line") << bytes57.left(56) << line.left(74) + QStringLiteral("8=\n");
    QTest::newRow("57 bytes") << bytes57 << line + QLatin1Char('\n');
    QTest::newRow("58 bytes") << bytes57 + "M" << line + QStringLiteral("\nTQ==");
    QTest::newRow("114 bytes") << bytes57 + bytes57 << line + QLatin1Char('\n') + line + QLatin1Char('\n');
}

void TestXrValue::base64Encode()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, expected);

    QCOMPARE(xrBase64Encode(bytes), expected);
    QCOMPARE(xrBase64Decode(expected), bytes);
}

void TestXrValue::base64Decode_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("pads missing") << QStringLiteral("TWE") << QByteArray("Ma");
    QTest::newRow("lone trailing symbol dropped") << QStringLiteral("TWFuT") << QByteArray("Man");
    QTest::newRow("spaces, breaks, junk, non-Latin") << QStringLiteral(" TW\r\nFu\t*I\u00e9G\u65e5l z=\n") << QByteArray("Man is");
    QTest::newRow("pads inside") << QStringLiteral("TQ==TQ==") << QByteArray("M\x04\xd0", 3);
    QTest::newRow("only junk") << QStringLiteral("==\n ") << QByteArray();
}

void TestXrValue::base64Decode()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, expected);

    QCOMPARE(xrBase64Decode(text), expected);
}

void TestXrValue::deepTreeIsBounded()
{
    // A tree built without the document parser's depth limit must not drive
    // the readers into unbounded recursion.
    const auto nestedArrays = [](QDomDocument& doc, int levels) {
        QDomElement current = doc.appendChild(doc.createElement(QStringLiteral("value"))).toElement();
        for (int i = 0; i < levels; ++i) {
            current = current.appendChild(doc.createElement(QStringLiteral("array")))
                          .appendChild(doc.createElement(QStringLiteral("data")))
                          .appendChild(doc.createElement(QStringLiteral("value"))).toElement();
        }
        current.appendChild(doc.createTextNode(QStringLiteral("leaf")));
        return doc.documentElement();
    };

    QDomDocument shallow;
    QVariant value = xrElementToValue(nestedArrays(shallow, 10));
    for (int i = 0; i < 10; ++i)
        value = value.toList().value(0);
    QCOMPARE(value, QVariant(QStringLiteral("leaf")));

    QDomDocument deep;
    const QDomElement top = nestedArrays(deep, 3000);
    QVERIFY(!xrElementToValue(top).isValid());
    QVERIFY(!xrArrayFromElement(top.firstChildElement()).isValid());
}

QTEST_GUILESS_MAIN(TestXrValue)
#include "tst_xrvalue.moc"
