// How the message window and the action confirmation paint when they first show, alone and
// owned by a window under a host's style sheets (as the console hosts the module), through
// their real modal loops.
//
// Headless, the controls' colours and the windows' own pictures are checked. Under a real X
// server (CTest runs this without a window manager and under openbox) the screen itself is read:
// the first picture of the window there has the window's colour rather than black, white text,
// and the rounded corners showing the desktop behind.

#include "forms/suspectsactionform/suspectsactionform.h"
#include "forms/uformmessage/uformmessage.h"
#include "support/resourcelibrary.h"

#include <QApplication>
#include <QLabel>
#include <QPainter>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <functional>
#include <memory>

namespace {

const QColor kDesktop(0x1E, 0x8C, 0x46); // a colour no dialog uses
const QColor kMessageColour(0x49, 0x48, 0x48);
const QColor kConfirmationColour(0x4C, 0x4B, 0x4B);

bool NearWhite(QRgb pixel) {
    return qRed(pixel) > 0xE0 && qGreen(pixel) > 0xE0 && qBlue(pixel) > 0xE0;
}

int CountPixels(const QImage& image, const QRect& area, const std::function<bool(QRgb)>& wanted) {
    int count = 0;
    const QRect inside = area.intersected(image.rect());
    for (int y = inside.top(); y <= inside.bottom(); ++y)
        for (int x = inside.left(); x <= inside.right(); ++x)
            if (wanted(image.pixel(x, y)))
                ++count;
    return count;
}

// The desktop behind the dialogs, in one colour so that what is not the dialog is known.
class Desktop final : public QWidget {
public:
    Desktop() { setWindowFlags(Qt::FramelessWindowHint); }

protected:
    void paintEvent(QPaintEvent*) override { QPainter(this).fillRect(rect(), kDesktop); }
};

// A host window styled as the console styles its own: style sheets on the panels that hold the
// module, which Qt then applies to every window those panels own.
class StyledHost final : public QWidget {
public:
    StyledHost() {
        setObjectName(QStringLiteral("pnlConsole"));
        setStyleSheet(QStringLiteral("#pnlConsole { background-color: #2d2d2e; }"));
        panel = new QWidget(this);
        panel->setObjectName(QStringLiteral("pnlModuleHost"));
        panel->setStyleSheet(QStringLiteral("#pnlModuleHost { background-color: #4c4b4b; }"));
        panel->setGeometry(10, 10, 180, 100);
        setGeometry(20, 20, 200, 120);
    }
    QWidget* panel = nullptr;
};

// Runs look on the modal window once its loop is up, then closes it; a window still open five
// seconds later is ended, so that a failing test fails instead of hanging.
void RunLooking(QDialog* window, const std::function<void(QDialog*)>& look) {
    QObject context;
    QTimer::singleShot(0, &context, [look] {
        if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            look(dialog);
            dialog->done(2);
        }
    });
    QTimer::singleShot(5000, &context, [] {
        if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
            dialog->done(-99);
    });
    window->exec();
}

} // namespace

class TestDialogPaint : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();

    void controlsKeepTheirColours_data();
    void controlsKeepTheirColours();
    void firstPaintOnScreen_data();
    void firstPaintOnScreen();

private:
    void AddRows();
    std::unique_ptr<QDialog> MakeWindow(const QString& kind, QWidget* owner) const;

    std::unique_ptr<ResourceLibrary> m_library;
};

void TestDialogPaint::initTestCase() {
    m_library = std::make_unique<ResourceLibrary>();
    QVERIFY2(m_library->Handle(), qPrintable(ResourceLibrary::DefaultPath()));
}

void TestDialogPaint::AddRows() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("styledOwner");
    QTest::addColumn<QColor>("colour");
    QTest::newRow("message window") << QStringLiteral("message") << false << kMessageColour;
    QTest::newRow("confirmation without owner")
        << QStringLiteral("confirmation") << false << kConfirmationColour;
    QTest::newRow("confirmation owned under a host style sheet")
        << QStringLiteral("confirmation") << true << kConfirmationColour;
}

std::unique_ptr<QDialog> TestDialogPaint::MakeWindow(const QString& kind, QWidget* owner) const {
    if (kind == QLatin1String("message")) {
        auto window = std::make_unique<TFormMessage>(ResourceLibrary::DefaultPath());
        window->Fill(TFormMessage::kSingleButton, QStringLiteral("Ha ocurrido un error inesperado"),
                     QStringLiteral("Ha ocurrido un error inesperado con el Código 7"),
                     QStringLiteral("Si quieres ayudarnos a mejorar <A HREF=\"sendSugest\">envíanos una "
                                    "sugerencia</A>."),
                     QStringLiteral("Cerrar"), QString());
        return window;
    }
    auto window = std::make_unique<TSuspectsActionForm>(owner, m_library->Handle());
    window->SetTexts(QStringLiteral("No bloquear elemento"),
                     QStringLiteral("Vas a desbloquear el elemento:<BR />file.exe"),
                     QStringLiteral("<B>Norvik Software recomienda no desbloquear éste elemento</B>."),
                     QStringLiteral("¿Deseas ignorar la recomendación y continuar?"),
                     QStringLiteral("Sí, deseo continuar"), QStringLiteral("No"));
    window->CancelFirst();
    return window;
}

void TestDialogPaint::controlsKeepTheirColours_data() {
    AddRows();
}

void TestDialogPaint::controlsKeepTheirColours() {
    QFETCH(QString, kind);
    QFETCH(bool, styledOwner);
    QFETCH(QColor, colour);
    StyledHost host;
    const auto window = MakeWindow(kind, styledOwner ? host.panel : nullptr);
    bool looked = false;
    RunLooking(window.get(), [&](QDialog* dialog) {
        looked = true;
        QVERIFY(dialog->isVisible());
        const auto labels = dialog->findChildren<QLabel*>();
        QVERIFY(!labels.isEmpty());
        for (QLabel* label : labels)
            QVERIFY2(label->palette().color(label->foregroundRole()) == QColor(Qt::white),
                     qPrintable(label->objectName()));
        const QImage picture = dialog->grab().toImage();
        QCOMPARE(picture.pixelColor(dialog->width() - 30, dialog->height() - 20), colour);
        auto* caption = dialog->findChild<QLabel*>(QStringLiteral("lblCaption"));
        const QRect captionArea(caption->mapTo(dialog, QPoint(0, 0)), caption->size());
        QVERIFY(CountPixels(picture, captionArea, NearWhite) > 20);
    });
    QVERIFY(looked);
}

void TestDialogPaint::firstPaintOnScreen_data() {
    AddRows();
}

void TestDialogPaint::firstPaintOnScreen() {
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        QSKIP("reads the screen of a real X server (QT_QPA_PLATFORM=xcb)");
    QFETCH(QString, kind);
    QFETCH(bool, styledOwner);
    QFETCH(QColor, colour);

    Desktop desktop;
    desktop.setGeometry(QGuiApplication::primaryScreen()->geometry());
    desktop.show();
    QVERIFY(QTest::qWaitForWindowExposed(&desktop));
    StyledHost host;
    if (styledOwner) {
        host.show();
        QVERIFY(QTest::qWaitForWindowExposed(&host));
    }
    const auto window = MakeWindow(kind, styledOwner ? host.panel : nullptr);

    bool looked = false;
    RunLooking(window.get(), [&](QDialog* dialog) {
        looked = true;
        // Without a compositor, an alpha channel shows black wherever the window is clear.
        QVERIFY(!dialog->windowHandle()->format().hasAlpha());
        QVERIFY(QTest::qWaitForWindowExposed(dialog));
        // Qt reports the window exposed when it is mapped, which under a window manager can be a
        // moment before the manager maps its frame: the first picture judged is the first one in
        // which anything but the desktop shows where the window is.
        const QRect area = dialog->geometry();
        const QRect all(QPoint(0, 0), area.size());
        const int pixels = all.width() * all.height();
        QImage screen;
        const bool shown = QTest::qWaitFor(
            [&] {
                screen = dialog->screen()
                             ->grabWindow(0, area.x(), area.y(), area.width(), area.height())
                             .toImage();
                return CountPixels(screen, all, [](QRgb p) { return QColor(p) == kDesktop; }) < pixels;
            },
            5000);
        QVERIFY2(shown, "nothing showed where the window is");
        QCOMPARE(screen.size(), area.size());

        const int black = CountPixels(screen, all, [](QRgb p) { return (p & 0xFFFFFF) == 0; });
        const int own = CountPixels(screen, all, [&](QRgb p) { return QColor(p) == colour; });
        QVERIFY2(black < pixels / 20,
                 qPrintable(QStringLiteral("%1 of %2 pixels black").arg(black).arg(pixels)));
        QVERIFY2(own > pixels / 2,
                 qPrintable(QStringLiteral("%1 of %2 pixels of the window's colour").arg(own).arg(pixels)));

        // Rounded: the desktop shows in the cut corners, not inside.
        QCOMPARE(screen.pixelColor(0, 0), kDesktop);
        QCOMPARE(screen.pixelColor(all.right(), all.bottom()), kDesktop);
        QCOMPARE(screen.pixelColor(all.right() - 30, all.bottom() - 20), colour);

        auto* caption = dialog->findChild<QLabel*>(QStringLiteral("lblCaption"));
        const QRect captionArea(caption->mapTo(dialog, QPoint(0, 0)), caption->size());
        QVERIFY(CountPixels(screen, captionArea, NearWhite) > 20);
    });
    QVERIFY(looked);
}

QTEST_MAIN(TestDialogPaint)
#include "tst_dialogpaint.moc"
