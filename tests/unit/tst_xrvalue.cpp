#include "xmlrpc/xrdocuments.h"
#include "xmlrpc/xrvalue.h"

#include <QDateTime>
#include <QRandomGenerator>
#include <QTest>

class TestXrValue : public QObject
{
    Q_OBJECT

private slots:
    void readValue_data();
    void readValue();
    void writeValue_data();
    void writeValue();
    void roundTrip_data();
    void roundTrip();
    void base64Encode_data();
    void base64Encode();
    void base64Decode_data();
    void base64Decode();
    void base64RoundTrip();
    void deepTreeIsBounded();
};

namespace {

QVariant readXml(const QByteArray& xml)
{
    QDomDocument doc;
    QString error;
    if (!xrParseDocument(xml, doc, &error))
        qFatal("test document does not parse: %s", qPrintable(error));
    return xrElementToValue(doc.documentElement());
}

QByteArray writeXml(const QVariant& value, int indent = -1)
{
    QDomDocument doc;
    doc.appendChild(xrValueToElement(value, doc));
    return doc.toByteArray(indent);
}

const QDateTime kSampleTime(QDate(2010, 5, 28), QTime(14, 5, 9));

} // namespace

void TestXrValue::readValue_data()
{
    QTest::addColumn<QByteArray>("xml");
    QTest::addColumn<QVariant>("expected");

    const QVariant invalid;
    QTest::newRow("i4") << QByteArray("<value><i4>42</i4></value>") << QVariant(42);
    QTest::newRow("int negative") << QByteArray("<value><int>-42</int></value>") << QVariant(-42);
    QTest::newRow("int not a number") << QByteArray("<value><int>abc</int></value>") << QVariant(0);
    QTest::newRow("int beyond 32 bits") << QByteArray("<value><int>4294967295</int></value>") << QVariant(0);
    QTest::newRow("boolean 1") << QByteArray("<value><boolean>1</boolean></value>") << QVariant(true);
    QTest::newRow("boolean 0") << QByteArray("<value><boolean>0</boolean></value>") << QVariant(false);
    QTest::newRow("boolean true") << QByteArray("<value><boolean>true</boolean></value>") << invalid;
    QTest::newRow("boolean empty") << QByteArray("<value><boolean/></value>") << invalid;
    QTest::newRow("double") << QByteArray("<value><double>-2.5e3</double></value>") << QVariant(-2500.0);
    QTest::newRow("double not a number") << QByteArray("<value><double>x1</double></value>") << QVariant(0.0);
    QTest::newRow("string untrimmed") << QByteArray("<value><string>  two words\n</string></value>")
                                      << QVariant(QStringLiteral("  two words\n"));
    QTest::newRow("string blank") << QByteArray("<value>\n <string> \t </string>\n</value>")
                                  << QVariant(QStringLiteral(" \t "));
    QTest::newRow("string empty") << QByteArray("<value><string/></value>") << QVariant(QString());
    QTest::newRow("string cdata") << QByteArray("<value><string><![CDATA[<a> ]]>&amp;</string></value>")
                                  << QVariant(QStringLiteral("<a> &"));
    QTest::newRow("bare text") << QByteArray("<value>hello</value>") << QVariant(QStringLiteral("hello"));
    QTest::newRow("bare text untrimmed") << QByteArray("<value> hi </value>") << QVariant(QStringLiteral(" hi "));
    QTest::newRow("empty value") << QByteArray("<value></value>") << invalid;
    QTest::newRow("blank value") << QByteArray("<value> \r\n\t </value>") << invalid;
    QTest::newRow("not a value") << QByteArray("<string>x</string>") << invalid;
    QTest::newRow("nil") << QByteArray("<value><nil/></value>") << invalid;
    QTest::newRow("i8") << QByteArray("<value><i8>5</i8></value>") << invalid;
    QTest::newRow("dateTime") << QByteArray("<value><dateTime.iso8601>20100528T14:05:09</dateTime.iso8601></value>")
                              << QVariant(kSampleTime);
    QTest::newRow("dateTime dashed") << QByteArray("<value><dateTime.iso8601>2010-05-28T14:05:09</dateTime.iso8601></value>")
                                     << QVariant(QDateTime());
    QTest::newRow("dateTime short") << QByteArray("<value><dateTime.iso8601>2010</dateTime.iso8601></value>")
                                    << QVariant(QDateTime());
    QTest::newRow("base64 untidy") << QByteArray("<value><base64>\n AAEC/f7/\r\nTWE </base64></value>")
                                   << QVariant(QByteArray("\x00\x01\x02\xfd\xfe\xffMa", 8));
    QTest::newRow("array empty data") << QByteArray("<value><array><data/></array></value>") << QVariant(QVariantList());
    QTest::newRow("array without data")
        << QByteArray("<value><array><value><int>1</int></value></array></value>") << invalid;
    QTest::newRow("array nested") << QByteArray("<value><array><data><value><i4>1</i4></value><value><array><data>"
                                                "<value>x</value></data></array></value></data></array></value>")
                                  << QVariant(QVariantList{1, QVariantList{QStringLiteral("x")}});
    QTest::newRow("array with unreadable member")
        << QByteArray("<value><array><data><value><int>1</int></value><value><boolean>true</boolean></value>"
                      "</data></array></value>")
        << invalid;
    QTest::newRow("array with non-value member")
        << QByteArray("<value><array><data><int>1</int></data></array></value>") << invalid;
    QTest::newRow("struct with unreadable member")
        << QByteArray("<value><struct><member><name>a</name><value><boolean>true</boolean></value></member>"
                      "<member><name>b</name><value><int>2</int></value></member></struct></value>")
        << QVariant(QVariantMap{{QStringLiteral("a"), invalid}, {QStringLiteral("b"), 2}});
    QTest::newRow("struct later duplicate wins")
        << QByteArray("<value><struct><member><name>k</name><value>first</value></member>"
                      "<member><name>k</name><value>second</value></member></struct></value>")
        << QVariant(QVariantMap{{QStringLiteral("k"), QStringLiteral("second")}});
    QTest::newRow("struct name after value, incomplete and foreign members")
        << QByteArray("<value><struct><member><value><int>1</int></value><name>late</name></member>"
                      "<member><name>lonely</name></member><other><name>x</name><value>y</value></other>"
                      "<member><name> spaced </name><junk/><value><int>3</int></value></member></struct></value>")
        << QVariant(QVariantMap{{QStringLiteral("late"), 1}, {QStringLiteral(" spaced "), 3}});
    QTest::newRow("struct empty") << QByteArray("<value><struct/></value>") << QVariant(QVariantMap());
}

void TestXrValue::readValue()
{
    QFETCH(QByteArray, xml);
    QFETCH(QVariant, expected);

    const QVariant actual = readXml(xml);
    QCOMPARE(actual.typeId(), expected.typeId());
    QCOMPARE(actual, expected);
}

void TestXrValue::writeValue_data()
{
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QByteArray>("xml");

    QTest::newRow("invalid") << QVariant() << QByteArray("<value><string></string></value>");
    QTest::newRow("int") << QVariant(-7) << QByteArray("<value><int>-7</int></value>");
    QTest::newRow("uint above int range") << QVariant(4294967295u) << QByteArray("<value><int>4294967295</int></value>");
    QTest::newRow("bool") << QVariant(false) << QByteArray("<value><boolean>0</boolean></value>");
    QTest::newRow("double") << QVariant(0.1) << QByteArray("<value><double>0.1</double></value>");
    QTest::newRow("string markup") << QVariant(QStringLiteral("a<b>&c"))
                                   << QByteArray("<value><string>a&lt;b>&amp;c</string></value>");
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

void TestXrValue::writeValue()
{
    QFETCH(QVariant, value);
    QFETCH(QByteArray, xml);

    QCOMPARE(writeXml(value), xml);
}

void TestXrValue::roundTrip_data()
{
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QVariant>("expected");

    const QVariant strings = QVariantList{QStringLiteral("  lead and trail  "), QStringLiteral("   "),
                                          QStringLiteral("line\r\nbreaks\rand\ttabs"), QStringLiteral("]]> <x/> &amp;"),
                                          QStringLiteral("Grüße, ×, \u65e5\u672c, \U0001F600")};
    QTest::newRow("strings") << strings << strings;
    QByteArray allBytes;
    for (int i = 0; i < 256; ++i)
        allBytes.append(char(i));
    const QVariant nested = QVariantMap{
        {QStringLiteral("list"), QVariantList{1, -2, true, 2.5, kSampleTime, allBytes, QVariantList(), QVariantMap()}},
        {QStringLiteral("map"), QVariantMap{{QStringLiteral(" key "), QVariantMap{{QString(), QStringLiteral(" ")}}}}},
    };
    QTest::newRow("nested") << nested << nested;
    QTest::newRow("invalid reads back as empty string") << QVariant() << QVariant(QString());
    QTest::newRow("invalid inside a list")
        << QVariant(QVariantList{QVariant()}) << QVariant(QVariantList{QString()});
}

void TestXrValue::roundTrip()
{
    QFETCH(QVariant, value);
    QFETCH(QVariant, expected);

    for (int indent : {-1, 0, 1, 4})
        QCOMPARE(readXml(writeXml(value, indent)), expected);
}

void TestXrValue::base64Encode_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("expected");

    const QByteArray bytes57(57, '\xff');
    const QString line76(76, QLatin1Char('/'));
    QTest::newRow("empty") << QByteArray() << QString();
    QTest::newRow("one byte") << QByteArray("M") << QStringLiteral("TQ==");
    QTest::newRow("two bytes") << QByteArray("Ma") << QStringLiteral("TWE=");
    QTest::newRow("three bytes") << QByteArray("Man") << QStringLiteral("TWFu");
    QTest::newRow("54 bytes") << bytes57.left(54) << QString(72, QLatin1Char('/'));
    QTest::newRow("56 bytes fill a line") << bytes57.left(56) << QString(74, QLatin1Char('/')) + QStringLiteral("8=\n");
    QTest::newRow("57 bytes") << bytes57 << line76 + QLatin1Char('\n');
    QTest::newRow("58 bytes") << bytes57 + QByteArray("M") << line76 + QStringLiteral("\nTQ==");
    QTest::newRow("114 bytes") << bytes57 + bytes57 << line76 + QLatin1Char('\n') + line76 + QLatin1Char('\n');
}

void TestXrValue::base64Encode()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, expected);

    QCOMPARE(xrBase64Encode(bytes), expected);
}

void TestXrValue::base64Decode_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("clean") << QStringLiteral("TWFuIGlz") << QByteArray("Man is");
    QTest::newRow("padded") << QStringLiteral("TWE=") << QByteArray("Ma");
    QTest::newRow("pad missing, two bytes") << QStringLiteral("TWE") << QByteArray("Ma");
    QTest::newRow("pad missing, one byte") << QStringLiteral("TQ") << QByteArray("M");
    QTest::newRow("lone trailing symbol dropped") << QStringLiteral("TWFuT") << QByteArray("Man");
    QTest::newRow("spaces, breaks, junk and non-Latin ignored")
        << QStringLiteral(" TW\r\nFu\t*I\u00e9G\u65e5l z=\n") << QByteArray("Man is");
    QTest::newRow("pads inside ignored") << QStringLiteral("TQ==TQ==") << QByteArray("M\x04\xd0", 3);
    QTest::newRow("empty") << QString() << QByteArray();
    QTest::newRow("only junk") << QStringLiteral("==\n ") << QByteArray();
}

void TestXrValue::base64Decode()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, expected);

    const QByteArray actual = xrBase64Decode(text);
    QCOMPARE(actual, expected);
    QCOMPARE(actual.size(), expected.size());
}

void TestXrValue::base64RoundTrip()
{
    QRandomGenerator random(20100528);
    for (int size = 0; size <= 300; ++size) {
        QByteArray bytes(size, Qt::Uninitialized);
        for (char& byte : bytes)
            byte = char(random.bounded(256));
        QString text = xrBase64Encode(bytes);
        QCOMPARE(text.remove(QLatin1Char('\n')), QString::fromLatin1(bytes.toBase64()));
        QCOMPARE(xrBase64Decode(xrBase64Encode(bytes)), bytes);
    }
}

void TestXrValue::deepTreeIsBounded()
{
    // A tree built without the document parser's depth limit must not drive
    // the readers into unbounded recursion.
    const auto nestedArrays = [](QDomDocument& doc, int levels) {
        QDomElement outer = doc.createElement(QStringLiteral("value"));
        doc.appendChild(outer);
        QDomElement current = outer;
        for (int i = 0; i < levels; ++i) {
            QDomElement array = doc.createElement(QStringLiteral("array"));
            QDomElement data = doc.createElement(QStringLiteral("data"));
            QDomElement value = doc.createElement(QStringLiteral("value"));
            current.appendChild(array);
            array.appendChild(data);
            data.appendChild(value);
            current = value;
        }
        current.appendChild(doc.createTextNode(QStringLiteral("leaf")));
        return outer;
    };

    QDomDocument shallow;
    QVariant value = xrElementToValue(nestedArrays(shallow, 10));
    for (int i = 0; i < 10; ++i) {
        QCOMPARE(value.typeId(), QMetaType::QVariantList);
        value = value.toList().value(0);
    }
    QCOMPARE(value, QVariant(QStringLiteral("leaf")));

    QDomDocument deep;
    const QDomElement top = nestedArrays(deep, 3000);
    QVERIFY(!xrElementToValue(top).isValid());
    QVERIFY(!xrArrayFromElement(top.firstChildElement()).isValid());
}

QTEST_GUILESS_MAIN(TestXrValue)
#include "tst_xrvalue.moc"
