// The picture loaders against the real resource library: every number the windows ask for,
// missing numbers, skin lists, image controls and the pictures of files.
//
// The whole executable runs on a double-density screen (scale factor 2), so the loaders that
// serve the screen must pick the "PNG@2x" pictures while keeping logical sizes.

#include "controls/timage.h"
#include "controls/zrunbutton.h"
#include "support/resourcelibrary.h"
#include "support/utilsresource.h"

#include <QApplication>
#include <QFile>
#include <QMimeDatabase>
#include <QMovie>
#include <QTemporaryDir>
#include <QTest>
#include <initializer_list>
#include <memory>
#include <utility>

namespace {

// Numbers of the PNG pictures the windows use, by ranges.
const std::initializer_list<std::pair<std::uint32_t, std::uint32_t>> kPngRanges = {
    {20003, 20005}, {20015, 20015}, {20017, 20017}, {20028, 20030}, {20062, 20067},
    {20076, 20076}, {20131, 20136}, {20143, 20146}, {20153, 20154}, {20171, 20176},
    {20187, 20189}, {21010, 21018}, {21037, 21047}};

constexpr std::uint32_t kMissing = 29999;

QImage Solid(const QSize& size, QColor colour) {
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(colour);
    return image;
}

QImage IconImage(const QIcon& icon) {
    return icon.pixmap(QSize(48, 48)).toImage();
}

QImage DesktopImage(const QString& fileName) {
    const QMimeType type = QMimeDatabase().mimeTypeForFile(fileName, QMimeDatabase::MatchExtension);
    QIcon icon = QIcon::fromTheme(type.iconName());
    if (icon.isNull())
        icon = QIcon::fromTheme(type.genericIconName());
    return icon.isNull() ? QImage() : IconImage(icon);
}

} // namespace

class TestPictures : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();

    void pngNumbersDecode_data();
    void pngNumbersDecode();
    void otherTypesDecode_data();
    void otherTypesDecode();
    void missingPicturesGiveNothing_data();
    void missingPicturesGiveNothing();

    void showPngUsesTheDoubleSizePicture();
    void showPngMissingLeavesTheControlUnchanged_data();
    void showPngMissingLeavesTheControlUnchanged();
    void showGifAnimatesOrShowsTheFirstFrame_data();
    void showGifAnimatesOrShowsTheFirstFrame();

    void skinListKeepsIndexesPastAMissingFace();
    void skinListTakesItsSizeFromTheFirstFace();

    void iconForFile_data();
    void iconForFile();
    void iconFileIsReadOnlyWithLowerCaseExtension();
    void iconForFileWithoutThemeIsNeverNull();

private:
    std::unique_ptr<ResourceLibrary> m_library;
    void* Library() const { return m_library->Handle(); }
};

void TestPictures::initTestCase() {
    QCOMPARE(qApp->devicePixelRatio(), 2.0);
    m_library = std::make_unique<ResourceLibrary>();
    QVERIFY2(Library(), qPrintable(ResourceLibrary::DefaultPath()));
    // The desktop lookup needs a theme; offscreen platforms name none.
    QIcon::setThemeSearchPaths({QStringLiteral("/usr/share/icons")});
    QIcon::setThemeName(QStringLiteral("Adwaita"));
}

void TestPictures::pngNumbersDecode_data() {
    QTest::addColumn<std::uint32_t>("number");
    for (const auto& [first, last] : kPngRanges)
        for (std::uint32_t n = first; n <= last; ++n)
            QTest::addRow("PNG %u", n) << n;
}

void TestPictures::pngNumbersDecode() {
    QFETCH(std::uint32_t, number);
    const QImage single = LoadPngResource(Library(), number);
    QVERIFY(!single.isNull());
    QVERIFY(single.hasAlphaChannel());
    const QImage doubled = LoadPngResource(Library(), number, u"PNG@2x");
    QCOMPARE(doubled.size(), single.size() * 2);

    const QImage forScreen = LoadPngResourceForScreen(Library(), number);
    QCOMPARE(forScreen.devicePixelRatio(), 2.0);
    QCOMPARE(forScreen.deviceIndependentSize(), QSizeF(single.size()));
}

void TestPictures::otherTypesDecode_data() {
    QTest::addColumn<QString>("type");
    QTest::addColumn<std::uint32_t>("number");
    QTest::newRow("GIF 22002 waiting animation") << QStringLiteral("GIF") << 22002u;
    QTest::newRow("ICON 131 window icon") << QStringLiteral("ICON") << 131u;
    QTest::newRow("BITMAP 20074 ascending") << QStringLiteral("BITMAP") << 20074u;
    QTest::newRow("BITMAP 20075 descending") << QStringLiteral("BITMAP") << 20075u;
}

void TestPictures::otherTypesDecode() {
    QFETCH(QString, type);
    QFETCH(std::uint32_t, number);
    if (type == QLatin1String("GIF")) {
        const std::unique_ptr<QMovie> movie = LoadGifResource(Library(), number);
        QVERIFY(movie);
        QVERIFY(movie->frameCount() > 1);
        QVERIFY(!movie->currentImage().isNull());
    } else if (type == QLatin1String("ICON")) {
        const QIcon icon = LoadIconResource(Library(), number);
        QVERIFY(!icon.isNull());
        QVERIFY(icon.availableSizes().contains(QSize(16, 16)));
        QVERIFY(icon.availableSizes().contains(QSize(48, 48)));
    } else {
        const QPixmap bitmap = LoadBitmapResource(Library(), number);
        QVERIFY(!bitmap.isNull());
    }
}

void TestPictures::missingPicturesGiveNothing_data() {
    QTest::addColumn<bool>("withLibrary");
    QTest::newRow("number not in the library") << true;
    QTest::newRow("no library") << false;
}

void TestPictures::missingPicturesGiveNothing() {
    QFETCH(bool, withLibrary);
    void* library = withLibrary ? Library() : nullptr;
    const std::uint32_t png = withLibrary ? kMissing : 20015;
    QVERIFY(LoadPngResource(library, png).isNull());
    QVERIFY(LoadPngResourceForScreen(library, png).isNull());
    QVERIFY(!LoadGifResource(library, withLibrary ? kMissing : 22002));
    QVERIFY(LoadIconResource(library, withLibrary ? kMissing : 131).isNull());
    QVERIFY(LoadBitmapResource(library, withLibrary ? kMissing : 20074).isNull());
    // A number of another type is not found under this one.
    if (withLibrary)
        QVERIFY(LoadPngResource(library, 22002).isNull());
}

void TestPictures::showPngUsesTheDoubleSizePicture() {
    TImage image;
    QVERIFY(ShowPngResource(&image, Library(), 20015));
    QCOMPARE(image.PictureSize(), QSize(45, 45));
    QCOMPARE(image.CurrentPicture().size(), QSize(90, 90));
    QImage doubled = LoadPngResource(Library(), 20015, u"PNG@2x");
    doubled.setDevicePixelRatio(2.0);
    QCOMPARE(image.CurrentPicture(), doubled);
}

void TestPictures::showPngMissingLeavesTheControlUnchanged_data() {
    QTest::addColumn<bool>("hadPicture");
    QTest::newRow("control with a picture") << true;
    QTest::newRow("empty control") << false;
}

void TestPictures::showPngMissingLeavesTheControlUnchanged() {
    QFETCH(bool, hadPicture);
    TImage image;
    const QImage before = hadPicture ? Solid(QSize(7, 5), Qt::red) : QImage();
    if (hadPicture)
        image.SetPicture(before);
    QVERIFY(!ShowPngResource(&image, Library(), kMissing));
    QVERIFY(!ShowPngResource(&image, nullptr, 20015));
    QVERIFY(!ShowGifResource(&image, Library(), kMissing, true));
    QVERIFY(!ShowPngResource(nullptr, Library(), 20015));
    QCOMPARE(image.HasPicture(), hadPicture);
    QCOMPARE(image.CurrentPicture(), before);
}

void TestPictures::showGifAnimatesOrShowsTheFirstFrame_data() {
    QTest::addColumn<bool>("animate");
    QTest::newRow("animated") << true;
    QTest::newRow("still") << false;
}

void TestPictures::showGifAnimatesOrShowsTheFirstFrame() {
    QFETCH(bool, animate);
    QWidget window;
    auto* image = new TImage(&window);
    image->SetAutoSize(true);
    QVERIFY(ShowGifResource(image, Library(), 22002, animate));
    QCOMPARE(image->IsAnimated(), animate);
    QCOMPARE(image->size(), QSize(134, 105));
    if (!animate) {
        QCOMPARE(image->CurrentPicture(), LoadGifResource(Library(), 22002)->currentImage());
        return;
    }
    QCOMPARE(image->Movie()->speed(), kAnimationSpeedPercent);
    // It plays while shown, and only then.
    QCOMPARE(image->Movie()->state(), QMovie::NotRunning);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(image->Movie()->state(), QMovie::Running);
    const int firstFrame = image->Movie()->currentFrameNumber();
    QTRY_VERIFY(image->Movie()->currentFrameNumber() != firstFrame);
    window.hide();
    QCOMPARE(image->Movie()->state(), QMovie::Paused);
}

void TestPictures::skinListKeepsIndexesPastAMissingFace() {
    TZRUNSkinList list;
    list.SetSize(24, 15);
    AddPngToSkinList(list, Library(), 20029);
    AddPngToSkinList(list, Library(), kMissing);
    AddPngToSkinList(list, Library(), 20028);
    QCOMPARE(list.Count(), 3);
    QVERIFY(!list.IsBlank(0));
    QVERIFY(list.IsBlank(1));
    QCOMPARE(list.Face(1).size(), QSize(24, 15));
    QCOMPARE(list.Face(1).pixelColor(12, 7).alpha(), 0);
    QCOMPARE(list.Face(2), LoadPngResourceForScreen(Library(), 20028));
    QCOMPARE(list.Face(2).deviceIndependentSize(), QSizeF(24, 15));

    // The button draws its normal face for a state whose face is missing.
    TZRUNButton button;
    button.resize(24, 15);
    button.SetSkinImageIndex(TZRUNButton::StateDisabled, 1);
    button.SkinList() = list;
    button.setEnabled(false);
    QCOMPARE(button.CurrentFaceIndex(), 0);
}

void TestPictures::skinListTakesItsSizeFromTheFirstFace() {
    TZRUNSkinList list;
    AddPngToSkinList(list, Library(), kMissing);
    AddPngToSkinList(list, Library(), 20143);
    AddPngToSkinList(list, Library(), kMissing);
    QCOMPARE(list.Width(), 40);
    QCOMPARE(list.Height(), 19);
    QVERIFY(list.Face(0).isNull());
    QCOMPARE(list.Face(2).size(), QSize(40, 19));
    QVERIFY(list.IsBlank(2));
}

void TestPictures::iconForFile_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("desktopName");
    QTest::newRow("empty path has no icon") << QString() << QString();
    QTest::newRow("capital ICO goes to the desktop")
        << QStringLiteral("C:\\x\\a.ICO") << QStringLiteral("a.ICO");
    QTest::newRow("missing icon file falls back to the desktop")
        << QStringLiteral("C:\\x\\gone.ico") << QStringLiteral("gone.ico");
    QTest::newRow("executable without its own icon")
        << QStringLiteral("C:\\Windows\\notepad.exe") << QStringLiteral("notepad.exe");
    QTest::newRow("archive by name only")
        << QStringLiteral("D:\\descargas\\arc.zip") << QStringLiteral("arc.zip");
    QTest::newRow("unix path") << QStringLiteral("/tmp/nothing/setup.sh") << QStringLiteral("setup.sh");
    QTest::newRow("unknown extension") << QStringLiteral("C:\\a\\b.zzqq") << QStringLiteral("b.zzqq");
    QTest::newRow("no extension") << QStringLiteral("C:\\a\\README") << QStringLiteral("README");
}

void TestPictures::iconForFile() {
    QFETCH(QString, path);
    QFETCH(QString, desktopName);
    const QIcon icon = IconForFile(path);
    if (path.isEmpty()) {
        QVERIFY(icon.isNull());
        return;
    }
    QVERIFY(!icon.isNull());
    const QImage expected = DesktopImage(desktopName);
    if (!expected.isNull())
        QCOMPARE(IconImage(icon), expected);
}

void TestPictures::iconFileIsReadOnlyWithLowerCaseExtension() {
    // The library's icon bytes are an ICO file: write them out under both spellings.
    using Find = int32_t (*)(const char16_t*, uint32_t, const void**, uint32_t*);
    auto find = reinterpret_cast<Find>(dlsym(Library(), "ZRUN_FindResource"));
    QVERIFY(find);
    const void* data = nullptr;
    uint32_t size = 0;
    QVERIFY(find(u"ICON", 131, &data, &size));
    const QByteArray bytes(static_cast<const char*>(data), static_cast<qsizetype>(size));
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString lower = folder.filePath(QStringLiteral("product.ico"));
    const QString upper = folder.filePath(QStringLiteral("PRODUCT.ICO"));
    for (const QString& path : {lower, upper}) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    const QImage own = IconImage(IconForFile(lower));
    QCOMPARE(own, IconImage(LoadIconResource(Library(), 131)));
    const QImage desktop = IconImage(IconForFile(upper));
    QVERIFY(desktop != own);
    QCOMPARE(desktop, DesktopImage(QStringLiteral("PRODUCT.ICO")));
}

void TestPictures::iconForFileWithoutThemeIsNeverNull() {
    const QString theme = QIcon::themeName();
    QIcon::setThemeName(QString());
    const QIcon icon = IconForFile(QStringLiteral("C:\\x\\report.pdf"));
    QIcon::setThemeName(theme);
    QVERIFY(!icon.isNull());
    QVERIFY(!IconImage(icon).isNull());
}

int main(int argc, char** argv) {
    // A double-density screen for every test of this executable (see the top of the file).
    qputenv("QT_SCALE_FACTOR", "2");
    QApplication app(argc, argv);
    TestPictures test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_pictures.moc"
