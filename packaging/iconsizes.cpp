// Writes every size of a multi-size .ico as a PNG of the icon theme's layout:
// <output>/<w>x<h>/apps/<name>.png, so the installed console has its own picture in menus.
#include <QCoreApplication>
#include <QDir>
#include <QImage>
#include <QImageReader>
#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 4) {
        std::fprintf(stderr, "usage: zrun-iconsizes <icon.ico> <output folder> <name>\n");
        return 2;
    }
    QImageReader reader(args.at(1), "ico");
    if (!reader.canRead()) {
        std::fprintf(stderr, "zrun-iconsizes: cannot read %s: %s\n", qPrintable(args.at(1)),
                     qPrintable(reader.errorString()));
        return 1;
    }
    int written = 0;
    const int count = reader.imageCount();
    for (int i = 0; i < count; ++i) {
        if (!reader.jumpToImage(i))
            break;
        const QImage image = reader.read();
        // The icon theme knows only square sizes.
        if (image.isNull() || image.width() != image.height())
            continue;
        const QString folder = QStringLiteral("%1/%2x%2/apps").arg(args.at(2)).arg(image.width());
        const QString file = folder + QLatin1Char('/') + args.at(3) + QStringLiteral(".png");
        if (!QDir().mkpath(folder) || !image.save(file, "PNG")) {
            std::fprintf(stderr, "zrun-iconsizes: cannot write %s\n", qPrintable(file));
            return 1;
        }
        ++written;
    }
    if (written == 0) {
        std::fprintf(stderr, "zrun-iconsizes: no square picture in %s\n", qPrintable(args.at(1)));
        return 1;
    }
    return 0;
}
