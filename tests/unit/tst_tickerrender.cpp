// The ticker bitmap and configuration file: palette, limits, the 8-bit BMP
// header and the three ini lines.

#include "config/tickerrender.h"

#include <QtEndian>
#include <QtTest>

namespace {

struct BmpHeader {
    qint32 width = 0;
    qint32 height = 0;
    quint16 bitsPerPixel = 0;
};

BmpHeader readHeader(const QByteArray& bytes)
{
    BmpHeader header;
    if (bytes.size() < 30 || !bytes.startsWith("BM"))
        return header;
    const auto* data = reinterpret_cast<const uchar*>(bytes.constData());
    header.width = qFromLittleEndian<qint32>(data + 18);
    header.height = qAbs(qFromLittleEndian<qint32>(data + 22));
    header.bitsPerPixel = qFromLittleEndian<quint16>(data + 28);
    return header;
}

} // namespace

class TestTickerRender : public QObject
{
    Q_OBJECT

private slots:
    void paletteRunsFromBackgroundToForeground()
    {
        const QList<QRgb> colours = ticker::palette(QColor("#000000"), QColor("#f8f8f8"));
        QCOMPARE(colours.size(), 256);
        QCOMPARE(colours.first(), qRgb(0, 0, 0));
        QCOMPARE(colours.last(), qRgb(0xf8, 0xf8, 0xf8));
        QCOMPARE(qRed(colours.at(128)), (0xf8 * 128 + 127) / 255);
    }

    void limits_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("pixelSize");
        QTest::addColumn<bool>("tooLong");
        QTest::addColumn<bool>("tooTall");
        QTest::newRow("short") << "Welcome to the lobby" << 36 << false << false;
        QTest::newRow("long") << QString("Breaking news! ").repeated(400) << 36 << true << false;
        QTest::newRow("tall") << "Big" << 300 << false << true;
        QTest::newRow("long and tall") << QString("Huge ").repeated(200) << 300 << true << true;
    }
    void limits()
    {
        QFETCH(QString, text);
        QFETCH(int, pixelSize);
        QFETCH(bool, tooLong);
        QFETCH(bool, tooTall);
        QFont font("DejaVu Sans");
        font.setPixelSize(pixelSize);
        const ticker::Rendering rendering = ticker::render(text, font, QColor("#102030"), QColor("#f8f8f8"));
        QCOMPARE(rendering.tooLong, tooLong);
        QCOMPARE(rendering.tooTall, tooTall);
        QCOMPARE(rendering.image.format(), QImage::Format_Indexed8);
        const QFontMetrics metrics(font, &rendering.image);
        if (tooLong)
            QCOMPARE(rendering.image.width(), ticker::maxWidth);
        else
            QVERIFY(qAbs(rendering.image.width() - metrics.horizontalAdvance(text)) <= 2);
        if (tooTall)
            QCOMPARE(rendering.image.height(), ticker::maxHeight);
        else
            QVERIFY(qAbs(rendering.image.height() - metrics.height()) <= 1);

        // Background where nothing is drawn, the text in foreground shades.
        QCOMPARE(rendering.image.pixel(rendering.image.width() - 1, rendering.image.height() - 1), qRgb(0x10, 0x20, 0x30));
        int covered = 0;
        for (int y = 0; y < rendering.image.height(); ++y)
            for (int x = 0; x < qMin(rendering.image.width(), 400); ++x)
                covered += rendering.image.pixelIndex(x, y) > 128;
        QVERIFY(covered > 0);

        const QByteArray file = ticker::bmpBytes(rendering.image);
        const BmpHeader header = readHeader(file);
        QCOMPARE(header.bitsPerPixel, quint16(8));
        QCOMPARE(header.width, rendering.image.width());
        QCOMPARE(header.height, rendering.image.height());
    }

    void twoColourBitmapStaysEightBit()
    {
        // A palette of 16 colours or fewer would be written as 4 bits per pixel.
        QImage plain(10, 4, QImage::Format_Indexed8);
        plain.setColorTable(ticker::palette(Qt::black, Qt::black));
        plain.fill(0);
        QCOMPARE(readHeader(ticker::bmpBytes(plain)).bitsPerPixel, quint16(8));
    }

    void iniLines_data()
    {
        QTest::addColumn<QColor>("background");
        QTest::addColumn<bool>("leftToRight");
        QTest::addColumn<int>("speed");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("left to right, speed 5") << QColor("#000000") << true << 5 << QByteArray("#000000\n1\n5\n");
        QTest::newRow("right to left, speed 2") << QColor("#000000") << false << 2 << QByteArray("#000000\n0\n2\n");
        QTest::newRow("lower-case hex") << QColor("#ABCDEF") << false << 8 << QByteArray("#abcdef\n0\n8\n");
    }
    void iniLines()
    {
        QFETCH(QColor, background);
        QFETCH(bool, leftToRight);
        QFETCH(int, speed);
        QFETCH(QByteArray, bytes);
        QCOMPARE(ticker::iniFileBytes(background, leftToRight, speed), bytes);
    }
};

QTEST_MAIN(TestTickerRender)
#include "tst_tickerrender.moc"
