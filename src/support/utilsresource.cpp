#include "support/utilsresource.h"

#include "controls/timage.h"
#include "controls/zrunbutton.h"
#include "platform/system.h"

#include <QApplication>
#include <QBuffer>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImageReader>
#include <QMimeDatabase>
#include <QMovie>
#include <string>

#if defined(_WIN32)
#include <shellapi.h>
#include <windows.h>
#endif

namespace {

constexpr int kFileIconSize = 48;

// Decodes resource bytes at once: the library keeps owning them.
QImage DecodeImage(const QByteArray& bytes, const char* format) {
    if (bytes.isEmpty())
        return {};
    QImage image;
    if (!image.loadFromData(bytes, format))
        return {};
    return image;
}

bool HighDensityScreen() {
    return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) && qGuiApp->devicePixelRatio() > 1.0;
}

// Every image of an icon file, each size its own entry of the icon.
QIcon IconFromDevice(QIODevice* device) {
    QImageReader reader(device, "ico");
    QIcon icon;
    const int count = std::max(1, reader.imageCount());
    for (int i = 0; i < count; ++i) {
        if (i > 0 && !reader.jumpToNextImage())
            break;
        const QImage image = reader.read();
        if (!image.isNull())
            icon.addPixmap(QPixmap::fromImage(image));
    }
    return icon;
}

// The icon as one picture of the size the items are drawn at.
QIcon AtFileIconSize(const QIcon& icon) {
    if (icon.isNull())
        return {};
    const QPixmap pixmap = icon.pixmap(QSize(kFileIconSize, kFileIconSize));
    if (pixmap.isNull())
        return {};
    QIcon result;
    result.addPixmap(pixmap);
    return result;
}

QIcon IconFileIcon(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return AtFileIconSize(IconFromDevice(&file));
}

// The first icon an executable holds. Only the system reads executables here: the items are
// suspect files, and the user interface must not parse them itself.
QIcon ExecutableIcon([[maybe_unused]] const QString& path) {
#if defined(_WIN32)
    HICON large = nullptr;
    if (ExtractIconExW(reinterpret_cast<LPCWSTR>(path.utf16()), 0, &large, nullptr, 1) == 0 || !large)
        return {};
    const QImage image = QImage::fromHICON(large);
    DestroyIcon(large);
    if (image.isNull())
        return {};
    return AtFileIconSize(QIcon(QPixmap::fromImage(image)));
#else
    return {};
#endif
}

// The desktop's icon for the file's type, from its name alone.
QIcon DesktopIcon(const QString& path) {
    // Windows paths keep their backslashes on other systems: only the last part names the file.
    QString name = path;
    const qsizetype cut = std::max(name.lastIndexOf(QLatin1Char('\\')), name.lastIndexOf(QLatin1Char('/')));
    if (cut >= 0)
        name = name.mid(cut + 1);
    const QMimeType type = QMimeDatabase().mimeTypeForFile(name, QMimeDatabase::MatchExtension);
    QIcon icon;
    // The desktop knows Windows libraries and drivers only as unknown bytes; they are code.
    static const QStringList windowsBinaries{QStringLiteral("dll"), QStringLiteral("sys"),
                                             QStringLiteral("ocx"), QStringLiteral("cpl"),
                                             QStringLiteral("drv"), QStringLiteral("scr")};
    if (windowsBinaries.contains(QFileInfo(name).suffix(), Qt::CaseInsensitive)) {
        icon = QIcon::fromTheme(QStringLiteral("application-x-sharedlib"));
        if (icon.isNull())
            icon = QIcon::fromTheme(QStringLiteral("application-x-executable"));
    }
    if (icon.isNull() && type.isValid()) {
        icon = QIcon::fromTheme(type.iconName());
        if (icon.isNull())
            icon = QIcon::fromTheme(type.genericIconName());
    }
    // Without a desktop icon theme (minimal or offscreen platforms) the style's file icon remains.
    if (icon.isNull() && qobject_cast<QApplication*>(QCoreApplication::instance()))
        icon = QFileIconProvider().icon(QAbstractFileIconProvider::File);
    return AtFileIconSize(icon);
}

} // namespace

QImage LoadPngResource(void* module, std::uint32_t number, std::u16string_view type) {
    return DecodeImage(platform::FindResourceBytes(module, type, number), "PNG");
}

QImage LoadPngResourceForScreen(void* module, std::uint32_t number, std::u16string_view type) {
    if (HighDensityScreen()) {
        std::u16string doubled(type);
        doubled += u"@2x";
        QImage image = LoadPngResource(module, number, doubled);
        if (!image.isNull()) {
            image.setDevicePixelRatio(2.0);
            return image;
        }
    }
    return LoadPngResource(module, number, type);
}

std::unique_ptr<QMovie> LoadGifResource(void* module, std::uint32_t number, std::u16string_view type) {
    const QByteArray bytes = platform::FindResourceBytes(module, type, number);
    if (bytes.isEmpty())
        return nullptr;
    auto movie = std::make_unique<QMovie>();
    // The movie reads its frames as it plays: it gets its own copy of the bytes.
    auto* buffer = new QBuffer(movie.get());
    buffer->setData(QByteArray(bytes.constData(), bytes.size()));
    buffer->open(QIODevice::ReadOnly);
    movie->setFormat("gif");
    movie->setDevice(buffer);
    movie->setCacheMode(QMovie::CacheAll);
    if (!movie->isValid() || !movie->jumpToFrame(0) || movie->currentImage().isNull())
        return nullptr;
    return movie;
}

QPixmap LoadBitmapResource(void* module, std::uint32_t number) {
    const QImage image = DecodeImage(platform::FindResourceBytes(module, u"BITMAP", number), nullptr);
    return image.isNull() ? QPixmap() : QPixmap::fromImage(image);
}

QIcon LoadIconResource(void* module, std::uint32_t number) {
    const QByteArray bytes = platform::FindResourceBytes(module, u"ICON", number);
    if (bytes.isEmpty())
        return {};
    QBuffer buffer;
    buffer.setData(QByteArray(bytes.constData(), bytes.size()));
    buffer.open(QIODevice::ReadOnly);
    return IconFromDevice(&buffer);
}

bool ShowPngResource(TImage* image, void* module, std::uint32_t number) {
    if (!image)
        return false;
    const QImage picture = LoadPngResourceForScreen(module, number);
    if (picture.isNull())
        return false;
    image->SetPicture(picture);
    return true;
}

bool ShowGifResource(TImage* image, void* module, std::uint32_t number, bool animate) {
    if (!image)
        return false;
    std::unique_ptr<QMovie> movie = LoadGifResource(module, number);
    if (!movie)
        return false;
    if (animate)
        image->SetMovie(std::move(movie), kAnimationSpeedPercent);
    else
        image->SetPicture(movie->currentImage());
    return true;
}

void AddPngToSkinList(TZRUNSkinList& list, void* module, std::uint32_t number) {
    const QImage face = LoadPngResourceForScreen(module, number);
    if (face.isNull())
        list.AddBlank();
    else
        list.Add(face);
}

QIcon IconForFile(const QString& path) {
    if (path.isEmpty() || !qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return {};
    QIcon icon;
    if (path.contains(QLatin1String(".ico"), Qt::CaseSensitive))
        icon = IconFileIcon(path);
    else if (path.contains(QLatin1String(".exe"), Qt::CaseSensitive))
        icon = ExecutableIcon(path);
    if (icon.isNull())
        icon = DesktopIcon(path);
    return icon;
}
