// Draws the sample pictures of the demonstration repository: signage slides
// as JPEG, PNG and BMP files in the directory given.

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>

#include <cstdio>

namespace {

struct Slide {
    const char* file;
    const char* title;
    const char* line;
    QColor from;
    QColor to;
};

QImage drawSlide(const Slide& slide, QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient gradient(0, 0, size.width(), size.height());
    gradient.setColorAt(0, slide.from);
    gradient.setColorAt(1, slide.to);
    painter.fillRect(image.rect(), gradient);
    painter.setPen(Qt::white);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(size.height() / 7);
    font.setBold(true);
    painter.setFont(font);
    painter.drawText(image.rect().adjusted(0, 0, 0, -size.height() / 5), Qt::AlignCenter,
                     QString::fromUtf8(slide.title));
    font.setPixelSize(size.height() / 16);
    font.setBold(false);
    painter.setFont(font);
    painter.drawText(image.rect().adjusted(0, size.height() / 4, 0, 0), Qt::AlignCenter,
                     QString::fromUtf8(slide.line));
    return image;
}

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s DIRECTORY\n", argv[0]);
        return 2;
    }
    const QDir directory(QString::fromLocal8Bit(argv[1]));
    if (!QDir().mkpath(directory.path())) {
        std::fprintf(stderr, "cannot create %s\n", argv[1]);
        return 1;
    }
    const Slide slides[] = {
        {"welcome.jpg", "Welcome", "Reception is on the ground floor", QColor(20, 60, 140), QColor(40, 160, 200)},
        {"menu_of_the_day.png", "Menu of the day", "Soup, pasta, fruit salad", QColor(140, 50, 20), QColor(230, 140, 40)},
        {"opening_hours.bmp", "Opening hours", "Monday to Friday 8:00 - 18:00", QColor(30, 110, 50), QColor(120, 190, 80)},
        {"safety notice.jpg", "Safety first", "Exits are marked in green", QColor(90, 20, 90), QColor(200, 60, 120)},
    };
    for (const Slide& slide : slides) {
        const QString path = directory.filePath(QString::fromUtf8(slide.file));
        if (!drawSlide(slide, QSize(1280, 720)).save(path)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            return 1;
        }
    }
    return 0;
}
