// Text routines: plain text and fitting of marked-up text, translation of texts and windows.
#include "controls/htmlabel.h"
#include "i18n/utranslate.h"
#include "support/htmltext.h"
#include "support/recordingtranslator.h"

#include <QApplication>
#include <QFontDatabase>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <algorithm>
#include <vector>

namespace {

// Derived from the marked-up label: translated like any other control.
class DerivedLabel final : public THTMLabel {
    Q_OBJECT
public:
    using THTMLabel::THTMLabel;
};

QFont TestFont() {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(12);
    return font;
}

int Width(const QString& text, bool bold = false) {
    QFont font = TestFont();
    font.setBold(bold);
    return TextWidthInPixels(font, text, static_cast<int>(text.size()));
}

constexpr int kMargin = 4;

// A faulty host translator: always reports the same needed size, and either answers nothing
// or fills the whole buffer it is given with 'y' and no terminator, claiming success.
class HostileTranslator final : public IZrunTranslator {
public:
    void Reserved0() override {}
    void Reserved1() override {}
    void Reserved2() override {}
    int32_t Query(uint32_t*, const char16_t*, char16_t* buffer, uint32_t* capacity) override {
        capacities.push_back(*capacity);
        if (fills)
            std::fill_n(buffer, *capacity, u'y');
        *capacity = reported;
        return fills ? 1 : 0;
    }

    std::uint32_t reported = 0;
    bool fills = false;
    std::vector<std::uint32_t> capacities;
};

} // namespace

class TestText : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void plainText_data();
    void plainText();
    void fitHtml_data();
    void fitHtml();
    void fitHtmlMeasuresBoldInBold();
    void fitHtmlNeverBreaksInsideATag();
    void translateText_data();
    void translateText();
    void translateTextAsksAgainForLongTexts();
    void translateTextPassesTheContext();
    void translateTextDistrustsTheReportedSize_data();
    void translateTextDistrustsTheReportedSize();
    void translateForm();
    void translateFormWithoutTranslatorDoesNothing();
    void formatText_data();
    void formatText();
};

void TestText::plainText_data() {
    QTest::addColumn<QString>("html");
    QTest::addColumn<QString>("plain");
    QTest::newRow("plain text stays") << "Hola mundo"
                                      << "Hola mundo";
    QTest::newRow("bold word becomes the bare word") << "<b>Virus</b> encontrado"
                                                     << "Virus encontrado";
    QTest::newRow("upper case break becomes a line feed") << "uno<BR>dos"
                                                          << "uno\ndos";
    QTest::newRow("lower case break becomes a line feed") << "uno<br>dos"
                                                          << "uno\ndos";
    QTest::newRow("rule becomes a line feed") << "uno<hr>dos"
                                              << "uno\ndos";
    QTest::newRow("self-closing break is a tag, dropped") << "uno<br />dos"
                                                          << "unodos";
    QTest::newRow("hidden span dropped with its marks") << "antes <z>oculto</z> despues"
                                                        << "antes  despues";
    QTest::newRow("upper case hidden span dropped") << "a<Z>x</Z>b"
                                                    << "ab";
    QTest::newRow("two hidden spans") << "a<z>1</z>b<z>2</z>c"
                                      << "abc";
    QTest::newRow("unclosed hidden span hides the rest once") << "texto <z>sin cierre"
                                                              << "texto ";
    QTest::newRow("span closed in the other case hides the rest") << "a<z>x</Z>b"
                                                                  << "a";
    QTest::newRow("link keeps its text") << "Ver <A href=\"42\">detalles</A>."
                                         << "Ver detalles.";
    QTest::newRow("lone less-than sign is text") << "a < b"
                                                 << "a < b";
    QTest::newRow("tags before a hidden span are dropped too") << "<b>a</b><z>x</z>c"
                                                               << "ac";
    QTest::newRow("escaped characters decoded") << "a &amp; b &lt;c&gt; &quot;d&quot;"
                                                << "a & b <c> \"d\"";
    QTest::newRow("empty") << ""
                           << "";
}

void TestText::plainText() {
    QFETCH(QString, html);
    QFETCH(QString, plain);
    QCOMPARE(HtmlToPlainText(html), plain);
}

void TestText::fitHtml_data() {
    QTest::addColumn<QString>("html");
    QTest::addColumn<int>("maxWidth");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<int>("lines");

    QTest::newRow("empty text has no lines") << "" << 200 << "" << 0;
    QTest::newRow("text that fits is unchanged") << "Hola mundo" << 1000 << "Hola mundo" << 1;
    QTest::newRow("explicit break counts a line") << "uno<br>dos" << 1000 << "uno<br>dos" << 2;
    QTest::newRow("existing self-closing break not doubled") << "uno<BR />dos" << 1000 << "uno<BR />dos" << 2;
    QTest::newRow("bold that fits is unchanged") << "<b>uno</b> dos" << 1000 << "<b>uno</b> dos" << 1;
    const int twoWords = kMargin + Width(QStringLiteral("uno ")) + Width(QStringLiteral("dos ")) + 1;
    QTest::newRow("third word goes to the next line")
        << "uno dos tres" << twoWords << "uno dos <BR />tres" << 2;
    const int fiveLetters = kMargin + Width(QStringLiteral("aaaaa"));
    QTest::newRow("long word cut into pieces that fit")
        << "aaaaaaaaaaaaaaaaaaaa" << fiveLetters << "aaaaa<BR />aaaaa<BR />aaaaa<BR />aaaaa" << 4;
}

void TestText::fitHtml() {
    QFETCH(QString, html);
    QFETCH(int, maxWidth);
    QFETCH(QString, expected);
    QFETCH(int, lines);
    int count = -1;
    QCOMPARE(FitHtmlToWidth(html, TestFont(), maxWidth, &count), expected);
    QCOMPARE(count, lines);
}

void TestText::fitHtmlMeasuresBoldInBold() {
    const QString word = QStringLiteral("MMMMMM");
    QVERIFY2(Width(word, true) > Width(word) + 2, "the test font has no wider bold face");
    const int maxWidth = kMargin + Width(word) + 1;
    int lines = 0;
    QCOMPARE(FitHtmlToWidth(word, TestFont(), maxWidth, &lines), word);
    QCOMPARE(lines, 1);
    const QString bold = QStringLiteral("<b>") + word + QStringLiteral("</b>");
    const QString fitted = FitHtmlToWidth(bold, TestFont(), maxWidth, &lines);
    QCOMPARE(lines, 2);
    QVERIFY(fitted.contains(QLatin1String("<BR />")));
    QCOMPARE(QString(fitted).remove(QStringLiteral("<BR />")), bold);
}

void TestText::fitHtmlNeverBreaksInsideATag() {
    const QString html = QStringLiteral("<b>aaaaaaaa</b><A href=\"12345\">bbbbbbbbbbbb</A>");
    const QString fitted =
        FitHtmlToWidth(html, TestFont(), kMargin + Width(QStringLiteral("aaa"), true), nullptr);
    QVERIFY(fitted.count(QLatin1String("<BR />")) >= 3);
    QCOMPARE(QString(fitted).remove(QStringLiteral("<BR />")), html);
    static const QRegularExpression insideTag(QStringLiteral("<[^>]*<BR />"));
    QVERIFY2(!insideTag.match(fitted).hasMatch(), qPrintable(fitted));
}

void TestText::translateText_data() {
    QTest::addColumn<bool>("withTranslator");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("expected");
    QTest::newRow("null translator keeps the key") << false << "Eliminarlo"
                                                   << "Eliminarlo";
    QTest::newRow("miss keeps the key") << true << "Sin traducir"
                                        << "Sin traducir";
    QTest::newRow("hit gives the translation") << true << "Eliminarlo"
                                               << "Remove it";
    QTest::newRow("empty hit gives an empty text") << true << "Vacío"
                                                   << "";
    QTest::newRow("key with markup and line end is looked up whole") << true << "<b>abc</b>\r\n"
                                                                     << "<b>ABC</b>\r\n";
}

void TestText::translateText() {
    QFETCH(bool, withTranslator);
    QFETCH(QString, key);
    QFETCH(QString, expected);
    RecordingSource recording;
    recording.translator.table = {{QStringLiteral("Eliminarlo"), QStringLiteral("Remove it")},
                                  {QStringLiteral("Vacío"), QString()},
                                  {QStringLiteral("<b>abc</b>\r\n"), QStringLiteral("<b>ABC</b>\r\n")}};
    ZrunTranslationSource none{nullptr, 0};
    const QString result = TranslateText(withTranslator ? &recording.source : &none, key);
    QCOMPARE(result, expected);
    QCOMPARE(result.isNull(), false);
    QCOMPARE(TranslateText(nullptr, key), key);
}

void TestText::translateTextAsksAgainForLongTexts() {
    RecordingSource recording;
    const QString longText(3000, QLatin1Char('x'));
    recording.translator.table = {{QStringLiteral("largo"), longText}};
    recording.translator.reportNeeded = 3000;
    QCOMPARE(TranslateText(&recording.source, QStringLiteral("largo")), longText);
    QCOMPARE(recording.translator.queries.size(), std::size_t(2));
    QCOMPARE(recording.translator.queries[0].capacity, 1024u);
    QCOMPARE(recording.translator.queries[1].capacity, 3001u);
}

void TestText::translateTextPassesTheContext() {
    RecordingSource recording;
    TranslateText(&recording.source, QStringLiteral("x"));
    QCOMPARE(recording.translator.queries.at(0).context, 7u);
    QCOMPARE(recording.translator.queries.size(), std::size_t(1));
}

void TestText::translateTextDistrustsTheReportedSize_data() {
    QTest::addColumn<quint32>("reported");
    QTest::addColumn<bool>("fills");
    QTest::addColumn<quint32>("secondCapacity");
    QTest::addColumn<int>("expectedLength"); // -1: the key
    QTest::newRow("0xFFFFFFFF, no answer") << 0xFFFFFFFFu << false << 65536u << -1;
    QTest::newRow("0xFFFFFFFE, no answer") << 0xFFFFFFFEu << false << 65536u << -1;
    QTest::newRow("huge, no answer") << 0x80000000u << false << 65536u << -1;
    QTest::newRow("just above the limit, no answer") << 65536u << false << 65536u << -1;
    QTest::newRow("just below the limit, no answer") << 65535u << false << 65536u << -1;
    QTest::newRow("0xFFFFFFFF, fills without an end") << 0xFFFFFFFFu << true << 65536u << 65535;
    QTest::newRow("more than written, fills without an end") << 5000u << true << 5001u << 5000;
}

void TestText::translateTextDistrustsTheReportedSize() {
    QFETCH(quint32, reported);
    QFETCH(bool, fills);
    QFETCH(quint32, secondCapacity);
    QFETCH(int, expectedLength);
    HostileTranslator translator;
    translator.reported = reported;
    translator.fills = fills;
    ZrunTranslationSource source{&translator, 0};
    const QString key = QStringLiteral("clave");
    const QString result = TranslateText(&source, key);
    QCOMPARE(translator.capacities, (std::vector<std::uint32_t>{1024u, secondCapacity}));
    if (expectedLength < 0)
        QCOMPARE(result, key);
    else
        QCOMPARE(result, QString(expectedLength, QLatin1Char('y')));
}

void TestText::translateForm() {
    RecordingSource recording;
    recording.translator.table = {
        {QStringLiteral("Papelera"), QStringLiteral("Recycle bin")},
        {QStringLiteral("Eliminarlo"), QStringLiteral("Remove it")},
        {QStringLiteral("texto del usuario"), QStringLiteral("user text")},
        {QStringLiteral("abc\r\n"), QStringLiteral("ABC\r\n")},
        {QStringLiteral("derivada"), QStringLiteral("derived")},
        {QStringLiteral("Archivo"), QStringLiteral("File")},
        {QStringLiteral("Abrir"), QStringLiteral("Open")},
        {QStringLiteral("Cerrar"), QStringLiteral("Close")},
    };
    QWidget window;
    window.setWindowTitle(QStringLiteral("Papelera"));
    auto* button = new QPushButton(QStringLiteral("Eliminarlo"), &window);
    auto* edit = new QLineEdit(QStringLiteral("texto del usuario"), &window);
    auto* html = new THTMLabel(&window);
    html->SetHTMLText(QStringLiteral("abc"));
    auto* derived = new DerivedLabel(&window);
    derived->SetHTMLText(QStringLiteral("derivada"));
    auto* menuBar = new QMenuBar(&window);
    QMenu* fileMenu = menuBar->addMenu(QStringLiteral("Archivo"));
    fileMenu->addAction(QStringLiteral("Abrir"));
    QMenu* sub = fileMenu->addMenu(QStringLiteral("Archivo"));
    sub->addAction(QStringLiteral("Cerrar"));
    auto* popup = new QMenu(&window);
    QAction* popupAction = popup->addAction(QStringLiteral("Abrir"));

    TranslateForm(&recording.source, &window);

    QCOMPARE(window.windowTitle(), QStringLiteral("Recycle bin"));
    QCOMPARE(button->text(), QStringLiteral("Remove it"));
    QCOMPARE(edit->text(), QStringLiteral("texto del usuario"));
    QVERIFY(!recording.translator.Keys().contains(QStringLiteral("texto del usuario")));
    QCOMPARE(html->HTMLText(), QStringLiteral("ABC"));
    QVERIFY(recording.translator.Keys().contains(QStringLiteral("abc\r\n")));
    // The derived label is asked for its caption, not its marked-up text.
    QVERIFY(recording.translator.Keys().contains(QStringLiteral("derivada")));
    QVERIFY(!recording.translator.Keys().contains(QStringLiteral("derivada\r\n")));
    QCOMPARE(derived->HTMLText(), QStringLiteral("derivada"));
    QCOMPARE(fileMenu->title(), QStringLiteral("File"));
    QCOMPARE(fileMenu->actions().at(0)->text(), QStringLiteral("Open"));
    QCOMPARE(sub->actions().at(0)->text(), QStringLiteral("Close"));
    QCOMPARE(popupAction->text(), QStringLiteral("Abrir"));
}

void TestText::translateFormWithoutTranslatorDoesNothing() {
    QWidget window;
    window.setWindowTitle(QStringLiteral("Papelera"));
    ZrunTranslationSource none{nullptr, 0};
    TranslateForm(&none, &window);
    TranslateForm(nullptr, &window);
    RecordingSource recording;
    TranslateForm(&recording.source, nullptr);
    QCOMPARE(window.windowTitle(), QStringLiteral("Papelera"));
    QVERIFY(recording.translator.queries.empty());
}

void TestText::formatText_data() {
    QTest::addColumn<QString>("format");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("expected");
    QTest::newRow("one text") << "Hola %s." << QStringList{"Ana"} << "Hola Ana.";
    QTest::newRow("number and text in order") << "%d de %s" << QStringList{"3", "5"} << "3 de 5";
    QTest::newRow("missing argument leaves the place empty") << "%s y %s" << QStringList{"a"} << "a y ";
    QTest::newRow("extra arguments ignored") << "%s" << QStringList{"a", "b"} << "a";
    QTest::newRow("percent sign") << "%d%%" << QStringList{"7"} << "7%";
    QTest::newRow("wide and long forms") << "%S %ls %li %lu" << QStringList{"a", "b", "1", "2"} << "a b 1 2";
    QTest::newRow("unknown conversion kept") << "%x %n %p" << QStringList{"a"} << "%x %n %p";
    QTest::newRow("trailing percent kept") << "100%" << QStringList{} << "100%";
}

void TestText::formatText() {
    QFETCH(QString, format);
    QFETCH(QStringList, arguments);
    QFETCH(QString, expected);
    QString result;
    switch (arguments.size()) {
    case 0:
        result = FormatText(format, {});
        break;
    case 1:
        result = FormatText(format, {arguments[0]});
        break;
    case 2:
        result = FormatText(format, {arguments[0], arguments[1]});
        break;
    default:
        result = FormatText(format, {arguments[0], arguments[1], arguments[2], arguments[3]});
        break;
    }
    QCOMPARE(result, expected);
}

QTEST_MAIN(TestText)
#include "tst_text.moc"
