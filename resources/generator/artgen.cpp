// zrun-artgen: draws every picture of ZRUNResources and writes them into resources/images, one
// folder per resource type, each file named by its number; optionally writes the art sheet too.
//
//   zrun-artgen --images <folder> [--sheet <file.png>] [--previews <folder>]
//
// The output is deterministic, so regenerating unchanged art leaves the files untouched.

#include "artsheet.h"
#include "catalogue.h"
#include "gifwriter.h"
#include "icowriter.h"

#include <QBuffer>
#include <QCommandLineParser>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImageReader>
#include <cstdio>
#include <set>
#include <stdexcept>

namespace {

using namespace artgen;

QByteArray pngBytes(const QImage& image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.convertToFormat(QImage::Format_ARGB32).save(&buffer, "PNG")) {
        throw std::runtime_error("a picture could not be encoded as PNG");
    }
    return bytes;
}

std::vector<QImage> decodeAll(const QByteArray& bytes, const char* format) {
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, format);
    std::vector<QImage> images;
    // Animations give their frames one read after the other; icon files give theirs by jumping.
    const bool animated = reader.supportsAnimation();
    for (int i = 0; animated ? reader.canRead() : i < reader.imageCount(); ++i) {
        if (!animated && !reader.jumpToImage(i)) {
            break;
        }
        QImage image = reader.read();
        if (image.isNull()) {
            throw std::runtime_error(std::string("Qt could not read back a written ") + format + ": " +
                                     reader.errorString().toStdString());
        }
        images.push_back(image.convertToFormat(QImage::Format_ARGB32_Premultiplied));
    }
    if (images.empty()) {
        throw std::runtime_error(std::string("Qt found no image in a written ") + format);
    }
    return images;
}

// Writes the files of one run and removes the ones of earlier runs that no picture owns any more.
class ImageFolder {
public:
    explicit ImageFolder(const QString& root) : m_root(root) {}

    void write(const QString& type, std::uint32_t number, const QString& extension, const QByteArray& bytes) {
        const QString name = QStringLiteral("%1/%2.%3").arg(type).arg(number).arg(extension);
        if (!m_written.insert(name).second) {
            throw std::runtime_error("two pictures have the number " + name.toStdString());
        }
        QDir(m_root).mkpath(type);
        m_types.insert(type);
        const QString path = m_root.filePath(name);
        QFile existing(path);
        if (existing.open(QIODevice::ReadOnly) && existing.readAll() == bytes) {
            return;
        }
        existing.close();
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size()) {
            throw std::runtime_error("cannot write " + path.toStdString());
        }
        ++m_changed;
    }

    void removeStale() {
        for (const QString& type : m_types) {
            const QDir folder(m_root.filePath(type));
            for (const QString& file : folder.entryList(QDir::Files)) {
                if (!m_written.count(type + QLatin1Char('/') + file)) {
                    QFile::remove(folder.filePath(file));
                    ++m_changed;
                }
            }
        }
    }

    int written() const { return int(m_written.size()); }
    int changed() const { return m_changed; }

private:
    QDir m_root;
    std::set<QString> m_written;
    std::set<QString> m_types;
    int m_changed = 0;
};

RenderedPicture renderPicture(const Picture& picture, bool withDoubled) {
    RenderedPicture rendered{&picture, render(picture.size, 1, picture.draw), {}};
    if (withDoubled) {
        rendered.doubled = render(picture.size, 2, picture.draw);
    }
    return rendered;
}

int run(const QString& imagesFolder, const QString& sheetPath, const QString& previewFolder) {
    const Catalogue catalogue = buildCatalogue();
    RenderedArt art;
    ImageFolder folder(imagesFolder);

    for (const Picture& picture : catalogue.png) {
        art.png.push_back(renderPicture(picture, true));
    }
    for (const Picture& picture : catalogue.bitmaps) {
        art.bitmaps.push_back(renderPicture(picture, false));
    }
    for (const RenderedPicture& rendered : art.png) {
        folder.write(QStringLiteral("PNG"), rendered.picture->number, QStringLiteral("png"),
                     pngBytes(rendered.normal));
        folder.write(QStringLiteral("PNG@2x"), rendered.picture->number, QStringLiteral("png"),
                     pngBytes(rendered.doubled));
        art.byNumber[rendered.picture->number] = &rendered;
    }
    for (const RenderedPicture& rendered : art.bitmaps) {
        folder.write(QStringLiteral("BITMAP"), rendered.picture->number, QStringLiteral("png"),
                     pngBytes(rendered.normal));
        art.byNumber[rendered.picture->number] = &rendered;
    }

    GifOptions gif;
    gif.delayMs = catalogue.waiting.delayMs;
    gif.matte = catalogue.waiting.matte;
    const QByteArray waiting = encodeAnimatedGif(catalogue.waiting.frames, gif);
    folder.write(QStringLiteral("GIF"), catalogue.waitingNumber, QStringLiteral("gif"), waiting);
    art.waitingFrames = decodeAll(waiting, "gif");
    art.waitingDelayMs = catalogue.waiting.delayMs;

    const QByteArray icon = encodeIco(catalogue.iconImages);
    folder.write(QStringLiteral("ICON"), catalogue.iconNumber, QStringLiteral("ico"), icon);
    art.iconImages = decodeAll(icon, "ico");

    folder.removeStale();
    std::printf("zrun-artgen: %d pictures, %d files changed in %s\n", folder.written(), folder.changed(),
                qPrintable(QDir::toNativeSeparators(imagesFolder)));

    if (!sheetPath.isEmpty()) {
        const QByteArray sheet = pngBytes(drawArtSheet(art, previewFolder));
        QDir().mkpath(QFileInfo(sheetPath).absolutePath());
        QFile file(sheetPath);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(sheet) != sheet.size()) {
            throw std::runtime_error("cannot write " + sheetPath.toStdString());
        }
        std::printf("zrun-artgen: art sheet written to %s\n",
                    qPrintable(QDir::toNativeSeparators(sheetPath)));
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    // Drawing needs a GUI application for fonts, but never a display.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QGuiApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Draws the pictures of ZRUNResources."));
    parser.addHelpOption();
    const QCommandLineOption images(QStringLiteral("images"),
                                    QStringLiteral("Folder to write the pictures to."),
                                    QStringLiteral("folder"));
    const QCommandLineOption sheet(QStringLiteral("sheet"),
                                   QStringLiteral("Also write the art sheet to this PNG."),
                                   QStringLiteral("file"));
    const QCommandLineOption previews(
        QStringLiteral("previews"),
        QStringLiteral("Also write the sheet's window compositions to this folder."),
        QStringLiteral("folder"));
    parser.addOption(images);
    parser.addOption(sheet);
    parser.addOption(previews);
    parser.process(app);
    if (!parser.isSet(images)) {
        std::fprintf(stderr, "zrun-artgen: --images <folder> is required\n");
        return 2;
    }
    try {
        return run(parser.value(images), parser.value(sheet), parser.value(previews));
    } catch (const std::exception& error) {
        std::fprintf(stderr, "zrun-artgen: %s\n", error.what());
        return 1;
    }
}
