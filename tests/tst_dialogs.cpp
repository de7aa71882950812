// The message window and the action confirmation window, driven through their real modal loops
// and through the modal script: texts, results of every way out, button layout, keys, the link,
// dragging and the window without its resource library.
//
// With ZRUN_SCREENSHOT_DIR set (under a real X server) the screenshots test writes both windows
// as PNG files into that folder.

#include "controls/htmlabel.h"
#include "controls/timage.h"
#include "controls/zrunborder.h"
#include "controls/zrunbutton.h"
#include "forms/modalscript.h"
#include "forms/suspectsactionform/suspectsactionform.h"
#include "forms/uformmessage/uformmessage.h"
#include "module/formvars.h"
#include "support/htmltext.h"
#include "support/recordingtranslator.h"
#include "support/resourcelibrary.h"
#include "support/utilsresource.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <functional>
#include <memory>

namespace {

const QString kUnblockTitle = QStringLiteral("No bloquear elemento");
const QString kUnblockFirst =
    QStringLiteral("Vas a desbloquear el elemento:<BR />arc.zip\\inner\\file.exe, bloqueado "
                   "por ser <b>una aplicación publicitaria</b>.");
const QString kUnblockSecond = QStringLiteral(
    "<B>Norvik Software recomienda no desbloquear éste elemento</B> ya que podría resultar muy "
    "perjudicial para el funcionamiento de tu PC y la integridad de tus archivos.");
const QString kUnblockThird = QStringLiteral("¿Deseas ignorar la recomendación y continuar?");
const QString kUnblockAccept = QStringLiteral("Sí, deseo continuar");

template <class T> T* Child(QWidget* window, const char* name) {
    return window->findChild<T*>(QLatin1String(name));
}

QPoint CentreInWindow(QWidget* widget) {
    return widget->mapTo(widget->window(), widget->rect().center());
}

void Click(QWidget* widget) {
    QTest::mouseClick(widget->window()->windowHandle(), Qt::LeftButton, {}, CentreInWindow(widget));
}

// The ways out of a dialog that the tests take, by name.
void Act(QDialog* dialog, const QString& action) {
    QWindow* handle = dialog->windowHandle();
    if (action == QLatin1String("escape"))
        QTest::keyClick(handle, Qt::Key_Escape);
    else if (action == QLatin1String("enter"))
        QTest::keyClick(handle, Qt::Key_Return);
    else if (action == QLatin1String("alt+f4"))
        QTest::keyClick(handle, Qt::Key_F4, Qt::AltModifier);
    else
        Click(Child<QWidget>(dialog, action.toLatin1().constData()));
}

// Runs action on the modal window once its loop is up; a window still open five seconds later
// is ended with -99, so that a failing test fails instead of hanging.
class ModalDriver final {
public:
    explicit ModalDriver(std::function<void(QDialog*)> action) {
        QTimer::singleShot(0, &m_context, [action] {
            if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
                action(dialog);
        });
        QTimer::singleShot(5000, &m_context, [] {
            if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
                dialog->done(-99);
        });
    }

private:
    QObject m_context;
};

// Hovers over a label until it reports a link under the pointer; the point, or (-1, -1).
QPoint FindLink(THTMLabel* label) {
    QSignalSpy hovered(label, &QLabel::linkHovered);
    QWindow* handle = label->window()->windowHandle();
    for (int y = 3; y < label->height(); y += 4) {
        for (int x = 3; x < label->width(); x += 5) {
            QTest::mouseMove(handle, label->mapTo(label->window(), QPoint(x, y)));
            if (!hovered.isEmpty() && !hovered.last().at(0).toString().isEmpty())
                return {x, y};
        }
    }
    return {-1, -1};
}

struct LinkRecord {
    int calls = 0;
    void* context = nullptr;
    std::uint32_t extra = 99;
    QString anchor;
};

void RecordLink(void* context, std::uint32_t extra, const QString& anchor) {
    auto* record = static_cast<LinkRecord*>(context);
    ++record->calls;
    record->context = context;
    record->extra = extra;
    record->anchor = anchor;
}

QString MessageFirstLine(std::uint32_t code) {
    return QStringLiteral("Ha ocurrido un error inesperado con el Código %1").arg(code);
}

// A desktop behind the screenshots, in the blues of the art sheet.
class Backdrop final : public QWidget {
public:
    Backdrop() { setWindowFlags(Qt::FramelessWindowHint); }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        QLinearGradient gradient(rect().topLeft(), rect().bottomRight());
        gradient.setColorAt(0, QColor(0x3E, 0x58, 0x80));
        gradient.setColorAt(1, QColor(0x9A, 0xAE, 0xC6));
        painter.fillRect(rect(), gradient);
    }
};

// Records the key presses that reach the widgets it watches.
class KeyRecorder final : public QObject {
public:
    QList<int> pressed;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::KeyPress)
            pressed.append(static_cast<QKeyEvent*>(event)->key());
        return false;
    }
};

} // namespace

class TestDialogs : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanup();

    void messageWindowShowsTheCatalogueEntry();
    void messageWindowTranslatesEveryText();
    void messageWindowUnknownKindShowsNothing();
    void messageWindowLinkRunsTheAction_data();
    void messageWindowLinkRunsTheAction();
    void messageWindowWithoutResourceLibrary();
    void messageWindowResults_data();
    void messageWindowResults();
    void messageWindowSwallowsAltAndF10_data();
    void messageWindowSwallowsAltAndF10();

    void confirmationShowsItsTexts();
    void confirmationCancelFirst_data();
    void confirmationCancelFirst();
    void confirmationResults_data();
    void confirmationResults();
    void confirmationAnswersThroughTheModalScript_data();
    void confirmationAnswersThroughTheModalScript();
    void confirmationWithoutResourceLibrary();
    void confirmationIsTheExportedVariableWhileItExists();

    void buttonsAtTheirDesignPlaces_data();
    void buttonsAtTheirDesignPlaces();
    void buttonsWidenToTheirCaption_data();
    void buttonsWidenToTheirCaption();
    void captionBarDragsTheWindow_data();
    void captionBarDragsTheWindow();
    void windowsAreRoundedAndFramed_data();
    void windowsAreRoundedAndFramed();

    void screenshots();

private:
    std::unique_ptr<QDialog> MakeWindow(const QString& kind) const;
    std::unique_ptr<ResourceLibrary> m_library;
};

void TestDialogs::initTestCase() {
    m_library = std::make_unique<ResourceLibrary>();
    QVERIFY2(m_library->Handle(), qPrintable(ResourceLibrary::DefaultPath()));
}

void TestDialogs::cleanup() {
    SetModalScript(nullptr);
}

// A filled window of either kind, not shown.
std::unique_ptr<QDialog> TestDialogs::MakeWindow(const QString& kind) const {
    if (kind == QLatin1String("message")) {
        auto window = std::make_unique<TFormMessage>();
        window->Fill(TFormMessage::kSingleButton, QStringLiteral("Título"), MessageFirstLine(7),
                     QStringLiteral("Segunda línea"), QStringLiteral("Cerrar"), QString());
        return window;
    }
    auto window = std::make_unique<TSuspectsActionForm>(nullptr, m_library->Handle());
    window->SetTexts(kUnblockTitle, kUnblockFirst, kUnblockSecond, kUnblockThird, QStringLiteral("Sí"),
                     QStringLiteral("No"));
    return window;
}

void TestDialogs::messageWindowShowsTheCatalogueEntry() {
    bool looked = false;
    SetModalScript([&](QDialog* window) {
        looked = true;
        [&] {
            QVERIFY(window->isVisible());
            QCOMPARE(window->windowTitle(), QStringLiteral("Ha ocurrido un error inesperado"));
            QCOMPARE(Child<QLabel>(window, "lblCaption")->text(),
                     QStringLiteral("Ha ocurrido un error inesperado"));
            QCOMPARE(Child<THTMLabel>(window, "LMessage1")->property("HTMLText").toString(),
                     QStringLiteral("Ha ocurrido un error inesperado con el Código 7"));
            const QString second = Child<THTMLabel>(window, "LMessage2")->HTMLText();
            QVERIFY(
                second.startsWith(QStringLiteral("Si quieres ayudarnos a mejorar <A HREF=\"sendSugest\">")));
            QCOMPARE(HtmlToPlainText(second).remove(QLatin1Char('\n')).simplified(),
                     QStringLiteral(
                         "Si quieres ayudarnos a mejorar envíanos una sugerencia con información acerca "
                         "de este error y cómo se ha producido."));
            auto* single = Child<TZRUNButton>(window, "BSoloAceptar");
            QVERIFY(single->isVisible());
            QCOMPARE(single->text(), QStringLiteral("Cerrar"));
            QVERIFY(!Child<TZRUNButton>(window, "BAceptar")->isVisible());
            QVERIFY(!Child<TZRUNButton>(window, "BCancelar")->isVisible());
            auto* image = Child<TImage>(window, "ImageAlert");
            QCOMPARE(image->CurrentPicture(), LoadPngResource(m_library->Handle(), 20015));
            QCOMPARE(image->geometry(), QRect(21, 22, 45, 45));
            QVERIFY(!window->windowIcon().isNull());
            // Centred on the desktop.
            const QRect desktop = QGuiApplication::primaryScreen()->availableGeometry();
            QVERIFY(qAbs(window->geometry().center().x() - desktop.center().x()) <= 1);
            QVERIFY(qAbs(window->geometry().center().y() - desktop.center().y()) <= 1);
        }();
        return 1;
    });
    stMessageRequest request;
    request.code = 7;
    QCOMPARE(ShowCatalogMessage(0, nullptr, request), 1);
    QVERIFY(looked);
}

void TestDialogs::messageWindowTranslatesEveryText() {
    RecordingSource translation;
    translation.translator.table.insert(QStringLiteral("Ha ocurrido un error inesperado con el Código %d"),
                                        QStringLiteral("Unexpected error, code %d"));
    translation.translator.table.insert(QStringLiteral("Cerrar"),
                                        QStringLiteral("Close and go back to work"));
    QString first;
    QString button;
    SetModalScript([&](QDialog* window) {
        first = Child<THTMLabel>(window, "LMessage1")->HTMLText();
        button = Child<TZRUNButton>(window, "BSoloAceptar")->text();
        return 2;
    });
    stMessageRequest request;
    request.code = 12;
    QCOMPARE(ShowCatalogMessage(0, &translation.source, request), 2);
    QCOMPARE(first, QStringLiteral("Unexpected error, code 12"));
    QCOMPARE(button, QStringLiteral("Close and go back to work"));
    QCOMPARE(translation.translator.Keys(),
             (QStringList{QStringLiteral("Ha ocurrido un error inesperado"),
                          QStringLiteral("Ha ocurrido un error inesperado con el Código %d"),
                          QStringLiteral("Si quieres ayudarnos a mejorar <A HREF=\"sendSugest\">envíanos una "
                                         "sugerencia</A> con información acerca de este error y cómo se ha "
                                         "producido."),
                          QStringLiteral("Cerrar")}));
}

void TestDialogs::messageWindowUnknownKindShowsNothing() {
    bool shown = false;
    SetModalScript([&](QDialog*) {
        shown = true;
        return 2;
    });
    QCOMPARE(ShowCatalogMessage(5, nullptr, stMessageRequest{}), 1);
    QVERIFY(!shown);
}

void TestDialogs::messageWindowLinkRunsTheAction_data() {
    QTest::addColumn<bool>("withAction");
    QTest::newRow("with a link action") << true;
    QTest::newRow("without a link action") << false;
}

void TestDialogs::messageWindowLinkRunsTheAction() {
    QFETCH(bool, withAction);
    LinkRecord record;
    QPoint link(-1, -1);
    bool stillOpen = false;
    ModalDriver driver([&](QDialog* window) {
        auto* label = Child<THTMLabel>(window, "LMessage2");
        link = FindLink(label);
        if (link.x() >= 0)
            QTest::mouseClick(window->windowHandle(), Qt::LeftButton, {}, label->mapTo(window, link));
        stillOpen = window->isVisible();
        window->done(3);
    });
    const int result = ShowMessageWindow(
        TFormMessage::kSingleButton, QStringLiteral("Título"), MessageFirstLine(8),
        QStringLiteral("Pulsa <A HREF=\"sendSugest\">aquí mismo</A> para escribirnos."),
        QStringLiteral("Cerrar"), QString(), withAction ? &RecordLink : nullptr, &record, 0);
    QCOMPARE(result, 3);
    QVERIFY2(link.x() >= 0, "no link found on the second line");
    QVERIFY(stillOpen);
    QCOMPARE(record.calls, withAction ? 1 : 0);
    if (withAction) {
        QCOMPARE(record.context, static_cast<void*>(&record));
        QCOMPARE(record.extra, 0u);
        QCOMPARE(record.anchor, QStringLiteral("sendSugest"));
    }
}

void TestDialogs::messageWindowWithoutResourceLibrary() {
    TFormMessage window(QStringLiteral("/nonexistent/ZRUNResources.so"));
    QVERIFY(!window.ResourceLibrary());
    window.Fill(TFormMessage::kSingleButton, QStringLiteral("Título"), MessageFirstLine(9),
                QStringLiteral("Segunda línea"), QStringLiteral("Cerrar"), QString());
    SetModalScript([](QDialog* shown) {
        [&] {
            QVERIFY(shown->isVisible());
            QVERIFY(shown->windowIcon().isNull());
            QVERIFY(!Child<TImage>(shown, "ImageAlert")->HasPicture());
            QVERIFY(!Child<TZRUNBorder>(shown, "wndBorder")->HasPictures());
            auto* button = Child<TZRUNButton>(shown, "BSoloAceptar");
            QVERIFY(button->isVisible());
            QCOMPARE(button->CurrentFaceIndex(), -1);
            Click(button);
        }();
        return shown->result();
    });
    QCOMPARE(window.ShowModal(), 1);
}

void TestDialogs::messageWindowResults_data() {
    QTest::addColumn<QString>("action");
    QTest::addColumn<int>("result");
    QTest::newRow("escape") << QStringLiteral("escape") << 2;
    QTest::newRow("close button") << QStringLiteral("btnClose") << 2;
    QTest::newRow("single button") << QStringLiteral("BSoloAceptar") << 1;
    QTest::newRow("enter answers the single button") << QStringLiteral("enter") << 1;
    QTest::newRow("alt+f4 closes") << QStringLiteral("alt+f4") << 2;
}

void TestDialogs::messageWindowResults() {
    QFETCH(QString, action);
    QFETCH(int, result);
    ModalDriver driver([action](QDialog* window) { Act(window, action); });
    QCOMPARE(ShowMessageWindow(TFormMessage::kSingleButton, QStringLiteral("Título"), MessageFirstLine(5),
                               QStringLiteral("Segunda"), QStringLiteral("Cerrar"), QString(), nullptr,
                               nullptr, 0),
             result);
}

void TestDialogs::messageWindowSwallowsAltAndF10_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::newRow("F10") << int(Qt::Key_F10) << int(Qt::NoModifier);
    QTest::newRow("Alt alone") << int(Qt::Key_Alt) << int(Qt::AltModifier);
    QTest::newRow("Alt+Enter") << int(Qt::Key_Return) << int(Qt::AltModifier);
    QTest::newRow("Alt+C") << int(Qt::Key_C) << int(Qt::AltModifier);
}

void TestDialogs::messageWindowSwallowsAltAndF10() {
    QFETCH(int, key);
    QFETCH(int, modifiers);
    bool stillOpen = false;
    // Swallowed: no control of the window, nor the window itself, sees the key.
    KeyRecorder recorder;
    ModalDriver driver([&](QDialog* window) {
        window->installEventFilter(&recorder);
        const auto controls = window->findChildren<QWidget*>();
        for (QWidget* control : controls)
            control->installEventFilter(&recorder);
        QTest::keyClick(window->windowHandle(), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        stillOpen = window->isVisible();
        window->done(4);
    });
    QCOMPARE(ShowMessageWindow(TFormMessage::kSingleButton, QStringLiteral("Título"), MessageFirstLine(5),
                               QStringLiteral("Segunda"), QStringLiteral("Cerrar"), QString(), nullptr,
                               nullptr, 0),
             4);
    QVERIFY(stillOpen);
    QCOMPARE(recorder.pressed, QList<int>());
}

void TestDialogs::confirmationShowsItsTexts() {
    TSuspectsActionForm form(nullptr, m_library->Handle());
    form.SetTexts(kUnblockTitle, kUnblockFirst, kUnblockSecond, kUnblockThird, kUnblockAccept,
                  QStringLiteral("No"));
    QCOMPARE(form.windowTitle(), kUnblockTitle);
    QCOMPARE(Child<QLabel>(&form, "lblCaption")->text(), kUnblockTitle);
    QCOMPARE(Child<TZRUNButton>(&form, "BAceptar")->text(), kUnblockAccept);
    QCOMPARE(Child<TZRUNButton>(&form, "BCancelar")->text(), QStringLiteral("No"));
    QCOMPARE(Child<TImage>(&form, "ImageAlert")->CurrentPicture(),
             LoadPngResource(m_library->Handle(), 20154));
    const char* names[] = {"LMessage1", "LMessage2", "LMessage3"};
    const QString texts[] = {kUnblockFirst, kUnblockSecond, kUnblockThird};
    int previousBottom = 0;
    for (int i = 0; i < 3; ++i) {
        auto* label = Child<THTMLabel>(&form, names[i]);
        const QString shown = label->property("HTMLText").toString();
        // Fitting only adds breaks.
        QCOMPARE(QString(shown).remove(QStringLiteral("<BR />")),
                 QString(texts[i]).remove(QStringLiteral("<BR />")));
        // Each label is tall enough for all of its text, and they follow one another.
        QVERIFY(label->height() >= label->MeasureHtml(label->width()).height());
        QVERIFY(label->y() > previousBottom);
        previousBottom = label->geometry().bottom();
    }
    // The long second line takes more than one line of text, and the window grows to hold it all.
    auto* second = Child<THTMLabel>(&form, "LMessage2");
    QVERIFY(second->height() > 2 * QFontMetrics(second->font()).height());
    QVERIFY(Child<QWidget>(&form, "PanelMessages")->geometry().bottom() <
            Child<QWidget>(&form, "PanelContent")->height());
    QCOMPARE(Child<QWidget>(&form, "pnlButtons")->geometry().bottom() + 1, form.height());
}

void TestDialogs::confirmationCancelFirst_data() {
    QTest::addColumn<bool>("cancelFirst");
    QTest::newRow("cancel first: No on the left, focused, answers Enter") << true;
    QTest::newRow("accept first: the accept button leads") << false;
}

void TestDialogs::confirmationCancelFirst() {
    QFETCH(bool, cancelFirst);
    TSuspectsActionForm form(nullptr, m_library->Handle());
    form.SetTexts(kUnblockTitle, kUnblockFirst, kUnblockSecond, kUnblockThird, kUnblockAccept,
                  QStringLiteral("No"));
    if (cancelFirst)
        form.CancelFirst();
    auto* accept = Child<TZRUNButton>(&form, "BAceptar");
    auto* cancel = Child<TZRUNButton>(&form, "BCancelar");
    TZRUNButton* leading = cancelFirst ? cancel : accept;
    TZRUNButton* following = cancelFirst ? accept : cancel;
    QVERIFY(leading->x() < following->x());
    QList<QWidget*> focusOrder;
    ModalDriver driver([&](QDialog* window) {
        focusOrder << window->focusWidget();
        QTest::keyClick(window->windowHandle(), Qt::Key_Tab);
        focusOrder << window->focusWidget();
        QTest::keyClick(window->windowHandle(), Qt::Key_Tab);
        focusOrder << window->focusWidget();
        QTest::keyClick(window->windowHandle(), Qt::Key_Return);
    });
    QCOMPARE(form.ShowModal(), cancelFirst ? 2 : 1);
    QCOMPARE(focusOrder, (QList<QWidget*>{leading, following, leading}));
}

void TestDialogs::confirmationResults_data() {
    QTest::addColumn<QString>("action");
    QTest::addColumn<int>("result");
    QTest::newRow("accept button") << QStringLiteral("BAceptar") << 1;
    QTest::newRow("cancel button") << QStringLiteral("BCancelar") << 2;
    QTest::newRow("close button") << QStringLiteral("btnClose") << 2;
    QTest::newRow("escape") << QStringLiteral("escape") << 2;
    QTest::newRow("alt+f4") << QStringLiteral("alt+f4") << 2;
}

void TestDialogs::confirmationResults() {
    QFETCH(QString, action);
    QFETCH(int, result);
    TSuspectsActionForm form(nullptr, m_library->Handle());
    form.SetTexts(kUnblockTitle, kUnblockFirst, kUnblockSecond, kUnblockThird, kUnblockAccept,
                  QStringLiteral("No"));
    ModalDriver driver([action](QDialog* window) { Act(window, action); });
    QCOMPARE(form.ShowModal(), result);
}

void TestDialogs::confirmationAnswersThroughTheModalScript_data() {
    QTest::addColumn<QString>("action");
    QTest::addColumn<bool>("cancelFirst");
    QTest::addColumn<int>("result");
    QTest::newRow("accept click") << QStringLiteral("BAceptar") << false << 1;
    QTest::newRow("enter, accept first") << QStringLiteral("enter") << false << 1;
    QTest::newRow("enter, cancel first") << QStringLiteral("enter") << true << 2;
    QTest::newRow("escape") << QStringLiteral("escape") << false << 2;
}

void TestDialogs::confirmationAnswersThroughTheModalScript() {
    QFETCH(QString, action);
    QFETCH(bool, cancelFirst);
    QFETCH(int, result);
    TSuspectsActionForm form(nullptr, m_library->Handle());
    form.SetTexts(kUnblockTitle, kUnblockFirst, kUnblockSecond, kUnblockThird, kUnblockAccept,
                  QStringLiteral("No"));
    if (cancelFirst)
        form.CancelFirst();
    SetModalScript([action](QDialog* window) {
        Act(window, action);
        return window->result();
    });
    QCOMPARE(form.ShowModal(), result);
    QVERIFY(!form.isVisible());
}

void TestDialogs::confirmationWithoutResourceLibrary() {
    TSuspectsActionForm form(nullptr, nullptr);
    form.SetTexts(kUnblockTitle, kUnblockFirst, kUnblockSecond, kUnblockThird, kUnblockAccept,
                  QStringLiteral("No"));
    QVERIFY(!Child<TImage>(&form, "ImageAlert")->HasPicture());
    QVERIFY(!Child<TZRUNBorder>(&form, "wndBorder")->HasPictures());
    ModalDriver driver([](QDialog* window) { Act(window, QStringLiteral("BAceptar")); });
    QCOMPARE(form.ShowModal(), 1);
}

void TestDialogs::confirmationIsTheExportedVariableWhileItExists() {
    QVERIFY(!SuspectsActionForm);
    {
        TSuspectsActionForm form(nullptr, nullptr);
        QCOMPARE(SuspectsActionForm, &form);
    }
    QVERIFY(!SuspectsActionForm);
}

void TestDialogs::buttonsAtTheirDesignPlaces_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("cancelFirst");
    QTest::addColumn<QString>("button");
    QTest::addColumn<QRect>("geometry");
    // Short captions keep the design widths; the row is centred in the window.
    QTest::newRow("message, single button")
        << QStringLiteral("message") << false << QStringLiteral("BSoloAceptar") << QRect(170, 6, 97, 19);
    QTest::newRow("confirmation, accept")
        << QStringLiteral("confirmation") << false << QStringLiteral("BAceptar") << QRect(120, 6, 97, 19);
    QTest::newRow("confirmation, cancel")
        << QStringLiteral("confirmation") << false << QStringLiteral("BCancelar") << QRect(227, 6, 90, 19);
    QTest::newRow("confirmation cancel first, cancel")
        << QStringLiteral("confirmation") << true << QStringLiteral("BCancelar") << QRect(120, 6, 90, 19);
    QTest::newRow("confirmation cancel first, accept")
        << QStringLiteral("confirmation") << true << QStringLiteral("BAceptar") << QRect(220, 6, 97, 19);
}

void TestDialogs::buttonsAtTheirDesignPlaces() {
    QFETCH(QString, kind);
    QFETCH(bool, cancelFirst);
    QFETCH(QString, button);
    QFETCH(QRect, geometry);
    const auto window = MakeWindow(kind);
    if (cancelFirst)
        static_cast<TSuspectsActionForm*>(window.get())->CancelFirst();
    QCOMPARE(Child<TZRUNButton>(window.get(), button.toLatin1().constData())->geometry(), geometry);
}

void TestDialogs::buttonsWidenToTheirCaption_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<int>("slack"); // the button's width before, less caption width + 20
    QTest::addColumn<int>("widthGain");
    QTest::newRow("message: one pixel too narrow grows")
        << QStringLiteral("message") << QStringLiteral("Cerrar ventana") << -1 << 1;
    QTest::newRow("message: exactly caption + 20 stays")
        << QStringLiteral("message") << QStringLiteral("Cerrar ventana") << 0 << 0;
    QTest::newRow("message: wider stays") << QStringLiteral("message") << QStringLiteral("OK") << 30 << 0;
    QTest::newRow("message: long translation grows")
        << QStringLiteral("message") << QStringLiteral("Close this message and go back") << -40 << 40;
    QTest::newRow("confirmation: one pixel too narrow grows")
        << QStringLiteral("confirmation") << kUnblockAccept << -1 << 1;
    QTest::newRow("confirmation: exactly caption + 20 stays")
        << QStringLiteral("confirmation") << kUnblockAccept << 0 << 0;
    QTest::newRow("confirmation: wider stays")
        << QStringLiteral("confirmation") << QStringLiteral("No") << 12 << 0;
}

void TestDialogs::buttonsWidenToTheirCaption() {
    QFETCH(QString, kind);
    QFETCH(QString, caption);
    QFETCH(int, slack);
    QFETCH(int, widthGain);
    const bool message = kind == QLatin1String("message");
    std::unique_ptr<QDialog> window;
    if (message)
        window = std::make_unique<TFormMessage>();
    else
        window = std::make_unique<TSuspectsActionForm>(nullptr, m_library->Handle());
    auto* button = Child<TZRUNButton>(window.get(), message ? "BSoloAceptar" : "BAceptar");
    const int before = QFontMetrics(button->font()).horizontalAdvance(caption) + 20 + slack;
    button->resize(before, button->height());
    if (message)
        static_cast<TFormMessage*>(window.get())
            ->Fill(TFormMessage::kSingleButton, QStringLiteral("T"), QStringLiteral("a"), QStringLiteral("b"),
                   caption, QString());
    else
        static_cast<TSuspectsActionForm*>(window.get())
            ->SetTexts(QStringLiteral("T"), QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"),
                       caption, QStringLiteral("No"));
    QCOMPARE(button->width(), before + widthGain);

    const int rowCentre = Child<QWidget>(window.get(), "pnlButtons")->width() / 2;
    if (message) {
        QCOMPARE(button->x(), rowCentre - button->width() / 2);
        return;
    }
    auto* cancel = Child<TZRUNButton>(window.get(), "BCancelar");
    QCOMPARE(cancel->x() - button->geometry().right() - 1, 10);
    const int pairCentre = (button->x() + cancel->geometry().right() + 1) / 2;
    QVERIFY(qAbs(pairCentre - rowCentre) <= 1);
}

void TestDialogs::captionBarDragsTheWindow_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QPoint>("press");
    QTest::addColumn<bool>("moves");
    for (const QString& kind : {QStringLiteral("message"), QStringLiteral("confirmation")}) {
        QTest::addRow("%s: empty part of the bar", qPrintable(kind)) << kind << QPoint(330, 14) << true;
        QTest::addRow("%s: on the title", qPrintable(kind)) << kind << QPoint(30, 12) << true;
        QTest::addRow("%s: on the close button", qPrintable(kind)) << kind << QPoint(415, 7) << false;
        QTest::addRow("%s: below the bar", qPrintable(kind)) << kind << QPoint(300, 40) << false;
    }
}

void TestDialogs::captionBarDragsTheWindow() {
    QFETCH(QString, kind);
    QFETCH(QPoint, press);
    QFETCH(bool, moves);
    const QPoint delta(15, 20);
    const auto window = MakeWindow(kind);
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    const QPoint start = window->pos();
    QWindow* handle = window->windowHandle();
    // The pointer ends at one place on the screen, wherever the window has gone meanwhile.
    const QPoint end = handle->mapToGlobal(press + delta);
    QTest::mousePress(handle, Qt::LeftButton, {}, press);
    QTest::mouseMove(handle, handle->mapFromGlobal(end));
    QTest::mouseRelease(handle, Qt::LeftButton, {}, handle->mapFromGlobal(end));
    if (moves)
        QTRY_COMPARE(window->pos(), start + delta);
    else
        QCOMPARE(window->pos(), start);
    QVERIFY(window->isVisible());
}

void TestDialogs::windowsAreRoundedAndFramed_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QColor>("colour");
    QTest::addColumn<int>("width");
    QTest::newRow("message window") << QStringLiteral("message") << QColor(0x49, 0x48, 0x48) << 436;
    QTest::newRow("confirmation window") << QStringLiteral("confirmation") << QColor(0x4C, 0x4B, 0x4B) << 437;
}

void TestDialogs::windowsAreRoundedAndFramed() {
    QFETCH(QString, kind);
    QFETCH(QColor, colour);
    QFETCH(int, width);
    const auto window = MakeWindow(kind);
    QCOMPARE(window->width(), width);
    QVERIFY(window->windowFlags() & Qt::FramelessWindowHint);
    const QRegion mask = window->mask();
    QCOMPARE(mask.boundingRect(), window->rect());
    QVERIFY(!mask.contains(QPoint(0, 0)));
    QVERIFY(!mask.contains(QPoint(window->width() - 1, window->height() - 1)));
    QVERIFY(mask.contains(window->rect().center()));

    auto* border = Child<TZRUNBorder>(window.get(), "wndBorder");
    QVERIFY(border->HasPictures());
    QCOMPARE(border->PieceRect(TZRUNBorder::TopLeft).topLeft(), QPoint(0, 0));
    QCOMPARE(border->PieceRect(TZRUNBorder::BottomRight).bottomRight(), window->rect().bottomRight());
    QCOMPARE(border->Picture(TZRUNBorder::TopLeft), LoadPngResource(m_library->Handle(), 21014));
    QCOMPARE(border->Picture(TZRUNBorder::Left), LoadPngResource(m_library->Handle(), 21013));

    const QImage shot = window->grab().toImage();
    QCOMPARE(shot.pixelColor(window->width() - 30, window->height() - 20), colour);
    QCOMPARE(Child<QLabel>(window.get(), "lblCaption")->palette().color(QPalette::WindowText),
             QColor(Qt::white));
}

void TestDialogs::screenshots() {
    const QString folder = qEnvironmentVariable("ZRUN_SCREENSHOT_DIR");
    if (folder.isEmpty())
        QSKIP("set ZRUN_SCREENSHOT_DIR, under a real X server, to write the screenshots");
    Backdrop backdrop;
    backdrop.setGeometry(QGuiApplication::primaryScreen()->geometry());
    backdrop.show();
    QVERIFY(QTest::qWaitForWindowExposed(&backdrop));

    auto shoot = [&](QDialog* window, const QString& file) {
        window->activateWindow();
        if (!QTest::qWaitForWindowActive(window))
            qWarning("the window was not activated in time");
        QTest::qWait(400);
        const QRect area = window->frameGeometry().adjusted(-32, -32, 32, 32);
        const QPixmap picture =
            window->screen()->grabWindow(0, area.x(), area.y(), area.width(), area.height());
        picture.save(folder + QLatin1Char('/') + file);
        return 2;
    };

    SetModalScript([&](QDialog* window) { return shoot(window, QStringLiteral("message-window.png")); });
    stMessageRequest request;
    request.code = 7;
    ShowCatalogMessage(0, nullptr, request);

    TSuspectsActionForm form(nullptr, m_library->Handle());
    form.SetTexts(kUnblockTitle, kUnblockFirst, kUnblockSecond, kUnblockThird, kUnblockAccept,
                  QStringLiteral("No"));
    form.CancelFirst();
    SetModalScript([&](QDialog* window) { return shoot(window, QStringLiteral("confirmation-window.png")); });
    form.ShowModal();
}

QTEST_MAIN(TestDialogs)
#include "tst_dialogs.moc"
