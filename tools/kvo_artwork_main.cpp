// Writes the controller's pictures (screen layouts and player icons) into the
// directory given as the only argument.

#include "ui/artwork.h"

#include <QDir>
#include <QGuiApplication>
#include <QImage>

#include <cstdio>

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    if (arguments.size() != 2) {
        std::fprintf(stderr, "usage: kvo-artwork OUTPUT_DIRECTORY\n");
        return 2;
    }
    const QDir output(arguments.at(1));
    if (!output.mkpath(QStringLiteral("."))) {
        std::fprintf(stderr, "kvo-artwork: cannot create %s\n", qPrintable(output.path()));
        return 1;
    }

    bool allWritten = true;
    auto write = [&](const QImage& image, const QString& name) {
        const QString path = output.filePath(name);
        if (!image.save(path, "PNG")) {
            std::fprintf(stderr, "kvo-artwork: cannot write %s\n", qPrintable(path));
            allWritten = false;
        }
    };
    for (int layout = 0; layout < artwork::screenLayoutCount; ++layout)
        write(artwork::screenLayoutPicture(layout), artwork::screenLayoutFileName(layout));
    for (auto look : {artwork::PlayerLook::On, artwork::PlayerLook::Off, artwork::PlayerLook::Virtual})
        write(artwork::playerPicture(look, 64), artwork::playerPictureFileName(look));
    return allWritten ? 0 : 1;
}
