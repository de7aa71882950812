// What the windows show of names, paths and host texts: characters that reorder or hide text
// are shown as marks, host texts are never read as markup, and a hint stays on the screen.
#include "comm/store/blaitemex.h"
#include "controls/htmlabel.h"
#include "controls/smoothimagelist.h"
#include "controls/zrunbutton.h"
#include "forms/suspectsform/suspectsform.h"
#include "forms/tt1/tooltipmanager.h"
#include "forms/tt1/tt1.h"
#include "forms/visibletext.h"
#include "support/historyfixture.h"
#include "support/htmltext.h"

#include <QApplication>
#include <QDialog>
#include <QHelpEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPaintEngine>
#include <QPainter>
#include <QScreen>
#include <QTest>
#include <QTextDocument>

namespace {

const std::u16string kActions = u"class CMsgModBlaActions *";
// "invoice" + RIGHT-TO-LEFT OVERRIDE + "fdp.exe": drawn as "invoiceexe.pdf".
const QString kSpoofed = QStringLiteral("invoice") + QChar(0x202E) + QStringLiteral("fdp.exe");
const QString kSpoofedShown = QStringLiteral("invoice<U+202E>fdp.exe");

// One page of elements; actions succeed.
struct Service {
    std::vector<wire::Element> elements;
    std::optional<wire::Bytes> Answer(const wire::Request& r) const {
        if (r.payloadName == kActions)
            return wire::StatusReply(0);
        if (r.BodyI32(3) < 0)
            return wire::StatusReply(0);
        return wire::ListReply(0, 61, elements, -1);
    }
};

// The suspects window over a fixture whose configuration the test sets first.
struct Suspects {
    explicit Suspects(std::vector<wire::Element> elements,
                      const std::function<void(TestConfiguration&)>& configure = {}) {
        service.elements = std::move(elements);
        f.sender.delivery = ScriptedSender::Delivery::Inline;
        f.sender.reply = [this](const wire::Request& r) { return service.Answer(r); };
        // The configuration is read when the window is made.
        if (configure) {
            configure(f.configuration);
            f.CreateWindow();
        }
        f.parent.show();
        f.Pump();
    }
    template <class T> T* child(const char* name) const {
        return f.window()->findChild<T*>(QString::fromLatin1(name));
    }
    TSmoothImageList* carousel() const { return child<TSmoothImageList>("lwSuspects2"); }

    Service service;
    ControllerFixture f;
};

wire::Element ElementAt(const std::u16string& location, std::uint32_t category = 100) {
    wire::Element e = SampleElements(1).front();
    e.location = location;
    e.category = category;
    return e;
}

// What Qt draws of a label's text.
QString RenderedText(const QLabel* label) {
    const bool rich = label->textFormat() == Qt::RichText ||
                      (label->textFormat() == Qt::AutoText && Qt::mightBeRichText(label->text()));
    if (!rich)
        return label->text();
    QTextDocument document;
    document.setHtml(label->text());
    return document.toPlainText();
}

// A paint device that keeps the texts drawn on it.
class TextRecorder final : public QPaintDevice {
public:
    QStringList texts;
    QPaintEngine* paintEngine() const override { return &m_engine; }

protected:
    int metric(PaintDeviceMetric metric) const override {
        switch (metric) {
        case PdmWidth:
        case PdmHeight:
            return 400;
        case PdmWidthMM:
        case PdmHeightMM:
            return 100;
        case PdmDpiX:
        case PdmDpiY:
        case PdmPhysicalDpiX:
        case PdmPhysicalDpiY:
            return 96;
        case PdmDepth:
            return 32;
        case PdmNumColors:
            return 1 << 24;
        case PdmDevicePixelRatio:
            return 1;
        case PdmDevicePixelRatioScaled:
            return static_cast<int>(devicePixelRatioFScale());
        default:
            return 0;
        }
    }

private:
    class Engine final : public QPaintEngine {
    public:
        explicit Engine(QStringList& texts) : m_texts(texts) {}
        bool begin(QPaintDevice*) override { return true; }
        bool end() override { return true; }
        void updateState(const QPaintEngineState&) override {}
        void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
        void drawTextItem(const QPointF&, const QTextItem& item) override { m_texts << item.text(); }
        Type type() const override { return User; }

    private:
        QStringList& m_texts;
    };
    mutable Engine m_engine{texts};
};

// The module's tooltip window that shows, if one does.
TfrmTT1* ShownTooltip() {
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* tooltip = qobject_cast<TfrmTT1*>(widget); tooltip && tooltip->isVisible())
            return tooltip;
    return nullptr;
}

} // namespace

class TestSafeText final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void cleanup();

    void visibleText_data();
    void visibleText();
    void visibleMarkup();
    void shortenMiddle_data();
    void shortenMiddle();
    void htmlLabelDropsPictures();

    void carouselTileShowsTheMarks();
    void itemHintShowsTheMarks();
    void unblockConfirmationShowsTheMarks();
    void descriptionShowsTheMarksOfTheLabName();
    void productNameIsTextInTheEmptyState_data();
    void productNameIsTextInTheEmptyState();
    void labNameIsTextInTheConfirmation();

    void historyCellsShowTheMarks();
    void historyHintShowsTheMarks();
    void historyConfirmationShowsTheMarks();
    void historySearchFindsWhatIsShown_data();
    void historySearchFindsWhatIsShown();

    void caretInANameKeepsTheWholeHint();
    void hintOfALongPathStaysOnTheScreen();
    void tooltipKeptOnTheScreen_data();
    void tooltipKeptOnTheScreen();
};

void TestSafeText::cleanup() {
    tooltips::HideAllTooltips();
}

void TestSafeText::visibleText_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("shown");
    // fromUcs4 would take a leading U+FEFF for a byte order mark and drop it.
    const auto c = [](char32_t code) {
        return code < 0x10000 ? QString(QChar(static_cast<char16_t>(code))) : QString::fromUcs4(&code, 1);
    };
    QTest::newRow("plain name unchanged") << "C:\\Users\\ana\\informe.pdf"
                                          << "C:\\Users\\ana\\informe.pdf";
    QTest::newRow("empty") << ""
                           << "";
    QTest::newRow("accents and other scripts unchanged")
        << QStringLiteral("año_Ωмир_日本.exe") << QStringLiteral("año_Ωмир_日本.exe");
    QTest::newRow("right-to-left letters unchanged")
        << QStringLiteral("ملف_קובץ.txt") << QStringLiteral("ملف_קובץ.txt");
    QTest::newRow("emoji outside the basic plane unchanged") << "a" + c(0x1F600) + ".exe"
                                                             << "a" + c(0x1F600) + ".exe";
    QTest::newRow("right-to-left override") << kSpoofed << kSpoofedShown;
    QTest::newRow("embeddings, overrides and their end")
        << c(0x202A) + "a" + c(0x202B) + "b" + c(0x202C) + "c" + c(0x202D) + "d"
        << "<U+202A>a<U+202B>b<U+202C>c<U+202D>d";
    QTest::newRow("isolates") << c(0x2066) + c(0x2067) + c(0x2068) + "x" + c(0x2069)
                              << "<U+2066><U+2067><U+2068>x<U+2069>";
    QTest::newRow("direction marks") << "a" + c(0x200E) + "b" + c(0x200F) + "c" + c(0x061C) + "d"
                                     << "a<U+200E>b<U+200F>c<U+061C>d";
    QTest::newRow("zero-width characters") << "a" + c(0x200B) + "b" + c(0x200C) + "c" + c(0x200D) + "d"
                                           << "a<U+200B>b<U+200C>c<U+200D>d";
    QTest::newRow("byte order mark and word joiner") << c(0xFEFF) + "a" + c(0x2060) + "b"
                                                     << "<U+FEFF>a<U+2060>b";
    QTest::newRow("soft hyphen") << "setup" + c(0x00AD) + ".exe"
                                 << "setup<U+00AD>.exe";
    QTest::newRow("controls") << QStringLiteral("a\tb\nc\x7F") << "a<U+0009>b<U+000A>c<U+007F>";
    QTest::newRow("line and paragraph separators")
        << "a" + c(0x2028) + "b" + c(0x2029) << "a<U+2028>b<U+2029>";
    QTest::newRow("invisible filler") << "a" + c(0x3164) + ".exe"
                                      << "a<U+3164>.exe";
    QTest::newRow("tag character outside the basic plane") << "a" + c(0xE0041) + "b"
                                                           << "a<U+E0041>b";
    QTest::newRow("lone surrogate") << "a" + QString(QChar(0xD800)) + "b"
                                    << "a<U+D800>b";
}

void TestSafeText::visibleText() {
    QFETCH(QString, text);
    QFETCH(QString, shown);
    QCOMPARE(VisibleText(text), shown);
}

void TestSafeText::visibleMarkup() {
    QCOMPARE(VisibleMarkup(QStringLiteral("<b>") + kSpoofed + QStringLiteral("&")),
             QStringLiteral("&lt;b&gt;invoice&lt;U+202E&gt;fdp.exe&amp;"));
    QCOMPARE(HtmlToPlainText(VisibleMarkup(kSpoofed)), kSpoofedShown);
}

void TestSafeText::shortenMiddle_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("maxChars");
    QTest::addColumn<QString>("shown");
    const QString emoji = QString::fromUcs4(U"\U0001F600", 1);
    QTest::newRow("short stays whole") << "C:\\a\\b.exe" << 20 << "C:\\a\\b.exe";
    QTest::newRow("exactly the limit stays whole") << "0123456789" << 10 << "0123456789";
    QTest::newRow("long loses its middle")
        << "C:\\0123456789abcdefghij\\file.exe" << 23 << "C:\\01234...hij\\file.exe";
    QTest::newRow("a pair at the cut of the start stays out")
        << "abcdefg" + emoji + QString(40, 'x') << 23 << "abcdefg...xxxxxxxxxxxx";
    QTest::newRow("a pair at the cut of the end stays out")
        << QString(40, 'x') + emoji + "abcdefghijk" << 23 << "xxxxxxxx...abcdefghijk";
}

void TestSafeText::shortenMiddle() {
    QFETCH(QString, text);
    QFETCH(int, maxChars);
    QFETCH(QString, shown);
    QCOMPARE(ShortenMiddle(text, maxChars), shown);
}

void TestSafeText::htmlLabelDropsPictures() {
    THTMLabel label;
    label.SetHTMLText(QStringLiteral("a<img src=\"/etc/passwd\">b<IMG SRC='x.png'/><b>c</b>"));
    QCOMPARE(label.text(), QStringLiteral("ab<b>c</b>"));
}

void TestSafeText::carouselTileShowsTheMarks() {
    Suspects w({ElementAt(u"C:\\Users\\ana\\" + kSpoofed.toStdU16String())});
    QTRY_COMPARE(w.carousel()->Count(), 1);
    TextRecorder device;
    {
        QPainter painter(&device);
        // A tile wide enough for the whole name.
        w.f.window()->lwSuspects2ItemDraw(painter, 0, QRectF(0, 0, 300, 84));
    }
    QCOMPARE(device.texts, QStringList{kSpoofedShown});
}

void TestSafeText::itemHintShowsTheMarks() {
    Suspects w({ElementAt(u"C:\\Users\\" + kSpoofed.toStdU16String() + u"\\" + kSpoofed.toStdU16String())});
    QTRY_COMPARE(w.carousel()->Count(), 1);
    QString hint;
    w.f.window()->lwSuspects2ItemHint(0, hint);
    const QString plain = HtmlToPlainText(hint);
    QVERIFY2(!plain.contains(QChar(0x202E)), qPrintable(plain));
    QVERIFY2(plain.startsWith(kSpoofedShown + "\nC:\\Users\\" + kSpoofedShown + "\\" + kSpoofedShown + "\n"),
             qPrintable(plain));
}

void TestSafeText::unblockConfirmationShowsTheMarks() {
    Suspects w({ElementAt(u"C:\\Users\\ana\\" + kSpoofed.toStdU16String())});
    QTRY_COMPARE(w.carousel()->Count(), 1);
    w.f.modalAnswer = 2;
    QTest::mouseClick(w.child<TZRUNButton>("btnUnBlock"), Qt::LeftButton);
    QCOMPARE(w.f.lastDialogName, QStringLiteral("SuspectsActionForm"));
    const QString plain = HtmlToPlainText(w.f.lastDialogFirstLine);
    QVERIFY2(plain.contains(kSpoofedShown + ", bloqueado por ser"), qPrintable(plain));
    QVERIFY(!plain.contains(QChar(0x202E)));
}

void TestSafeText::descriptionShowsTheMarksOfTheLabName() {
    const QString lab = QStringLiteral("Lab") + QChar(0x202E) + QStringLiteral("oiratorio");
    Suspects w({ElementAt(u"C:\\a.exe", 20)}, [&](TestConfiguration& c) { c.textB = lab.toStdU16String(); });
    QTRY_COMPARE(w.carousel()->Count(), 1);
    const QString plain = HtmlToPlainText(w.child<THTMLabel>("lblInformation1")->HTMLText());
    QVERIFY2(plain.contains(QStringLiteral("laboratorio de Lab<U+202E>oiratorio")), qPrintable(plain));
    QVERIFY(!plain.contains(QChar(0x202E)));
}

void TestSafeText::productNameIsTextInTheEmptyState_data() {
    QTest::addColumn<QString>("product");
    QTest::newRow("bold") << "A<b>B</b>";
    QTest::newRow("link") << "<a href=\"https://example.com\">Antimalware</a>";
    QTest::newRow("picture") << "Z<img src=\"" ZRUN_SOURCE_DIR "/docs/console.png\">";
    QTest::newRow("entity") << "R&amp;D &lt;x&gt;";
}

void TestSafeText::productNameIsTextInTheEmptyState() {
    QFETCH(QString, product);
    Suspects w({}, [&](TestConfiguration& c) { c.textA = product.toStdU16String(); });
    QTRY_VERIFY(w.child<QWidget>("pnlEmptyLw")->isVisible());
    const auto* label = w.child<QLabel>("lblEmptyLw");
    QCOMPARE(RenderedText(label),
             "Si alguna vez " + product +
                 " neutraliza un programa que deseas utilizar puedes recuperarlo desde aquí");
}

void TestSafeText::labNameIsTextInTheConfirmation() {
    Suspects w({ElementAt(u"C:\\a.exe")},
               [](TestConfiguration& c) { c.textB = u"<b>Lab</b><img src=\"x\">"; });
    QTRY_COMPARE(w.carousel()->Count(), 1);
    QString second;
    w.f.inspectDialog = [&](QDialog* dialog) {
        second = dialog->findChild<THTMLabel*>(QStringLiteral("LMessage2"))->text();
    };
    w.f.modalAnswer = 2;
    QTest::mouseClick(w.child<TZRUNButton>("btnUnBlock"), Qt::LeftButton);
    QTextDocument document;
    document.setHtml(second);
    QVERIFY2(document.toPlainText().startsWith(QStringLiteral("<b>Lab</b><img src=\"x\"> recomienda")),
             qPrintable(second));
}

void TestSafeText::historyCellsShowTheMarks() {
    history::Window h;
    h.names()[501].name = (QStringLiteral("Trj/") + QChar(0x202E) + QStringLiteral("X")).toStdU16String();
    ST_BLELEMENT e = history::Element(1);
    e.location = u"C:\\Users\\" + kSpoofed.toStdU16String();
    h.LoadAll({e});
    QCOMPARE(h.Text(1, 1), QStringLiteral("C:\\Users\\") + kSpoofedShown);
    QCOMPARE(h.Text(0, 1), QStringLiteral("TYPE_201 neutralizado/a: Trj/<U+202E>X"));
}

void TestSafeText::historyHintShowsTheMarks() {
    history::Window h;
    ST_BLELEMENT e = history::Element(1);
    // A '^' too, which a hint would otherwise read as the start of its parts.
    e.location = u"C:\\Users\\an^a\\" + QString(80, 'x').toStdU16String() + u"\\" + kSpoofed.toStdU16String();
    h.LoadAll({e});
    TAdvStringGrid* grid = h.grid();
    const QRect cell = grid->visualRect(grid->model()->index(0, 1));
    QCursor::setPos(grid->viewport()->mapToGlobal(cell.center()));
    QTest::mouseMove(grid->viewport(), cell.center());
    const QString hint = tooltips::SplitHint(grid->toolTip()).text;
    const QString plain = HtmlToPlainText(hint);
    QVERIFY2(plain.startsWith(QStringLiteral("C:\\Users\\an^a\\")), qPrintable(plain));
    QVERIFY2(plain.endsWith(QStringLiteral("\\") + kSpoofedShown), qPrintable(plain));
    QVERIFY(!plain.contains(QChar(0x202E)));
}

void TestSafeText::historyConfirmationShowsTheMarks() {
    history::Window h;
    h.names()[501].name = (QStringLiteral("Trj/") + QChar(0x202E) + QStringLiteral("X")).toStdU16String();
    ST_BLELEMENT e = history::Element(1);
    e.location = u"C:\\" + kSpoofed.toStdU16String();
    h.LoadAll({e});
    h.f.modalAnswer = 2;
    QTest::mouseClick(h.child<TZRUNButton>("btnRemoveAction"), Qt::LeftButton);
    QCOMPARE(h.f.lastDialogName, QStringLiteral("SuspectsActionForm"));
    const QString plain = HtmlToPlainText(h.f.lastDialogFirstLine);
    QVERIFY2(plain.contains(QStringLiteral("\"Trj/<U+202E>X\" en el archivo C:\\") + kSpoofedShown + "."),
             qPrintable(plain));
    QVERIFY(!plain.contains(QChar(0x202E)));
}

void TestSafeText::historySearchFindsWhatIsShown_data() {
    QTest::addColumn<QString>("query");
    QTest::addColumn<QList<int>>("keys");
    QTest::newRow("the mark as shown") << "e<u+202e>f" << QList<int>{1};
    QTest::newRow("the name as shown") << kSpoofedShown << QList<int>{1};
    QTest::newRow("the part after the mark") << "fdp.exe" << QList<int>{1};
    QTest::newRow("the name as it would read reversed") << "invoiceexe.pdf" << QList<int>{};
}

void TestSafeText::historySearchFindsWhatIsShown() {
    QFETCH(QString, query);
    QFETCH(QList<int>, keys);
    history::Window h;
    ST_BLELEMENT spoofed = history::Element(1);
    spoofed.location = u"C:\\" + kSpoofed.toStdU16String();
    h.LoadAll({spoofed, history::Element(2)});
    h.Type(query);
    QCOMPARE(h.Keys(), keys);
}

void TestSafeText::caretInANameKeepsTheWholeHint() {
    // '^' is a valid character of a Windows name; in a hint it would start the hint's parts.
    Suspects w({ElementAt(u"C:\\a^b\\c^d.exe")});
    QTRY_COMPARE(w.carousel()->Count(), 1);
    QString hint;
    w.f.window()->lwSuspects2ItemHint(0, hint);
    QCOMPARE(HtmlToPlainText(tooltips::SplitHint(hint).text).section(QLatin1Char('\n'), 0, 1),
             QStringLiteral("c^d.exe\nC:\\a^b\\c^d.exe"));
}

void TestSafeText::hintOfALongPathStaysOnTheScreen() {
    QString path = QStringLiteral("C:\\");
    while (path.size() < 2000)
        path += QStringLiteral("carpeta%1\\").arg(path.size());
    path = path.left(1990) + QStringLiteral("\\final.exe");
    QCOMPARE(path.size(), 2000);
    Suspects w({ElementAt(path.toStdU16String())});
    QTRY_COMPARE(w.carousel()->Count(), 1);
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    // The carousel halfway down the screen: the hint opens above the cursor, in half the screen.
    w.f.parent.move(area.left() + 100, area.top() + area.height() / 2 - 100);
    QCoreApplication::processEvents();

    TSmoothImageList* carousel = w.carousel();
    const QPoint local = carousel->ItemRect(0).center();
    const QPoint cursor = carousel->mapToGlobal(local);
    QCursor::setPos(cursor);
    QMouseEvent move(QEvent::MouseMove, QPointF(local), QPointF(cursor), Qt::NoButton, Qt::NoButton, {});
    QApplication::sendEvent(carousel, &move);
    QVERIFY(!carousel->toolTip().isEmpty());
    QHelpEvent help(QEvent::ToolTip, local, cursor);
    QApplication::sendEvent(carousel, &help);

    TfrmTT1* tooltip = ShownTooltip();
    QVERIFY(tooltip);
    const QRect frame = tooltip->frameGeometry();
    QVERIFY2(area.contains(frame), qPrintable(QStringLiteral("%1,%2 %3x%4 outside %5x%6")
                                                  .arg(frame.x())
                                                  .arg(frame.y())
                                                  .arg(frame.width())
                                                  .arg(frame.height())
                                                  .arg(area.width())
                                                  .arg(area.height())));
    QVERIFY(frame.width() <= tooltip->TextWidth() + 100);
    QVERIFY(frame.height() <= area.height() / 2);
    // The path keeps its drive and its file name; its middle goes.
    const QString plain =
        HtmlToPlainText(tooltip->findChild<THTMLabel*>(QStringLiteral("lblMsg"))->HTMLText());
    QVERIFY2(plain.contains(QStringLiteral("...")), qPrintable(plain));
    QVERIFY2(plain.startsWith(QStringLiteral("final.exe\nC:\\carpeta3")), qPrintable(plain));
    QVERIFY2(plain.section(QLatin1Char('\n'), 0, -2).endsWith(QStringLiteral("final.exe")),
             qPrintable(plain));
}

void TestSafeText::tooltipKeptOnTheScreen_data() {
    QTest::addColumn<int>("direction");
    QTest::addColumn<QPoint>("fromCorner"); // from the top-left or, when negative, the bottom-right
    QTest::addColumn<int>("lines");
    QTest::newRow("left of the left edge") << 1 << QPoint(5, 200) << 2;
    QTest::newRow("right of the right edge") << 0 << QPoint(-5, 200) << 2;
    QTest::newRow("above the top") << 2 << QPoint(200, 5) << 2;
    QTest::newRow("below the bottom") << 0 << QPoint(200, -5) << 2;
    QTest::newRow("taller than the screen") << 3 << QPoint(-5, -5) << 200;
}

void TestSafeText::tooltipKeptOnTheScreen() {
    QFETCH(int, direction);
    QFETCH(QPoint, fromCorner);
    QFETCH(int, lines);
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    const QPoint at(fromCorner.x() >= 0 ? area.left() + fromCorner.x() : area.right() + 1 + fromCorner.x(),
                    fromCorner.y() >= 0 ? area.top() + fromCorner.y() : area.bottom() + 1 + fromCorner.y());
    QStringList text;
    for (int i = 0; i < lines; ++i)
        text << QStringLiteral("line %1 of a long hint").arg(i);
    QWidget owner;
    TfrmTT1 shared(&owner);
    shared.ShowAt(text.join(QStringLiteral("<BR>")), direction, at.x(), at.y());
    QVERIFY(shared.isVisible());
    QVERIFY(area.contains(shared.frameGeometry()));
}

QTEST_MAIN(TestSafeText)
#include "tst_safetext.moc"
