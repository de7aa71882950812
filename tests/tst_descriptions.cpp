// What the suspects window says about an element: names, descriptions, hints and times.
#include "comm/store/blelement.h"
#include "forms/suspectsform/itemdescription.h"
#include "support/recordingtranslator.h"

#include <QTest>

namespace {

ST_BLELEMENT Element(const std::u16string& location, const std::u16string& container = u"") {
    ST_BLELEMENT e;
    e.location = location;
    if (!container.empty())
        e.containerLocation = container;
    return e;
}

// 2026-01-31 23:30:00 UTC as a file time.
constexpr std::uint64_t kLastDayOfJanuary = 134143758000000000ULL;

} // namespace

class TestDescriptions : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void displayName_data();
    void displayName();
    void descriptionByType_data();
    void descriptionByType();
    void labTextNamesTheLab();
    void dataIsEscapedInMarkup();
    void detectionTimeIsLocal();
    void hintHasThreeLines();
    void anchors_data();
    void anchors();
};

void TestDescriptions::displayName_data() {
    QTest::addColumn<QString>("location");
    QTest::addColumn<QString>("container");
    QTest::addColumn<QString>("name");
    QTest::newRow("inside an archive") << "C:\\dir\\arc.zip\\inner\\file.exe"
                                       << "C:\\dir\\arc.zip"
                                       << "arc.zip\\inner\\file.exe";
    QTest::newRow("plain file") << "C:\\dir\\file.exe"
                                << ""
                                << "file.exe";
    QTest::newRow("drive root file") << "C:file.exe"
                                     << ""
                                     << "file.exe";
    QTest::newRow("no folder") << "file.exe"
                               << ""
                               << "file.exe";
    QTest::newRow("empty") << ""
                           << ""
                           << "";
    QTest::newRow("container longer than the location") << "C:\\a.zip"
                                                        << "C:\\a.zip\\deeper\\b.zip"
                                                        << "b.zip";
    QTest::newRow("container equal to the location") << "C:\\dir\\a.zip"
                                                     << "C:\\dir\\a.zip"
                                                     << "a.zip";
}

void TestDescriptions::displayName() {
    QFETCH(QString, location);
    QFETCH(QString, container);
    QFETCH(QString, name);
    QCOMPARE(DisplayName(Element(location.toStdU16String(), container.toStdU16String())), name);
}

void TestDescriptions::descriptionByType_data() {
    QTest::addColumn<int>("category");
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("link");
    QTest::newRow("adware") << 100 << 201 << "Está bloqueado por ser <b>una aplicación publicitaria</b>."
                            << true;
    QTest::newRow("toolbar") << 100 << 202 << "Está bloqueado por ser <b>una barra de herramientas</b>."
                             << true;
    QTest::newRow("network tool") << 100 << 203
                                  << "Está bloqueado por ser <b>una herramienta de administración de red</b>."
                                  << true;
    QTest::newRow("type 204 reads as the last row")
        << 100 << 204 << "Está bloqueado por ser un programa posiblemente no deseado." << true;
    QTest::newRow("category 20 whatever the type")
        << 20 << 201
        << "Está bloqueado porque <b>podría estar infectado por un "
           "virus</b> y se ha enviado al laboratorio de Norvik Software "
           "para analizarlo en detalle."
        << false;
}

void TestDescriptions::descriptionByType() {
    QFETCH(int, category);
    QFETCH(int, type);
    QFETCH(QString, text);
    QFETCH(bool, link);
    ST_BLELEMENT e = Element(u"C:\\x\\a.exe");
    e.category = static_cast<std::uint32_t>(category);
    e.itemType = static_cast<std::uint32_t>(type);
    e.informationId = 42;
    QCOMPARE(DescriptionText(nullptr, e, QStringLiteral("Norvik Software")), text);
    Q_UNUSED(link);
    QCOMPARE(WhyBlockedLink(nullptr, e), QStringLiteral("<a href=\"42\">¿Por qué lo hemos bloqueado?</a>"));
}

void TestDescriptions::labTextNamesTheLab() {
    RecordingSource recording;
    recording.translator.table = {
        {QStringLiteral("Está bloqueado porque <b>podría estar infectado por un virus</b> y se ha enviado al "
                        "laboratorio de %s para analizarlo en detalle."),
         QStringLiteral("Sent to the %s lab.")}};
    ST_BLELEMENT e = Element(u"C:\\x\\a.exe");
    e.category = 20;
    QCOMPARE(DescriptionText(&recording.source, e, QStringLiteral("Norvik")),
             QStringLiteral("Sent to the Norvik lab."));
}

void TestDescriptions::dataIsEscapedInMarkup() {
    ST_BLELEMENT e = Element(u"C:\\x\\<a href=\"1\">evil</a>.exe");
    e.itemType = 201;
    const QString reason = ConfirmationReason(nullptr, e);
    QVERIFY(!reason.contains(QStringLiteral("<a href")));
    QVERIFY(reason.contains(QStringLiteral("&lt;a href")));
    e.category = 20;
    QVERIFY(!DescriptionText(nullptr, e, QStringLiteral("<b>Lab</b>")).contains(QStringLiteral("<b>Lab")));
    QVERIFY(!ItemHintText(e).contains(QStringLiteral("<a href")));
}

void TestDescriptions::detectionTimeIsLocal() {
    // Madrid is one hour ahead of UTC in winter: 23:30 on the last day of the month is already
    // the next day there. The tests run with LANG=es_ES.UTF-8 and TZ=Europe/Madrid.
    const QString text = FormatDetectionTime(kLastDayOfJanuary);
    QCOMPARE(text, QStringLiteral("1/2/26 0:30"));
    QVERIFY(!text.contains(QStringLiteral(":00:")));
}

void TestDescriptions::hintHasThreeLines() {
    ST_BLELEMENT e = Element(u"\\??\\C:\\Users\\ana\\a.zip\\b.exe", u"\\??\\C:\\Users\\ana\\a.zip");
    e.actionTime = kLastDayOfJanuary;
    QCOMPARE(ItemHintText(e), QStringLiteral("a.zip\\b.exe<BR>C:\\Users\\ana\\a.zip\\b.exe<BR>1/2/26 0:30"));
}

void TestDescriptions::anchors_data() {
    QTest::addColumn<QString>("anchor");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<uint>("number");
    QTest::newRow("decimal") << "12345" << true << 12345u;
    QTest::newRow("hash from a text link") << "#" << false << 0u;
    QTest::newRow("letters") << "abc" << false << 0u;
    QTest::newRow("empty") << "" << false << 0u;
    QTest::newRow("negative") << "-5" << false << 0u;
}

void TestDescriptions::anchors() {
    QFETCH(QString, anchor);
    QFETCH(bool, ok);
    QFETCH(uint, number);
    std::uint32_t parsed = 0;
    QCOMPARE(ParseDetectionAnchor(anchor, parsed), ok);
    if (ok)
        QCOMPARE(parsed, number);
}

QTEST_MAIN(TestDescriptions)
#include "tst_descriptions.moc"
