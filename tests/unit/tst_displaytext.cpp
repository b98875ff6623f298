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
        QTest::addColumn<QString>("shown");
        QTest::newRow("fits exactly") << "abcde" << 5 << "abcde";
        QTest::newRow("one line") << "a\r\nb\nc\rd\u2028e\u2029f\vg" << 20 << "a b c d e f g";
        QTest::newRow("flattened, then cut") << "a\r\nbcd" << 3 << "a b\u2026 (6 characters)";
        QTest::newRow("no half surrogate pair") << "ab\U0001F600cd" << 3 << "ab\u2026 (6 characters)";
    }
    void elide()
    {
        QFETCH(QString, text);
        QFETCH(int, maxLength);
        QTEST(elideForDisplay(text, maxLength, LineBreaks::Flatten), "shown");
    }
};

QTEST_GUILESS_MAIN(TestDisplayText)
#include "tst_displaytext.moc"
