// The resource library as a host sees it: loaded by path, asked for pictures by type name and
// number through its one C entry point, and every answer decoded with Qt's own image readers.

#include <QBuffer>
#include <QImage>
#include <QImageReader>
#include <QObject>
#include <QSet>
#include <QTest>
#include <array>
#include <cmath>
#include <cstdint>
#include <dlfcn.h>
#include <vector>

namespace {

using FindResourceFunction = int32_t (*)(const char16_t*, uint32_t, const void**, uint32_t*);
using InitializeFunction = int32_t (*)(uintptr_t);
using UninitializeFunction = int32_t (*)();

// How a picture is used decides what must hold for it beyond decoding at its size.
enum class Stretch {
    None,      // drawn at its size
    Across,    // repeated or stretched along x: its columns are all alike
    Down,      // along y: its rows are all alike
    Both,      // stretched over an area: one colour
    NineSlice, // a button face: the columns between the 10 px margins are alike
};

struct PngPicture {
    uint32_t number;
    const char* name;
    int width;
    int height;
    Stretch stretch;
};

// Every PNG picture the windows ask for, with the size it is drawn for.
const PngPicture kPngPictures[] = {
    {20143, "text button normal", 40, 19, Stretch::NineSlice},
    {20144, "text button hover", 40, 19, Stretch::NineSlice},
    {20145, "text button pressed", 40, 19, Stretch::NineSlice},
    {20146, "text button disabled", 40, 19, Stretch::NineSlice},
    {20171, "carousel left normal", 24, 84, Stretch::None},
    {20172, "carousel left hover", 24, 84, Stretch::None},
    {20173, "carousel left pressed", 24, 84, Stretch::None},
    {20174, "carousel right normal", 24, 84, Stretch::None},
    {20175, "carousel right hover", 24, 84, Stretch::None},
    {20176, "carousel right pressed", 24, 84, Stretch::None},
    {20029, "close normal", 24, 15, Stretch::None},
    {20030, "close hover", 24, 15, Stretch::None},
    {20028, "close pressed", 24, 15, Stretch::None},
    {20004, "minimise normal", 24, 15, Stretch::None},
    {20005, "minimise hover", 24, 15, Stretch::None},
    {20003, "minimise pressed", 24, 15, Stretch::None},
    {20062, "maximise normal", 24, 15, Stretch::None},
    {20063, "maximise hover", 24, 15, Stretch::None},
    {20064, "maximise pressed", 24, 15, Stretch::None},
    {20065, "restore normal", 24, 15, Stretch::None},
    {20066, "restore hover", 24, 15, Stretch::None},
    {20067, "restore pressed", 24, 15, Stretch::None},
    {20131, "remove action normal", 21, 21, Stretch::None},
    {20132, "remove action hover", 21, 21, Stretch::None},
    {20133, "remove action pressed", 21, 21, Stretch::None},
    {20134, "undo action normal", 21, 21, Stretch::None},
    {20135, "undo action hover", 21, 21, Stretch::None},
    {20136, "undo action pressed", 21, 21, Stretch::None},
    {20187, "redo action normal", 21, 21, Stretch::None},
    {20188, "redo action hover", 21, 21, Stretch::None},
    {20189, "redo action pressed", 21, 21, Stretch::None},
    {20015, "error alert", 45, 45, Stretch::None},
    {20017, "information alert", 45, 45, Stretch::None},
    {20154, "warning shield", 82, 82, Stretch::None},
    {20153, "resize grip", 18, 19, Stretch::None},
    {20076, "grid header", 8, 25, Stretch::Across},
    {21014, "window top-left", 6, 6, Stretch::None},
    {21016, "window top", 8, 6, Stretch::Across},
    {21015, "window top-right", 6, 6, Stretch::None},
    {21017, "window right", 6, 8, Stretch::Down},
    {21018, "window bottom-right", 6, 6, Stretch::None},
    {21010, "window bottom", 8, 6, Stretch::Across},
    {21011, "window bottom-left", 6, 6, Stretch::None},
    {21013, "window left", 6, 8, Stretch::Down},
    {21012, "window spare bottom", 8, 6, Stretch::Across},
    {21037, "tooltip top-left", 6, 6, Stretch::None},
    {21044, "tooltip top", 8, 6, Stretch::Across},
    {21038, "tooltip top-right", 6, 6, Stretch::None},
    {21046, "tooltip right", 6, 8, Stretch::Down},
    {21043, "tooltip bottom", 8, 6, Stretch::Across},
    {21045, "tooltip left", 6, 8, Stretch::Down},
    {21042, "tooltip bottom-right pointer", 22, 22, Stretch::None},
    {21039, "tooltip bottom-left", 6, 6, Stretch::None},
    {21040, "tooltip bottom-right", 6, 6, Stretch::None},
    {21041, "tooltip bottom-left pointer", 22, 22, Stretch::None},
    {21047, "tooltip background", 16, 16, Stretch::Both},
};

QByteArray asBytes(const void* data, uint32_t size) {
    return QByteArray(static_cast<const char*>(data), qsizetype(size));
}

const char16_t* typeName(const QString& type) {
    return reinterpret_cast<const char16_t*>(type.utf16());
}

bool columnsAlike(const QImage& image, int from, int to) {
    for (int x = from + 1; x < to; ++x) {
        for (int y = 0; y < image.height(); ++y) {
            if (image.pixel(x, y) != image.pixel(from, y)) {
                return false;
            }
        }
    }
    return true;
}

bool rowsAlike(const QImage& image) {
    for (int y = 1; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixel(x, y) != image.pixel(x, 0)) {
                return false;
            }
        }
    }
    return true;
}

// Mean of each premultiplied channel, to compare a picture with its double-size version.
std::array<double, 4> meanColour(const QImage& source) {
    const QImage image = source.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    std::array<double, 4> sums{0, 0, 0, 0};
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            sums[0] += qRed(pixel);
            sums[1] += qGreen(pixel);
            sums[2] += qBlue(pixel);
            sums[3] += qAlpha(pixel);
        }
    }
    const double count = double(image.width()) * image.height();
    for (double& sum : sums) {
        sum /= count;
    }
    return sums;
}

} // namespace

class TestHostResources final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();

    void exportsTheLoaderEntryPoints();
    void pngDecodesAtItsSize_data();
    void pngDecodesAtItsSize();
    void stretchedPicturesAreAlikeAlongTheStretch_data();
    void stretchedPicturesAreAlikeAlongTheStretch();
    void doubledPictureMatchesItsOriginal_data();
    void doubledPictureMatchesItsOriginal();
    void framesAreSeeThroughOutsideTheirRounding_data();
    void framesAreSeeThroughOutsideTheirRounding();
    void sortGlyphsPointTheirWay_data();
    void sortGlyphsPointTheirWay();
    void waitingPictureIsAnAnimatedGif();
    void windowIconHoldsEverySize();
    void lookupFails_data();
    void lookupFails();
    void nullArgumentsFail_data();
    void nullArgumentsFail();
    void bytesStayOwnedByTheLibrary();

private:
    QByteArray find(const QString& type, uint32_t number);
    QImage decode(const QString& type, uint32_t number, const char* format);

    void* m_library = nullptr;
    FindResourceFunction m_find = nullptr;
};

void TestHostResources::initTestCase() {
    m_library = dlopen(ZRUN_BIN_DIR "/ZRUNResources.so", RTLD_NOW | RTLD_LOCAL);
    QVERIFY2(m_library != nullptr, dlerror());
    m_find = reinterpret_cast<FindResourceFunction>(dlsym(m_library, "ZRUN_FindResource"));
    QVERIFY(m_find != nullptr);
}

void TestHostResources::cleanupTestCase() {
    if (m_library != nullptr) {
        QCOMPARE(dlclose(m_library), 0);
    }
}

QByteArray TestHostResources::find(const QString& type, uint32_t number) {
    const void* data = nullptr;
    uint32_t size = 0;
    if (m_find(typeName(type), number, &data, &size) != 1 || data == nullptr || size == 0) {
        return {};
    }
    return asBytes(data, size);
}

QImage TestHostResources::decode(const QString& type, uint32_t number, const char* format) {
    const QByteArray bytes = find(type, number);
    return bytes.isEmpty() ? QImage() : QImage::fromData(bytes, format);
}

void TestHostResources::exportsTheLoaderEntryPoints() {
    const auto initialize = reinterpret_cast<InitializeFunction>(dlsym(m_library, "_ZRUN_Initialize"));
    const auto uninitialize = reinterpret_cast<UninitializeFunction>(dlsym(m_library, "_ZRUN_Uninitialize"));
    QVERIFY(initialize != nullptr);
    QVERIFY(uninitialize != nullptr);
    QCOMPARE(initialize(0), 1);
    QCOMPARE(uninitialize(), 1);
    // Lookups keep working around the loader's calls.
    QVERIFY(!find(QStringLiteral("PNG"), 20143).isEmpty());
}

void TestHostResources::pngDecodesAtItsSize_data() {
    QTest::addColumn<QString>("type");
    QTest::addColumn<uint>("number");
    QTest::addColumn<QSize>("size");
    for (const PngPicture& picture : kPngPictures) {
        const QSize size(picture.width, picture.height);
        QTest::addRow("%u %s", picture.number, picture.name)
            << QStringLiteral("PNG") << uint(picture.number) << size;
        QTest::addRow("%u %s @2x", picture.number, picture.name)
            << QStringLiteral("PNG@2x") << uint(picture.number) << size * 2;
    }
}

void TestHostResources::pngDecodesAtItsSize() {
    QFETCH(QString, type);
    QFETCH(uint, number);
    QFETCH(QSize, size);
    const QByteArray bytes = find(type, number);
    QVERIFY2(!bytes.isEmpty(), "not in the library");
    QVERIFY(bytes.startsWith("\x89PNG\r\n\x1a\n"));
    const QImage image = QImage::fromData(bytes, "PNG");
    QVERIFY2(!image.isNull(), "does not decode as PNG");
    QCOMPARE(image.size(), size);
    QVERIFY(image.hasAlphaChannel());
    // Something is drawn: no picture is fully transparent, and only the tooltip background, which
    // is stretched over the whole tooltip, is a single colour.
    QSet<QRgb> colours;
    bool drawn = false;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            colours.insert(image.pixel(x, y));
            drawn = drawn || qAlpha(image.pixel(x, y)) > 0;
        }
    }
    QVERIFY(drawn);
    QVERIFY2(colours.size() >= (number == 21047 ? 1 : 2), "a flat box");
}

void TestHostResources::stretchedPicturesAreAlikeAlongTheStretch_data() {
    QTest::addColumn<QString>("type");
    QTest::addColumn<uint>("number");
    QTest::addColumn<int>("stretch");
    for (const PngPicture& picture : kPngPictures) {
        if (picture.stretch == Stretch::None) {
            continue;
        }
        QTest::addRow("%u %s", picture.number, picture.name)
            << QStringLiteral("PNG") << uint(picture.number) << int(picture.stretch);
        QTest::addRow("%u %s @2x", picture.number, picture.name)
            << QStringLiteral("PNG@2x") << uint(picture.number) << int(picture.stretch);
    }
}

void TestHostResources::stretchedPicturesAreAlikeAlongTheStretch() {
    QFETCH(QString, type);
    QFETCH(uint, number);
    QFETCH(int, stretch);
    const QImage image = decode(type, number, "PNG").convertToFormat(QImage::Format_ARGB32);
    QVERIFY(!image.isNull());
    const int scale = type == QStringLiteral("PNG@2x") ? 2 : 1;
    switch (Stretch(stretch)) {
    case Stretch::Across:
        QVERIFY(columnsAlike(image, 0, image.width()));
        break;
    case Stretch::Down:
        QVERIFY(rowsAlike(image));
        break;
    case Stretch::Both:
        QVERIFY(columnsAlike(image, 0, image.width()));
        QVERIFY(rowsAlike(image));
        break;
    case Stretch::NineSlice:
        QVERIFY(columnsAlike(image, 10 * scale, image.width() - 10 * scale));
        break;
    case Stretch::None:
        break;
    }
}

void TestHostResources::doubledPictureMatchesItsOriginal_data() {
    QTest::addColumn<uint>("number");
    for (const PngPicture& picture : kPngPictures) {
        QTest::addRow("%u %s", picture.number, picture.name) << uint(picture.number);
    }
}

void TestHostResources::doubledPictureMatchesItsOriginal() {
    QFETCH(uint, number);
    const QImage normal = decode(QStringLiteral("PNG"), number, "PNG");
    const QImage doubled = decode(QStringLiteral("PNG@2x"), number, "PNG");
    QVERIFY(!normal.isNull() && !doubled.isNull());
    // The same drawing at twice the resolution: on average the same colours and coverage.
    const auto expected = meanColour(normal);
    const auto actual = meanColour(doubled);
    for (int channel = 0; channel < 4; ++channel) {
        QVERIFY2(std::abs(expected[channel] - actual[channel]) < 6.0,
                 qPrintable(QStringLiteral("channel %1: %2 at 1x, %3 at 2x")
                                .arg(channel)
                                .arg(expected[channel])
                                .arg(actual[channel])));
    }
}

void TestHostResources::framesAreSeeThroughOutsideTheirRounding_data() {
    QTest::addColumn<uint>("number");
    QTest::addColumn<QPoint>("outside"); // at 1x
    QTest::addColumn<QPoint>("onTheLine");
    QTest::newRow("window top-left") << 21014u << QPoint(0, 0) << QPoint(5, 0);
    QTest::newRow("window top-right") << 21015u << QPoint(5, 0) << QPoint(0, 0);
    QTest::newRow("window bottom-right") << 21018u << QPoint(5, 5) << QPoint(0, 5);
    QTest::newRow("window bottom-left") << 21011u << QPoint(0, 5) << QPoint(5, 5);
    QTest::newRow("tooltip top-left") << 21037u << QPoint(0, 0) << QPoint(5, 0);
    QTest::newRow("tooltip top-right") << 21038u << QPoint(5, 0) << QPoint(0, 0);
    QTest::newRow("tooltip plain bottom-left") << 21039u << QPoint(0, 5) << QPoint(5, 5);
    QTest::newRow("tooltip plain bottom-right") << 21040u << QPoint(5, 5) << QPoint(0, 5);
    // Beside the pointer's tail, between it and the body, the window shows through; the tail
    // itself reaches the very corner, toward the cursor.
    QTest::newRow("tooltip right pointer") << 21042u << QPoint(21, 12) << QPoint(21, 21);
    QTest::newRow("tooltip left pointer") << 21041u << QPoint(0, 12) << QPoint(0, 21);
}

void TestHostResources::framesAreSeeThroughOutsideTheirRounding() {
    QFETCH(uint, number);
    QFETCH(QPoint, outside);
    QFETCH(QPoint, onTheLine);
    for (const int scale : {1, 2}) {
        const QString type = scale == 1 ? QStringLiteral("PNG") : QStringLiteral("PNG@2x");
        const QImage image = decode(type, number, "PNG");
        QVERIFY(!image.isNull());
        const QPoint near = outside * scale + (outside.x() > 0 ? QPoint(scale - 1, 0) : QPoint()) +
                            (outside.y() > 0 ? QPoint(0, scale - 1) : QPoint());
        QCOMPARE(qAlpha(image.pixel(near)), 0);
        QVERIFY2(qAlpha(image.pixel(onTheLine * scale)) > 0, qPrintable(type));
    }
}

void TestHostResources::sortGlyphsPointTheirWay_data() {
    QTest::addColumn<uint>("number");
    QTest::addColumn<bool>("pointsUp");
    QTest::newRow("20074 ascending") << 20074u << true;
    QTest::newRow("20075 descending") << 20075u << false;
}

void TestHostResources::sortGlyphsPointTheirWay() {
    QFETCH(uint, number);
    QFETCH(bool, pointsUp);
    const QImage glyph = decode(QStringLiteral("BITMAP"), number, nullptr);
    QVERIFY2(!glyph.isNull(), "does not decode");
    QVERIFY(glyph.hasAlphaChannel());
    QVERIFY(glyph.width() >= 7 && glyph.width() <= 13);
    QVERIFY(glyph.height() >= 4 && glyph.height() <= 8);
    // The wide base lies opposite the point: at the bottom for ascending, at the top for descending.
    const int base = pointsUp ? glyph.height() - 1 : 0;
    const int point = pointsUp ? 0 : glyph.height() - 1;
    QVERIFY(qAlpha(glyph.pixel(0, base)) > 128);
    QCOMPARE(qAlpha(glyph.pixel(0, point)), 0);
    QVERIFY(qAlpha(glyph.pixel(glyph.width() / 2, point)) > 128);
}

void TestHostResources::waitingPictureIsAnAnimatedGif() {
    const QByteArray bytes = find(QStringLiteral("GIF"), 22002);
    QVERIFY(bytes.startsWith("GIF89a"));
    QBuffer buffer;
    buffer.setData(bytes);
    QVERIFY(buffer.open(QIODevice::ReadOnly));
    QImageReader reader(&buffer, "gif");
    QVERIFY(reader.supportsAnimation());
    QCOMPARE(reader.loopCount(), -1); // for ever

    std::vector<QImage> frames;
    while (reader.canRead()) {
        const QImage frame = reader.read();
        QVERIFY2(!frame.isNull(), qPrintable(reader.errorString()));
        // Known once the frame is read: how long it stays before the next one.
        const int delay = reader.nextImageDelay();
        QVERIFY2(delay >= 60 && delay <= 80, qPrintable(QString::number(delay)));
        frames.push_back(frame.convertToFormat(QImage::Format_ARGB32));
    }
    QVERIFY(frames.size() >= 12);
    const QSize size = frames.front().size();
    QVERIFY(size.width() >= 96 && size.width() <= 134);
    QVERIFY(size.height() >= 72 && size.height() <= 105);
    for (const QImage& frame : frames) {
        QCOMPARE(frame.size(), size);
        // Transparent around the spinner, so the darkened window shows through.
        QCOMPARE(qAlpha(frame.pixel(0, 0)), 0);
        QCOMPARE(qAlpha(frame.pixel(size.width() - 1, size.height() - 1)), 0);
        QCOMPARE(qAlpha(frame.pixel(size.width() / 2, size.height() / 2)), 255);
    }
    QVERIFY(frames[0] != frames[frames.size() / 4]);
    QVERIFY(frames[0] != frames[frames.size() / 2]);
}

void TestHostResources::windowIconHoldsEverySize() {
    const QByteArray bytes = find(QStringLiteral("ICON"), 131);
    QVERIFY(!bytes.isEmpty());
    QBuffer buffer;
    buffer.setData(bytes);
    QVERIFY(buffer.open(QIODevice::ReadOnly));
    QImageReader reader(&buffer, "ico");
    QCOMPARE(reader.imageCount(), 6);
    QSet<int> sizes;
    for (int i = 0; i < reader.imageCount(); ++i) {
        QVERIFY(reader.jumpToImage(i));
        const QImage image = reader.read();
        QVERIFY2(!image.isNull(), qPrintable(reader.errorString()));
        QCOMPARE(image.width(), image.height());
        QVERIFY(image.hasAlphaChannel());
        QCOMPARE(qAlpha(image.pixel(0, 0)), 0);
        QVERIFY(qAlpha(image.pixel(image.width() / 2, image.height() / 2)) > 200);
        sizes.insert(image.width());
    }
    QCOMPARE(sizes, (QSet<int>{16, 24, 32, 48, 64, 256}));
}

void TestHostResources::lookupFails_data() {
    QTest::addColumn<QString>("type");
    QTest::addColumn<uint>("number");
    QTest::newRow("unknown number") << QStringLiteral("PNG") << 20999u;
    QTest::newRow("number zero") << QStringLiteral("PNG") << 0u;
    QTest::newRow("unknown type") << QStringLiteral("JPEG") << 20143u;
    QTest::newRow("type in lower case") << QStringLiteral("png") << 20143u;
    QTest::newRow("type with a trailing space") << QStringLiteral("PNG ") << 20143u;
    QTest::newRow("empty type") << QString() << 20143u;
    QTest::newRow("animation asked as PNG") << QStringLiteral("PNG") << 22002u;
    QTest::newRow("button face asked as GIF") << QStringLiteral("GIF") << 20143u;
    QTest::newRow("icon asked as PNG") << QStringLiteral("PNG") << 131u;
    QTest::newRow("sort glyph asked as PNG") << QStringLiteral("PNG") << 20074u;
    QTest::newRow("button face asked as BITMAP") << QStringLiteral("BITMAP") << 20143u;
    QTest::newRow("double size of the animation") << QStringLiteral("PNG@2x") << 22002u;
    QTest::newRow("double size of a sort glyph") << QStringLiteral("PNG@2x") << 20074u;
}

void TestHostResources::lookupFails() {
    QFETCH(QString, type);
    QFETCH(uint, number);
    const void* data = reinterpret_cast<const void*>(uintptr_t(1));
    uint32_t size = 0;
    // QString() gives an empty, terminated text here, never null.
    QCOMPARE(m_find(type.isNull() ? u"" : typeName(type), number, &data, &size), 0);
}

void TestHostResources::nullArgumentsFail_data() {
    QTest::addColumn<bool>("withType");
    QTest::addColumn<bool>("withData");
    QTest::addColumn<bool>("withSize");
    QTest::newRow("no type") << false << true << true;
    QTest::newRow("no data pointer") << true << false << true;
    QTest::newRow("no size pointer") << true << true << false;
    QTest::newRow("nothing at all") << false << false << false;
}

void TestHostResources::nullArgumentsFail() {
    QFETCH(bool, withType);
    QFETCH(bool, withData);
    QFETCH(bool, withSize);
    const void* data = nullptr;
    uint32_t size = 0;
    QCOMPARE(
        m_find(withType ? u"PNG" : nullptr, 20143, withData ? &data : nullptr, withSize ? &size : nullptr),
        0);
}

void TestHostResources::bytesStayOwnedByTheLibrary() {
    const void* first = nullptr;
    const void* second = nullptr;
    uint32_t firstSize = 0;
    uint32_t secondSize = 0;
    QCOMPARE(m_find(u"GIF", 22002, &first, &firstSize), 1);
    QCOMPARE(m_find(u"GIF", 22002, &second, &secondSize), 1);
    // The same bytes every time: the library hands out its own copy and nothing to free.
    QCOMPARE(first, second);
    QCOMPARE(firstSize, secondSize);
    const void* other = nullptr;
    uint32_t otherSize = 0;
    QCOMPARE(m_find(u"PNG@2x", 20143, &other, &otherSize), 1);
    QVERIFY(other != first);
    QVERIFY(asBytes(other, otherSize) != find(QStringLiteral("PNG"), 20143));
}

QTEST_GUILESS_MAIN(TestHostResources)
#include "tst_host_resources.moc"
