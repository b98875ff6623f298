#include "core/displaytext.h"

#include <QtTest>

class TestDisplayText : public QObject
{
    Q_OBJECT

private slots:
    void elide_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("maxLength");
        QTest::addColumn<bool>("flatten");
        QTest::addColumn<QString>("shown");
        QTest::newRow("fits exactly") << "abcde" << 5 << true << "abcde";
        QTest::newRow("cut") << "abcdef" << 5 << true << "abcde\u2026 (6 characters)";
        QTest::newRow("one line") << "a\r\nb\nc\rd\u2028e\u2029f\vg" << 20 << true << "a b c d e f g";
        QTest::newRow("line breaks kept") << "a\r\nb\nc" << 20 << false << "a\r\nb\nc";
        QTest::newRow("flattened, then cut") << "a\r\nbcd" << 3 << true << "a b\u2026 (6 characters)";
        QTest::newRow("no half surrogate pair") << "ab\U0001F600cd" << 3 << true << "ab\u2026 (6 characters)";
    }
    void elide()
    {
        QFETCH(QString, text);
        QFETCH(int, maxLength);
        QFETCH(bool, flatten);
        QFETCH(QString, shown);
        QCOMPARE(elideForDisplay(text, maxLength, flatten ? LineBreaks::Flatten : LineBreaks::Keep), shown);
    }
};

QTEST_GUILESS_MAIN(TestDisplayText)
#include "tst_displaytext.moc"
