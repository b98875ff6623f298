// Writes the controller's pictures (screen layouts and player icons) into the
// directory given first, and the application's icon NAME as the icon theme
// below the second directory holds it: hicolor/scalable/apps/NAME.svg and
// hicolor/<size>x<size>/apps/NAME.png.

#include "ui/artwork.h"

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgGenerator>

#include <cstdio>

namespace {

bool makeDirectory(const QDir& directory)
{
    if (directory.mkpath(QStringLiteral(".")))
        return true;
    std::fprintf(stderr, "kvo-artwork: cannot create %s\n", qPrintable(directory.path()));
    return false;
}

bool writePng(const QImage& image, const QString& path)
{
    if (image.save(path, "PNG"))
        return true;
    std::fprintf(stderr, "kvo-artwork: cannot write %s\n", qPrintable(path));
    return false;
}

bool writeIconTheme(const QDir& theme, const QString& name)
{
    constexpr int grid = 64; // the drawing's own grid
    const QDir scalable(theme.filePath(QStringLiteral("hicolor/scalable/apps")));
    if (!makeDirectory(scalable))
        return false;
    QSvgGenerator svg;
    svg.setFileName(scalable.filePath(name + QLatin1String(".svg")));
    svg.setSize(QSize(grid, grid));
    svg.setViewBox(QRect(0, 0, grid, grid));
    svg.setResolution(96); // one unit a CSS pixel
    svg.setTitle(QStringLiteral("KVO Controller"));
    {
        QPainter painter;
        if (!painter.begin(&svg)) {
            std::fprintf(stderr, "kvo-artwork: cannot write %s\n", qPrintable(svg.fileName()));
            return false;
        }
        artwork::paintPlayerPicture(painter, artwork::PlayerLook::On, grid);
    }
    bool allWritten = true;
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QDir apps(theme.filePath(QStringLiteral("hicolor/%1x%1/apps").arg(size)));
        allWritten = makeDirectory(apps)
            && writePng(artwork::playerPicture(artwork::PlayerLook::On, size), apps.filePath(name + QLatin1String(".png")))
            && allWritten;
    }
    return allWritten;
}

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    if (arguments.size() != 4) {
        std::fprintf(stderr, "usage: kvo-artwork PICTURE_DIRECTORY ICON_THEME_DIRECTORY ICON_NAME\n");
        return 2;
    }
    const QDir output(arguments.at(1));
    if (!makeDirectory(output))
        return 1;

    bool allWritten = true;
    for (int layout = 0; layout < artwork::screenLayoutCount; ++layout)
        allWritten = writePng(artwork::screenLayoutPicture(layout), output.filePath(artwork::screenLayoutFileName(layout)))
            && allWritten;
    for (auto look : {artwork::PlayerLook::On, artwork::PlayerLook::Off, artwork::PlayerLook::Virtual})
        allWritten = writePng(artwork::playerPicture(look, 64), output.filePath(artwork::playerPictureFileName(look)))
            && allWritten;
    allWritten = writeIconTheme(QDir(arguments.at(2)), arguments.at(3)) && allWritten;
    return allWritten ? 0 : 1;
}
