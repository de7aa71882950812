// The control package: the skinned button's faces, stretching, keys and modal results, and the
// window frame's pieces, rectangle and resizing edges.

#include "controls/zrunborder.h"
#include "controls/zrunbutton.h"
#include "support/resourcelibrary.h"
#include "support/utilsresource.h"

#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <memory>

namespace {

const QColor kFaceColours[4] = {QColor(0x20, 0x40, 0xC0), QColor(0x30, 0xA0, 0x30), QColor(0xC0, 0x30, 0x30),
                                QColor(0x70, 0x70, 0x70)};

QImage Solid(const QSize& size, QColor colour) {
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(colour);
    return image;
}

// A 40 x 19 face whose every column outside the middle differs from the others, with a middle
// of identical columns, as the product's faces are drawn.
QImage PatternedFace() {
    QImage face(40, 19, QImage::Format_ARGB32_Premultiplied);
    for (int x = 0; x < 40; ++x) {
        for (int y = 0; y < 19; ++y) {
            const bool middle = x >= 10 && x < 30;
            const int shade = middle ? 128 : 6 * x;
            face.setPixelColor(x, y, QColor(shade, (y * 13) % 256, middle ? 200 : 40));
        }
    }
    return face;
}

QColor CentreColour(QWidget* widget) {
    return widget->grab().toImage().pixelColor(widget->width() / 2, widget->height() / 2);
}

// A window holding one skinned button with four solid faces.
struct ButtonWindow {
    QWidget window;
    TZRUNButton* button = nullptr;

    ButtonWindow() {
        window.resize(200, 100);
        button = new TZRUNButton(&window);
        button->setGeometry(50, 40, 100, 19);
        for (const QColor& colour : kFaceColours)
            button->SkinList().Add(Solid(QSize(40, 19), colour));
        window.show();
    }
    QPoint Centre() const { return button->geometry().center(); }
};

QImage Composited(const QImage& piece, const QColor& background) {
    QImage out(piece.size(), QImage::Format_ARGB32_Premultiplied);
    out.fill(background);
    QPainter painter(&out);
    painter.drawImage(0, 0, piece);
    return out;
}

constexpr std::array<std::uint32_t, 8> kWindowFrame{21014, 21016, 21015, 21017, 21018, 21010, 21011, 21013};

} // namespace

class TestControls : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();

    void buttonFacePerState_data();
    void buttonFacePerState();
    void buttonStateWithoutItsFaceShowsTheNormalFace();
    void buttonWithoutFacesDrawsAFlatButton();
    void buttonFallbackCaptionOnlyWithoutFaces_data();
    void buttonFallbackCaptionOnlyWithoutFaces();
    void buttonStretchKeepsCorners_data();
    void buttonStretchKeepsCorners();
    void buttonMouseSignals();
    void buttonModalResultEndsItsDialog_data();
    void buttonModalResultEndsItsDialog();
    void buttonDefaultAndCancelKeys_data();
    void buttonDefaultAndCancelKeys();

    void borderPiecesAtTheEdges_data();
    void borderPiecesAtTheEdges();
    void borderWithoutPicturesDrawsNothing();
    void borderRectIsTheWindowOnScreen();
    void borderFollowsItsWindowAndStaysOnTop();
    void borderResizableEdgesResize_data();
    void borderResizableEdgesResize();
    void borderLetsTheMouseThrough_data();
    void borderLetsTheMouseThrough();
    void roundedRegionCutsTheCorners();

private:
    std::unique_ptr<ResourceLibrary> m_library;
};

void TestControls::initTestCase() {
    m_library = std::make_unique<ResourceLibrary>();
    QVERIFY2(m_library->Handle(), qPrintable(ResourceLibrary::DefaultPath()));
}

void TestControls::buttonFacePerState_data() {
    QTest::addColumn<QString>("state");
    QTest::addColumn<int>("disabledIndex");
    QTest::addColumn<int>("face");
    QTest::newRow("normal") << QStringLiteral("normal") << 3 << 0;
    QTest::newRow("pointer over") << QStringLiteral("over") << 3 << 1;
    QTest::newRow("pressed") << QStringLiteral("pressed") << 3 << 2;
    QTest::newRow("disabled, face 3") << QStringLiteral("disabled") << 3 << 3;
    QTest::newRow("disabled, face 2 as the windows set it") << QStringLiteral("disabled") << 2 << 2;
    QTest::newRow("pointer left again") << QStringLiteral("left") << 3 << 0;
}

void TestControls::buttonFacePerState() {
    QFETCH(QString, state);
    QFETCH(int, disabledIndex);
    QFETCH(int, face);
    ButtonWindow w;
    w.button->SetDisabledSkinImageIndex(disabledIndex);
    QVERIFY(QTest::qWaitForWindowExposed(&w.window));
    QWindow* handle = w.window.windowHandle();
    if (state == QLatin1String("over") || state == QLatin1String("left")) {
        QTest::mouseMove(handle, QPoint(5, 5));
        QTest::mouseMove(handle, w.Centre());
        QTRY_VERIFY(w.button->underMouse());
        if (state == QLatin1String("left")) {
            QSignalSpy left(w.button, &TZRUNButton::MouseLeave);
            QTest::mouseMove(handle, QPoint(5, 5));
            QTRY_COMPARE(left.count(), 1);
        }
    } else if (state == QLatin1String("pressed")) {
        QTest::mousePress(handle, Qt::LeftButton, {}, w.Centre());
    } else if (state == QLatin1String("disabled")) {
        w.button->setEnabled(false);
    }
    QCOMPARE(w.button->CurrentFaceIndex(), face);
    QCOMPARE(CentreColour(w.button), kFaceColours[face]);
    if (state == QLatin1String("pressed"))
        QTest::mouseRelease(handle, Qt::LeftButton, {}, w.Centre());
}

void TestControls::buttonStateWithoutItsFaceShowsTheNormalFace() {
    TZRUNButton button;
    button.resize(40, 19);
    button.SkinList().Add(Solid(QSize(40, 19), kFaceColours[0]));
    button.SkinList().AddBlank();
    button.SkinList().Add(Solid(QSize(40, 19), kFaceColours[2]));
    button.SetOverSkinImageIndex(1);
    button.setDown(true);
    QCOMPARE(CentreColour(&button), kFaceColours[2]);
    button.setDown(false);
    button.setEnabled(false); // face 3 does not exist
    QCOMPARE(button.CurrentFaceIndex(), 0);
    QCOMPARE(CentreColour(&button), kFaceColours[0]);
}

void TestControls::buttonWithoutFacesDrawsAFlatButton() {
    QWidget window;
    window.setAutoFillBackground(true);
    QPalette palette;
    palette.setColor(QPalette::Window, Qt::green);
    window.setPalette(palette);
    window.resize(120, 40);
    auto* button = new TZRUNButton(&window);
    button->setGeometry(10, 10, 97, 19);
    // Missing pictures leave blank faces behind.
    for (int i = 0; i < 3; ++i)
        AddPngToSkinList(button->SkinList(), nullptr, 20143);
    QCOMPARE(button->CurrentFaceIndex(), -1);
    const QImage shot = window.grab().toImage();
    const QColor centre = shot.pixelColor(button->geometry().center());
    QCOMPARE(centre.alpha(), 255);
    QVERIFY(qAbs(centre.red() - centre.green()) < 8 && qAbs(centre.green() - centre.blue()) < 8);
    QVERIFY(centre.value() > 0x40 && centre.value() < 0xA0);
    // Rounded: the very corner still shows the window behind it.
    QCOMPARE(shot.pixelColor(button->geometry().topLeft()), QColor(Qt::green));
}

void TestControls::buttonFallbackCaptionOnlyWithoutFaces_data() {
    QTest::addColumn<bool>("withFace");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<bool>("glyphDrawn");
    QTest::newRow("no face, no caption: the glyph") << false << QString() << true;
    QTest::newRow("a face: no glyph") << true << QString() << false;
    QTest::newRow("a caption: no glyph") << false << QStringLiteral("OK") << false;
}

void TestControls::buttonFallbackCaptionOnlyWithoutFaces() {
    QFETCH(bool, withFace);
    QFETCH(QString, caption);
    QFETCH(bool, glyphDrawn);
    auto shot = [&](const QString& fallback) {
        TZRUNButton button;
        button.resize(24, 15);
        button.SkinList().SetSize(24, 15);
        if (withFace)
            button.SkinList().Add(Solid(QSize(24, 15), kFaceColours[0]));
        else
            button.SkinList().AddBlank();
        button.SetCaption(caption);
        button.SetFallbackCaption(fallback);
        return button.grab().toImage();
    };
    QCOMPARE(shot(QStringLiteral("\u00D7")) != shot(QString()), glyphDrawn);
}

void TestControls::buttonStretchKeepsCorners_data() {
    QTest::addColumn<QSize>("size");
    QTest::newRow("face size") << QSize(40, 19);
    QTest::newRow("wider") << QSize(163, 19);
    QTest::newRow("much wider") << QSize(400, 19);
    QTest::newRow("narrower than the face") << QSize(27, 19);
    QTest::newRow("taller: margins become half the face height") << QSize(120, 33);
}

void TestControls::buttonStretchKeepsCorners() {
    QFETCH(QSize, size);
    const QImage face = PatternedFace();
    TZRUNButton button;
    button.SetStrechSkin(true);
    button.SetStretchMargin(10);
    button.SkinList().Add(face);
    button.resize(size);
    const QImage shot = button.grab().toImage();
    const int w = size.width();
    const int h = size.height();
    const int mx = std::min(10, w / 2);
    const int my = std::min(10, 19 / 2);
    // Every pixel of each corner block comes from the face's own corner, unscaled.
    for (int y = 0; y < my; ++y) {
        for (int x = 0; x < mx; ++x) {
            QCOMPARE(shot.pixelColor(x, y), face.pixelColor(x, y));
            QCOMPARE(shot.pixelColor(w - 1 - x, y), face.pixelColor(39 - x, y));
            QCOMPARE(shot.pixelColor(x, h - 1 - y), face.pixelColor(x, 18 - y));
            QCOMPARE(shot.pixelColor(w - 1 - x, h - 1 - y), face.pixelColor(39 - x, 18 - y));
        }
    }
    // The stretched middle repeats the face's middle column.
    if (w > 2 * mx)
        QCOMPARE(shot.pixelColor(w / 2, 0), face.pixelColor(20, 0));
}

void TestControls::buttonMouseSignals() {
    ButtonWindow w;
    QVERIFY(QTest::qWaitForWindowExposed(&w.window));
    QStringList order;
    connect(w.button, &TZRUNButton::MouseDown, this, [&] { order << QStringLiteral("down"); });
    connect(w.button, &TZRUNButton::MouseUp, this, [&] { order << QStringLiteral("up"); });
    connect(w.button, &QAbstractButton::clicked, this, [&] { order << QStringLiteral("click"); });
    QTest::mouseClick(w.window.windowHandle(), Qt::LeftButton, {}, w.Centre());
    QCOMPARE(order, (QStringList{QStringLiteral("down"), QStringLiteral("up"), QStringLiteral("click")}));
    QCOMPARE(w.button->cursor().shape(), Qt::PointingHandCursor);
}

void TestControls::buttonModalResultEndsItsDialog_data() {
    QTest::addColumn<int>("modalResult");
    QTest::addColumn<int>("expected");
    QTest::newRow("result 1 ends the dialog with 1") << 1 << 1;
    QTest::newRow("result 7 ends the dialog with 7") << 7 << 7;
    QTest::newRow("result 0 leaves the dialog open") << 0 << -1;
}

void TestControls::buttonModalResultEndsItsDialog() {
    QFETCH(int, modalResult);
    QFETCH(int, expected);
    QDialog dialog;
    dialog.resize(200, 80);
    auto* button = new TZRUNButton(&dialog);
    button->setGeometry(20, 20, 97, 19);
    button->SetModalResult(modalResult);
    bool stillOpen = false;
    QTimer::singleShot(0, &dialog, [&] {
        QTest::mouseClick(dialog.windowHandle(), Qt::LeftButton, {}, button->geometry().center());
        stillOpen = dialog.isVisible();
        if (stillOpen)
            dialog.done(-1);
    });
    QCOMPARE(dialog.exec(), expected);
    QCOMPARE(stillOpen, modalResult == 0);
}

void TestControls::buttonDefaultAndCancelKeys_data() {
    QTest::addColumn<QString>("focus");
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("clicked");
    QTest::newRow("enter in an edit answers the default button")
        << QStringLiteral("edit") << int(Qt::Key_Return) << QStringLiteral("ok");
    QTest::newRow("keypad enter answers the default button")
        << QStringLiteral("edit") << int(Qt::Key_Enter) << QStringLiteral("ok");
    QTest::newRow("escape answers the cancel button")
        << QStringLiteral("edit") << int(Qt::Key_Escape) << QStringLiteral("cancel");
    QTest::newRow("enter on the focused cancel button answers it")
        << QStringLiteral("cancel") << int(Qt::Key_Return) << QStringLiteral("cancel");
    QTest::newRow("escape with the default button focused still cancels")
        << QStringLiteral("ok") << int(Qt::Key_Escape) << QStringLiteral("cancel");
    QTest::newRow("a hidden default button does not answer")
        << QStringLiteral("hidden") << int(Qt::Key_Return) << QString();
}

void TestControls::buttonDefaultAndCancelKeys() {
    QFETCH(QString, focus);
    QFETCH(int, key);
    QFETCH(QString, clicked);
    QDialog dialog;
    dialog.resize(300, 100);
    auto* edit = new QLineEdit(&dialog);
    edit->setGeometry(10, 10, 200, 22);
    auto* ok = new TZRUNButton(&dialog);
    ok->setGeometry(10, 50, 97, 19);
    ok->SetDefault(true);
    auto* cancel = new TZRUNButton(&dialog);
    cancel->setGeometry(120, 50, 90, 19);
    cancel->SetCancel(true);
    if (focus == QLatin1String("hidden")) {
        ok->hide();
        cancel->SetCancel(false);
    }
    QSignalSpy okClicks(ok, &QAbstractButton::clicked);
    QSignalSpy cancelClicks(cancel, &QAbstractButton::clicked);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QWidget* target = edit;
    if (focus == QLatin1String("cancel"))
        target = cancel;
    else if (focus == QLatin1String("ok"))
        target = ok;
    target->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), target);
    QTest::keyClick(dialog.windowHandle(), Qt::Key(key));
    QCOMPARE(okClicks.count(), clicked == QLatin1String("ok") ? 1 : 0);
    QCOMPARE(cancelClicks.count(), clicked == QLatin1String("cancel") ? 1 : 0);
}

void TestControls::borderPiecesAtTheEdges_data() {
    QTest::addColumn<int>("piece");
    QTest::addColumn<QRect>("rect");
    // A 200 x 120 window with the product's frame: 6 x 6 corners, 6 px thick edges.
    QTest::newRow("top-left corner") << int(TZRUNBorder::TopLeft) << QRect(0, 0, 6, 6);
    QTest::newRow("top edge") << int(TZRUNBorder::Top) << QRect(6, 0, 188, 6);
    QTest::newRow("top-right corner") << int(TZRUNBorder::TopRight) << QRect(194, 0, 6, 6);
    QTest::newRow("right edge") << int(TZRUNBorder::Right) << QRect(194, 6, 6, 108);
    QTest::newRow("bottom-right corner") << int(TZRUNBorder::BottomRight) << QRect(194, 114, 6, 6);
    QTest::newRow("bottom edge") << int(TZRUNBorder::Bottom) << QRect(6, 114, 188, 6);
    QTest::newRow("bottom-left corner") << int(TZRUNBorder::BottomLeft) << QRect(0, 114, 6, 6);
    QTest::newRow("left edge") << int(TZRUNBorder::Left) << QRect(0, 6, 6, 108);
}

void TestControls::borderPiecesAtTheEdges() {
    QFETCH(int, piece);
    QFETCH(QRect, rect);
    QWidget window;
    window.setAutoFillBackground(true);
    QPalette palette;
    palette.setColor(QPalette::Window, Qt::green);
    window.setPalette(palette);
    window.resize(200, 120);
    auto* border = new TZRUNBorder(&window);
    border->SetResources(m_library->Handle(), kWindowFrame, u"PNG");
    const auto which = static_cast<TZRUNBorder::Piece>(piece);
    QCOMPARE(border->PieceRect(which), rect);

    const QImage picture = LoadPngResource(m_library->Handle(), kWindowFrame[std::size_t(piece)]);
    const QImage expected = Composited(picture, Qt::green);
    const QImage shot = window.grab().toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
    // Corners are drawn as they are; edges repeat the picture's first row or column.
    for (int y = 0; y < rect.height(); ++y) {
        for (int x = 0; x < rect.width(); ++x) {
            const int px = rect.width() == picture.width() ? x : 0;
            const int py = rect.height() == picture.height() ? y : 0;
            QCOMPARE(shot.pixelColor(rect.x() + x, rect.y() + y), expected.pixelColor(px, py));
        }
    }
    // Inside the frame the window shows untouched.
    QCOMPARE(shot.pixelColor(100, 60), QColor(Qt::green));
}

void TestControls::borderWithoutPicturesDrawsNothing() {
    QWidget window;
    window.setAutoFillBackground(true);
    QPalette palette;
    palette.setColor(QPalette::Window, Qt::green);
    window.setPalette(palette);
    window.resize(100, 60);
    auto* border = new TZRUNBorder(&window);
    border->SetResources(nullptr, kWindowFrame, u"PNG");
    QVERIFY(!border->HasPictures());
    QImage expected(window.size(), QImage::Format_RGB32);
    expected.fill(Qt::green);
    QCOMPARE(window.grab().toImage().convertToFormat(QImage::Format_RGB32), expected);
}

void TestControls::borderRectIsTheWindowOnScreen() {
    QWidget window;
    window.setWindowFlags(Qt::FramelessWindowHint);
    window.setGeometry(50, 40, 230, 110);
    auto* border = new TZRUNBorder(&window);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QRect rect;
    border->GetRect(rect);
    QCOMPARE(rect, QRect(50, 40, 230, 110));
}

void TestControls::borderFollowsItsWindowAndStaysOnTop() {
    QWidget window;
    window.resize(100, 60);
    auto* border = new TZRUNBorder(&window);
    auto* later = new QWidget(&window);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(border->geometry(), QRect(0, 0, 100, 60));
    window.resize(180, 90);
    QTRY_COMPARE(border->geometry(), QRect(0, 0, 180, 90));
    // Created after the frame, yet below it.
    QCOMPARE(window.children().last(), border);
    QCOMPARE(window.childAt(1, 1), later);
}

void TestControls::borderResizableEdgesResize_data() {
    QTest::addColumn<QPoint>("press");
    QTest::addColumn<QPoint>("move");
    QTest::addColumn<QRect>("expected");
    // The window starts at 100,100, 300 x 200.
    QTest::newRow("right edge") << QPoint(298, 100) << QPoint(-40, 0) << QRect(100, 100, 260, 200);
    QTest::newRow("bottom edge") << QPoint(150, 199) << QPoint(0, -25) << QRect(100, 100, 300, 175);
    QTest::newRow("left edge") << QPoint(1, 100) << QPoint(30, 0) << QRect(130, 100, 270, 200);
    QTest::newRow("top edge") << QPoint(150, 0) << QPoint(0, 20) << QRect(100, 120, 300, 180);
    QTest::newRow("bottom-left corner") << QPoint(0, 199) << QPoint(20, -10) << QRect(120, 100, 280, 190);
    QTest::newRow("bottom-right corner") << QPoint(299, 199) << QPoint(-20, -10) << QRect(100, 100, 280, 190);
    QTest::newRow("not below the minimum size")
        << QPoint(298, 100) << QPoint(-250, 0) << QRect(100, 100, 120, 200);
}

void TestControls::borderResizableEdgesResize() {
    QFETCH(QPoint, press);
    QFETCH(QPoint, move);
    QFETCH(QRect, expected);
    QWidget window;
    window.setWindowFlags(Qt::FramelessWindowHint);
    window.setMinimumSize(120, 80);
    window.setGeometry(100, 100, 300, 200);
    auto* border = new TZRUNBorder(&window);
    border->SetResources(m_library->Handle(), kWindowFrame, u"PNG");
    border->SetResizable(true);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QWindow* handle = window.windowHandle();
    // The pointer ends at one place on the screen, wherever the window has gone meanwhile.
    const QPoint end = handle->mapToGlobal(press + move);
    QTest::mousePress(handle, Qt::LeftButton, {}, press);
    QTest::mouseMove(handle, handle->mapFromGlobal(end));
    QTRY_COMPARE(window.geometry(), expected);
    QTest::mouseRelease(handle, Qt::LeftButton, {}, handle->mapFromGlobal(end));
    QCOMPARE(window.geometry(), expected);
}

void TestControls::borderLetsTheMouseThrough_data() {
    QTest::addColumn<bool>("resizable");
    QTest::addColumn<QPoint>("click");
    QTest::addColumn<bool>("reachesControl");
    QTest::newRow("inside, resizable frame") << true << QPoint(150, 100) << true;
    QTest::newRow("on the edge, fixed frame") << false << QPoint(2, 100) << true;
    QTest::newRow("on the edge, resizable frame") << true << QPoint(2, 100) << false;
}

void TestControls::borderLetsTheMouseThrough() {
    QFETCH(bool, resizable);
    QFETCH(QPoint, click);
    QFETCH(bool, reachesControl);
    QWidget window;
    window.setWindowFlags(Qt::FramelessWindowHint);
    window.setGeometry(100, 100, 300, 200);
    auto* control = new QPushButton(&window);
    control->setGeometry(window.rect());
    auto* border = new TZRUNBorder(&window);
    border->SetResources(m_library->Handle(), kWindowFrame, u"PNG");
    border->SetResizable(resizable);
    QSignalSpy clicks(control, &QPushButton::clicked);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QTest::mouseClick(window.windowHandle(), Qt::LeftButton, {}, click);
    QCOMPARE(clicks.count(), reachesControl ? 1 : 0);
    QCOMPARE(window.geometry(), QRect(100, 100, 300, 200));
}

void TestControls::roundedRegionCutsTheCorners() {
    const QRegion region = TZRUNBorder::RoundedWindowRegion(QSize(100, 50), TZRUNBorder::kFrameCornerRadius);
    for (const QPoint& outside : {QPoint(0, 0), QPoint(2, 0), QPoint(0, 2), QPoint(1, 1), QPoint(99, 0),
                                  QPoint(0, 49), QPoint(99, 49), QPoint(97, 49)})
        QVERIFY2(!region.contains(outside),
                 qPrintable(QStringLiteral("%1,%2").arg(outside.x()).arg(outside.y())));
    for (const QPoint& inside : {QPoint(3, 0), QPoint(0, 3), QPoint(96, 0), QPoint(99, 46), QPoint(50, 0),
                                 QPoint(0, 25), QPoint(50, 25), QPoint(2, 2)})
        QVERIFY2(region.contains(inside),
                 qPrintable(QStringLiteral("%1,%2").arg(inside.x()).arg(inside.y())));
}

QTEST_MAIN(TestControls)
#include "tst_controls.moc"
