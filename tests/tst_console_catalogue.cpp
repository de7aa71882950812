// The console's catalogues (console/translations/zrun_<language>.ts) against the module: every
// text a window asks for has its answer, a catalogue holds no text that no window asks for, and
// the compiled catalogue answers exactly what its Linguist file says.
//
// The texts the module asks for are read from the sources (src/ and console/): the literal keys
// of every TranslateText call (and of the console's own Tr calls), the keys of the calls that build their key
// listed below by hand, and what the translated windows and the description routines ask for when they run.
#include "comm/store/blelement.h"
#include "forms/suspectsform/itemdescription.h"
#include "hostobjects.h"
#include "service/quarantinestore.h"
#include "support/historyfixture.h"
#include "support/recordingtranslator.h"

#include <QDirIterator>
#include <QFile>
#include <QLibraryInfo>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>
#include <optional>
#include <vector>

namespace {

QString SourcePath(const QString& relative) {
    return QStringLiteral(ZRUN_SOURCE_DIR "/") + relative;
}

// The item types the console's service reports; the history window asks for "TYPE_<code>".
const QStringList kItemTypeKeys{"TYPE_201", "TYPE_202", "TYPE_203", "TYPE_204", "TYPE_205", "TYPE_206"};

// TranslateText calls whose key is not a literal of the call, with the keys each can ask for:
// literals written elsewhere in the same file, or keys built at run time. No keys: the harvest
// below runs that call for every value it can take.
struct IndirectCall {
    const char* file;
    const char* argument; // as written, without white space
    QStringList keys;
    bool built = false;
};
const std::vector<IndirectCall>& IndirectCalls() {
    static const std::vector<IndirectCall> calls{
        {"src/forms/suspectsform/itemdescription.cpp",
         "QString::fromUtf8(TextsOfType(element.itemType).description)",
         {}},
        {"src/forms/suspectsform/itemdescription.cpp",
         "QString::fromUtf8(TextsOfType(element.itemType).reason)",
         {}},
        {"src/forms/historysuspectsform/historysuspectsform.cpp", "QString::fromUtf16(headers[c])", {}},
        {"src/forms/historysuspectsform/historysuspectsform.cpp",
         "QStringLiteral(\"TYPE_\")+QString::number(itemType)", kItemTypeKeys, true},
        // The console's status line and store errors, handed to the service and the store.
        {"console/consoleform.cpp", "key", {}},
        {"src/forms/historysuspectsform/historysuspectsform.cpp",
         "format",
         {"%s eliminado/a:", "%s neutralizado/a:"}},
    };
    return calls;
}

// The windows that translate their controls with TranslateForm; the harvest builds each.
const QStringList kTranslatedWindows{"src/forms/historysuspectsform/historysuspectsform.cpp",
                                     "src/forms/suspectsform/suspectsform.cpp"};

// --- Reading the sources -----------------------------------------------------------------

struct Token {
    enum Kind { Identifier, Literal, Other } kind = Other;
    QString text;  // as written
    QString value; // a literal's text
    int line = 0;
};

bool IsIdentifierChar(QChar c) {
    return c.isLetterOrNumber() || c == QLatin1Char('_');
}

// Decodes the escape after a backslash at `i` onto `value`; returns the index after it.
qsizetype DecodeEscape(const QString& code, qsizetype i, QString& value) {
    static const QHash<QChar, QChar> simple{{u'n', u'\n'},    {u'r', u'\r'},    {u't', u'\t'},
                                            {u'a', QChar(7)}, {u'b', QChar(8)}, {u'f', QChar(12)},
                                            {u'v', QChar(11)}};
    const QChar e = code.at(i);
    if (const auto it = simple.constFind(e); it != simple.constEnd()) {
        value += *it;
        return i + 1;
    }
    // A numeric escape: \x.., \u...., \U........ or up to three octal digits, as one code point.
    int base = 16, most = 8;
    qsizetype from = i + 1;
    if (e == u'u') {
        most = 4;
    } else if (e >= u'0' && e <= u'7') {
        base = 8;
        most = 3;
        from = i;
    } else if (e != u'x' && e != u'U') {
        value += e; // \" \' \\ \?
        return i + 1;
    }
    qsizetype end = from;
    bool digit = true;
    while (end < code.size() && end - from < most) {
        code.mid(end, 1).toUInt(&digit, base);
        if (!digit)
            break;
        ++end;
    }
    const char32_t point = code.mid(from, end - from).toUInt(nullptr, base);
    value += QString::fromUcs4(&point, 1);
    return end;
}

// The tokens of a C++ file: comments dropped, literals decoded. Problems go to `problems`.
std::vector<Token> Tokens(const QString& code, const QString& file, QStringList& problems) {
    std::vector<Token> tokens;
    const qsizetype n = code.size();
    int line = 1;
    auto at = [&](qsizetype i) { return i < n ? code.at(i) : QChar(); };
    qsizetype i = 0;
    while (i < n) {
        const QChar c = code.at(i);
        if (c == QLatin1Char('\n')) {
            ++line;
            ++i;
        } else if (c.isSpace()) {
            ++i;
        } else if (c == QLatin1Char('/') && at(i + 1) == QLatin1Char('/')) {
            while (i < n && code.at(i) != QLatin1Char('\n'))
                ++i;
        } else if (c == QLatin1Char('/') && at(i + 1) == QLatin1Char('*')) {
            const qsizetype end = code.indexOf(QLatin1String("*/"), i + 2);
            const qsizetype stop = end < 0 ? n : end + 2;
            line += int(QStringView(code).mid(i, stop - i).count(QLatin1Char('\n')));
            i = stop;
        } else if (c.isDigit() || (c == QLatin1Char('.') && at(i + 1).isDigit())) {
            // Numbers, with digit separators and exponents.
            const qsizetype start = i;
            while (i < n && (IsIdentifierChar(code.at(i)) || code.at(i) == QLatin1Char('.') ||
                             code.at(i) == QLatin1Char('\''))) {
                const QChar d = code.at(i++);
                if ((d == QLatin1Char('e') || d == QLatin1Char('E') || d == QLatin1Char('p') ||
                     d == QLatin1Char('P')) &&
                    (at(i) == QLatin1Char('+') || at(i) == QLatin1Char('-')))
                    ++i;
            }
            tokens.push_back({Token::Other, code.mid(start, i - start), {}, line});
        } else if (IsIdentifierChar(c) || c == QLatin1Char('"') || c == QLatin1Char('\'')) {
            const qsizetype start = i;
            while (i < n && IsIdentifierChar(code.at(i)))
                ++i;
            const QString word = code.mid(start, i - start);
            const QChar quote = at(i);
            static const QStringList prefixes{"", "u", "U", "L", "u8"};
            const bool raw = word.endsWith(QLatin1Char('R')) && prefixes.contains(word.chopped(1));
            if ((quote != QLatin1Char('"') && quote != QLatin1Char('\'')) ||
                (!raw && !prefixes.contains(word))) {
                tokens.push_back({Token::Identifier, word, {}, line});
                continue;
            }
            const int startLine = line;
            QString value;
            if (raw && quote == QLatin1Char('"')) {
                const qsizetype open = code.indexOf(QLatin1Char('('), i + 1);
                const QString closing = QLatin1Char(')') + code.mid(i + 1, open - i - 1) + QLatin1Char('"');
                const qsizetype end = code.indexOf(closing, open + 1);
                if (open < 0 || end < 0) {
                    problems << QStringLiteral("%1:%2: a raw literal without its end").arg(file).arg(line);
                    return tokens;
                }
                value = code.mid(open + 1, end - open - 1);
                i = end + closing.size();
            } else {
                // An ordinary literal, with C++'s escapes.
                ++i;
                while (i < n && code.at(i) != quote && code.at(i) != QLatin1Char('\n')) {
                    const QChar d = code.at(i++);
                    if (d != QLatin1Char('\\') || i >= n) {
                        value += d;
                        continue;
                    }
                    i = DecodeEscape(code, i, value);
                }
                if (at(i) != quote)
                    problems << QStringLiteral("%1:%2: a literal without its end").arg(file).arg(line);
                ++i;
            }
            line += int(QStringView(code).mid(start, i - start).count(QLatin1Char('\n')));
            if (quote == QLatin1Char('"'))
                tokens.push_back({Token::Literal, code.mid(start, i - start), value, startLine});
            else
                tokens.push_back({Token::Other, QStringLiteral("'c'"), {}, startLine});
        } else if (c == QLatin1Char(':') && at(i + 1) == QLatin1Char(':')) {
            tokens.push_back({Token::Other, QStringLiteral("::"), {}, line});
            i += 2;
        } else {
            tokens.push_back({Token::Other, QString(c), {}, line});
            ++i;
        }
    }
    return tokens;
}

using Range = std::pair<std::size_t, std::size_t>; // [first, last)

QString Written(const std::vector<Token>& tokens, Range r) {
    QString text;
    for (std::size_t i = r.first; i < r.second; ++i)
        text += tokens[i].text;
    return text;
}

// The key an argument spells: adjacent literals, bare or inside one of Qt's string wrappers.
std::optional<QString> LiteralKey(const std::vector<Token>& tokens, Range r) {
    auto literals = [&](std::size_t first, std::size_t last) -> std::optional<QString> {
        if (first >= last)
            return std::nullopt;
        QString key;
        for (std::size_t i = first; i < last; ++i) {
            if (tokens[i].kind != Token::Literal)
                return std::nullopt;
            key += tokens[i].value;
        }
        return key;
    };
    if (const auto bare = literals(r.first, r.second))
        return bare;
    static const QStringList wrappers{"QStringLiteral",     "QLatin1String",     "QLatin1StringView",
                                      "QStringView",        "QString::fromUtf8", "QString::fromUtf16",
                                      "QString::fromLatin1"};
    for (std::size_t open = r.first + 1; open < r.second && open <= r.first + 3; ++open) {
        if (tokens[open].text == QLatin1String("(") && tokens[r.second - 1].text == QLatin1String(")") &&
            wrappers.contains(Written(tokens, {r.first, open})))
            return literals(open + 1, r.second - 1);
    }
    return std::nullopt;
}

struct Scan {
    QSet<QString> keys;                     // keys written as literals in the calls
    QHash<QString, QSet<QString>> literals; // every literal of a file, adjacent ones joined
    QStringList indirect;                   // "file: argument" of every other call
    QSet<QString> translatedForms;          // files that call TranslateForm
    QStringList problems;
};

void ScanFile(const QString& relative, Scan& scan) {
    QFile file(SourcePath(relative));
    if (!file.open(QIODevice::ReadOnly)) {
        scan.problems << relative + QStringLiteral(": cannot be read");
        return;
    }
    const std::vector<Token> tokens = Tokens(QString::fromUtf8(file.readAll()), relative, scan.problems);
    QString run;
    for (std::size_t i = 0; i <= tokens.size(); ++i) {
        if (i < tokens.size() && tokens[i].kind == Token::Literal) {
            run += tokens[i].value;
        } else if (!run.isEmpty()) {
            scan.literals[relative].insert(run);
            run.clear();
        }
    }
    for (std::size_t i = 0; i + 1 < tokens.size(); ++i) {
        if (tokens[i].kind != Token::Identifier || tokens[i + 1].text != QLatin1String("("))
            continue;
        if (tokens[i].text == QLatin1String("TranslateForm")) {
            scan.translatedForms.insert(relative);
            continue;
        }
        // The module's texts go through TranslateText (translator, key); the console's own through
        // its one-argument Tr / tr.
        const bool moduleCall = tokens[i].text == QLatin1String("TranslateText");
        const bool consoleCall =
            relative.startsWith(QLatin1String("console/")) &&
            (tokens[i].text == QLatin1String("Tr") || tokens[i].text == QLatin1String("tr")) &&
            !(i > 0 && tokens[i - 1].kind == Token::Identifier &&
              tokens[i - 1].text != QLatin1String("return"));
        if (!moduleCall && !consoleCall)
            continue;
        // The arguments, split at the commas outside brackets.
        std::vector<Range> arguments;
        std::size_t start = i + 2;
        int depth = 0;
        std::size_t j = i + 2;
        for (; j < tokens.size(); ++j) {
            const QString& t = tokens[j].text;
            if (t == QLatin1String("(") || t == QLatin1String("[") || t == QLatin1String("{"))
                ++depth;
            else if ((t == QLatin1String(")") || t == QLatin1String("]") || t == QLatin1String("}")) &&
                     depth-- == 0)
                break;
            else if (t == QLatin1String(",") && depth == 0) {
                arguments.push_back({start, j});
                start = j + 1;
            }
        }
        arguments.push_back({start, j});
        const QString where = QStringLiteral("%1:%2").arg(relative).arg(tokens[i].line);
        if (arguments.size() != (moduleCall ? 2u : 1u)) {
            scan.problems << where + QStringLiteral(": a %1 call with %2 arguments")
                                         .arg(tokens[i].text)
                                         .arg(arguments.size());
            continue;
        }
        const Range key = arguments[moduleCall ? 1 : 0];
        if (const auto literal = LiteralKey(tokens, key)) {
            scan.keys.insert(*literal);
            continue;
        }
        // "condition ? literal : literal"
        std::optional<std::size_t> question, colon;
        depth = 0;
        for (std::size_t k = key.first; k < key.second; ++k) {
            const QString& t = tokens[k].text;
            if (t == QLatin1String("(") || t == QLatin1String("[") || t == QLatin1String("{"))
                ++depth;
            else if (t == QLatin1String(")") || t == QLatin1String("]") || t == QLatin1String("}"))
                --depth;
            else if (depth == 0 && t == QLatin1String("?") && !question)
                question = k;
            else if (depth == 0 && t == QLatin1String(":") && question && !colon)
                colon = k;
        }
        if (question && colon) {
            const auto first = LiteralKey(tokens, {*question + 1, *colon});
            const auto second = LiteralKey(tokens, {*colon + 1, key.second});
            if (first && second) {
                scan.keys.insert(*first);
                scan.keys.insert(*second);
                continue;
            }
        }
        scan.indirect << relative + QStringLiteral(": ") + Written(tokens, key);
    }
}

Scan ScanSources() {
    Scan scan;
    for (const QString& folder : {QStringLiteral("src"), QStringLiteral("console")}) {
        QDirIterator it(SourcePath(folder), {QStringLiteral("*.cpp"), QStringLiteral("*.h")}, QDir::Files,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString relative = it.next().mid(SourcePath(QString()).size());
            // The translation engine itself: its calls pass on the windows' captions, which the
            // harvest sees.
            if (!relative.startsWith(QLatin1String("src/i18n/")))
                ScanFile(relative, scan);
        }
    }
    return scan;
}

// What the translated windows and the description routines ask for when they run.
QSet<QString> Harvest() {
    QSet<QString> keys;
    {
        // The suspects window and the history window, each translated at construction.
        history::Window h;
        for (const QString& key : h.f.translation.translator.Keys())
            keys.insert(key);
    }
    RecordingSource recording;
    for (const std::uint32_t category : {20u, 100u}) {
        for (std::uint32_t type = 0; type < 1024; ++type) {
            ST_BLELEMENT element;
            element.category = category;
            element.itemType = type;
            element.location = u"C:\\x.exe";
            DescriptionText(&recording.source, element, QStringLiteral("Lab"));
            ConfirmationReason(&recording.source, element);
            WhyBlockedLink(&recording.source, element);
        }
    }
    for (const QString& key : recording.translator.Keys())
        keys.insert(key);
    // The store's errors, each a whole sentence the console translates.
    using Code = StoreOpenError::Code;
    for (const Code code : {Code::NoDataFolder, Code::CannotCreateFolder, Code::NoDriver, Code::CannotOpen,
                            Code::NotADatabase, Code::ForeignDatabase, Code::NewerVersion, Code::Failed})
        keys.insert(StoreOpenErrorTemplate(code));
    // The history's fourth header is empty: no text to translate.
    keys.remove(QString());
    return keys;
}

// --- Reading a catalogue ------------------------------------------------------------------

struct Catalogue {
    QString version, language, sourceLanguage;
    QStringList contexts;
    QList<std::pair<QString, QString>> messages; // source, translation
    QString error;
};

Catalogue ReadCatalogue(const QString& language) {
    Catalogue catalogue;
    QFile file(SourcePath(QStringLiteral("console/translations/zrun_%1.ts").arg(language)));
    if (!file.open(QIODevice::ReadOnly)) {
        catalogue.error = file.fileName() + QStringLiteral(": cannot be read");
        return catalogue;
    }
    QXmlStreamReader xml(&file);
    if (xml.readNextStartElement() && xml.name() == QLatin1String("TS")) {
        catalogue.version = xml.attributes().value(QLatin1String("version")).toString();
        catalogue.language = xml.attributes().value(QLatin1String("language")).toString();
        catalogue.sourceLanguage = xml.attributes().value(QLatin1String("sourcelanguage")).toString();
        while (xml.readNextStartElement()) {
            if (xml.name() != QLatin1String("context")) {
                xml.skipCurrentElement();
                continue;
            }
            while (xml.readNextStartElement()) {
                if (xml.name() == QLatin1String("name")) {
                    catalogue.contexts << xml.readElementText();
                } else if (xml.name() == QLatin1String("message")) {
                    std::pair<QString, QString> message;
                    while (xml.readNextStartElement()) {
                        if (xml.name() == QLatin1String("source"))
                            message.first = xml.readElementText();
                        else if (xml.name() == QLatin1String("translation"))
                            message.second = xml.readElementText();
                        else
                            xml.skipCurrentElement();
                    }
                    catalogue.messages << message;
                } else {
                    xml.skipCurrentElement();
                }
            }
        }
    } else {
        catalogue.error = file.fileName() + QStringLiteral(": no TS element");
    }
    if (xml.hasError())
        catalogue.error =
            QStringLiteral("%1:%2: %3").arg(file.fileName()).arg(xml.lineNumber()).arg(xml.errorString());
    return catalogue;
}

// What a translator answers for a key through the host interface: the text, or nothing.
std::optional<QString> Answer(ConsoleTranslator& translator, const QString& key) {
    std::u16string buffer(4096, u'\0');
    auto capacity = std::uint32_t(buffer.size());
    std::uint32_t context = 0;
    if (translator.Query(&context, reinterpret_cast<const char16_t*>(key.utf16()), buffer.data(),
                         &capacity) != 1)
        return std::nullopt;
    return QString::fromStdU16String(buffer.substr(0, capacity - 1));
}

} // namespace

class TestConsoleCatalogue : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void theSourcesAreReadWhole();
    void everyAskedTextIsAnswered_data();
    void everyAskedTextIsAnswered();
    void theCatalogueHoldsOnlyAskedTexts_data();
    void theCatalogueHoldsOnlyAskedTexts();
    void theFilesAreLinguistFiles_data();
    void theFilesAreLinguistFiles();
    void theCompiledCatalogueAnswersAsWritten_data();
    void theCompiledCatalogueAnswersAsWritten();
    void trickyTexts_data();
    void trickyTexts();
    void lineEndsAndSpacesSurviveCompilation();

private:
    Scan m_scan;
    QSet<QString> m_asked;
};

void TestConsoleCatalogue::initTestCase() {
    m_scan = ScanSources();
    m_asked = m_scan.keys + Harvest();
    for (const IndirectCall& call : IndirectCalls())
        for (const QString& key : call.keys)
            m_asked.insert(key);
}

void TestConsoleCatalogue::theSourcesAreReadWhole() {
    QStringList problems = m_scan.problems;
    // A call whose key the scan cannot read must be listed with its keys; a listed one must exist.
    QStringList listed;
    for (const IndirectCall& call : IndirectCalls())
        listed << QString::fromUtf8(call.file) + QStringLiteral(": ") + QString::fromUtf8(call.argument);
    for (const QString& call : m_scan.indirect)
        if (!listed.contains(call))
            problems << call + QStringLiteral(
                                   " -- a key the scan cannot read: list its keys in IndirectCalls()");
    for (const QString& call : listed)
        if (!m_scan.indirect.contains(call))
            problems << call + QStringLiteral(" -- listed in IndirectCalls() but no longer in the sources");
    for (const IndirectCall& call : IndirectCalls())
        for (const QString& key : call.keys)
            if (!call.built && !m_scan.literals.value(QString::fromUtf8(call.file)).contains(key))
                problems << QString::fromUtf8(call.file) + QStringLiteral(": ") + key +
                                QStringLiteral(" -- listed in IndirectCalls() but no longer written there");
    // Every window that translates its controls is one the harvest builds.
    for (const QString& window : m_scan.translatedForms)
        if (!kTranslatedWindows.contains(window))
            problems << window + QStringLiteral(" -- translates a window the harvest does not build");
    for (const QString& window : kTranslatedWindows)
        if (!m_scan.translatedForms.contains(window))
            problems << window + QStringLiteral(" -- no longer translates its window");
    QVERIFY2(problems.isEmpty(), qPrintable(problems.join(u'\n')));
    // The scan sees the texts of every window.
    QVERIFY(m_scan.keys.size() > 30);
    QVERIFY(m_scan.keys.contains(QStringLiteral("Cerrar")));
    QVERIFY(m_scan.keys.contains(QStringLiteral("%s \"%s\" en el archivo %s.")));
    QVERIFY(m_scan.keys.contains(QStringLiteral("Rehaciendo acción...")));
}

void TestConsoleCatalogue::everyAskedTextIsAnswered_data() {
    QTest::addColumn<QString>("language");
    QTest::newRow("English: every text") << "en";
    QTest::newRow("Spanish: the item types") << "es";
}

void TestConsoleCatalogue::everyAskedTextIsAnswered() {
    QFETCH(QString, language);
    ConsoleTranslator translator(language);
    QVERIFY(translator.HasCatalogue());
    // Spanish texts are their own translation, but for the item types' keys.
    const QSet<QString> asked =
        language == "es" ? QSet<QString>(kItemTypeKeys.begin(), kItemTypeKeys.end()) : m_asked;
    QStringList missing;
    for (const QString& key : asked)
        if (!Answer(translator, key))
            missing << key;
    missing.sort();
    QVERIFY2(
        missing.isEmpty(),
        qPrintable(
            QStringLiteral("Asked for, but the compiled zrun_%1.ts does not answer it:\n").arg(language) +
            missing.join(u'\n')));
}

void TestConsoleCatalogue::theCatalogueHoldsOnlyAskedTexts_data() {
    everyAskedTextIsAnswered_data();
}

void TestConsoleCatalogue::theCatalogueHoldsOnlyAskedTexts() {
    QFETCH(QString, language);
    const Catalogue catalogue = ReadCatalogue(language);
    QVERIFY2(catalogue.error.isEmpty(), qPrintable(catalogue.error));
    QVERIFY(!catalogue.messages.isEmpty());
    QStringList unused;
    for (const auto& [source, translation] : catalogue.messages)
        if (!m_asked.contains(source))
            unused << source;
    QVERIFY2(unused.isEmpty(),
             qPrintable(QStringLiteral("In zrun_%1.ts, but no window asks for it:\n").arg(language) +
                        unused.join(u'\n')));
}

void TestConsoleCatalogue::theFilesAreLinguistFiles_data() {
    everyAskedTextIsAnswered_data();
}

void TestConsoleCatalogue::theFilesAreLinguistFiles() {
    QFETCH(QString, language);
    const Catalogue catalogue = ReadCatalogue(language);
    QVERIFY2(catalogue.error.isEmpty(), qPrintable(catalogue.error));
    QCOMPARE(catalogue.version, QStringLiteral("2.1"));
    QCOMPARE(catalogue.language, language);
    QCOMPARE(catalogue.sourceLanguage, QStringLiteral("es"));
    QCOMPARE(catalogue.contexts, QStringList{QString::fromLatin1(ConsoleTranslator::kCatalogueContext)});
    QSet<QString> sources;
    for (const auto& [source, translation] : catalogue.messages) {
        QVERIFY2(!sources.contains(source), qPrintable(QStringLiteral("twice: ") + source));
        sources.insert(source);
        QVERIFY2(!translation.isEmpty(), qPrintable(QStringLiteral("no translation: ") + source));
    }
}

void TestConsoleCatalogue::theCompiledCatalogueAnswersAsWritten_data() {
    everyAskedTextIsAnswered_data();
}

void TestConsoleCatalogue::theCompiledCatalogueAnswersAsWritten() {
    QFETCH(QString, language);
    const Catalogue catalogue = ReadCatalogue(language);
    QVERIFY2(catalogue.error.isEmpty(), qPrintable(catalogue.error));
    ConsoleTranslator translator(language);
    QStringList wrong;
    for (const auto& [source, translation] : catalogue.messages) {
        const QString answer = Answer(translator, source).value_or(QStringLiteral("<none>"));
        if (answer != translation)
            wrong << source + QStringLiteral(" -> ") + answer;
    }
    QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join(u'\n')));
}

void TestConsoleCatalogue::trickyTexts_data() {
    QTest::addColumn<QString>("language");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("answer"); // empty: not answered

    QTest::newRow("three placeholders and quotes") << "en"
                                                   << "%s \"%s\" en el archivo %s."
                                                   << "%s \"%s\" in the file %s.";
    QTest::newRow("a number placeholder") << "en"
                                          << "Ha ocurrido un error inesperado con el Código %d"
                                          << "An unexpected error occurred (code %d)";
    QTest::newRow("a link with a quoted target") << "en"
                                                 << "<a href=\"#\">Restaurar archivos neutralizados...</a>"
                                                 << "<a href=\"#\">Restore neutralised files...</a>";
    QTest::newRow("markup, accents and a placeholder")
        << "en"
        << "<B>%s recomienda no desbloquear éste elemento</B> ya que podría resultar muy perjudicial para el "
           "funcionamiento de tu PC y la integridad de tus archivos."
        << "<B>%s recommends not unblocking this item</B>: it could seriously harm your PC and the integrity "
           "of "
           "your files.";
    QTest::newRow("an upper-case link")
        << "en"
        << "Si quieres ayudarnos a mejorar <A HREF=\"sendSugest\">envíanos una "
           "sugerencia</A> con información acerca de este error y cómo se ha "
           "producido."
        << "If you want to help us improve, <A HREF=\"sendSugest\">send us a "
           "suggestion</A> about this error and how it came about.";
    QTest::newRow("opening question mark") << "en"
                                           << "¿Por qué lo hemos bloqueado?"
                                           << "Why did we block it?";
    QTest::newRow("a translation equal to its key") << "en"
                                                    << "No"
                                                    << "No";
    QTest::newRow("an item type in English") << "en"
                                             << "TYPE_205"
                                             << "Spyware";
    QTest::newRow("an item type in Spanish") << "es"
                                             << "TYPE_205"
                                             << "Programa espía";
    QTest::newRow("Spanish passes other texts through") << "es"
                                                        << "Cerrar"
                                                        << "";
    // Keys are matched whole: spaces and line ends are part of them.
    QTest::newRow("a trailing space") << "en"
                                      << "Cerrar "
                                      << "";
    QTest::newRow("a leading space") << "en"
                                     << " Cerrar"
                                     << "";
    QTest::newRow("a line end") << "en"
                                << "Cerrar\r\n"
                                << "";
    QTest::newRow("another case") << "en"
                                  << "cerrar"
                                  << "";
}

void TestConsoleCatalogue::trickyTexts() {
    QFETCH(QString, language);
    QFETCH(QString, key);
    QFETCH(QString, answer);
    ConsoleTranslator translator(language);
    const std::optional<QString> text = Answer(translator, key);
    if (answer.isEmpty()) {
        QVERIFY2(!text, qPrintable(text.value_or(QString())));
        QCOMPARE(translator.Misses().contains(key), language == "en");
    } else {
        QCOMPARE(text.value_or(QStringLiteral("<none>")), answer);
    }
}

// A catalogue written by hand the way an entry is added to zrun_en.ts, compiled by the same
// lrelease the build uses: line ends, edge spaces, tabs and markup come back exactly.
void TestConsoleCatalogue::lineEndsAndSpacesSurviveCompilation() {
    const QString lrelease = QLibraryInfo::path(QLibraryInfo::BinariesPath) + QStringLiteral("/lrelease");
    QVERIFY2(QFile::exists(lrelease), qPrintable(lrelease));
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QFile ts(dir.filePath(QStringLiteral("zrun_en.ts")));
    QVERIFY(ts.open(QIODevice::WriteOnly));
    ts.write("<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
             "<!DOCTYPE TS>\n"
             "<TS version=\"2.1\" language=\"en\" sourcelanguage=\"es\">\n"
             "<context>\n"
             "    <name>ZRUNSuspects</name>\n"
             "    <message>\n"
             "        <source>Primera línea\n"
             "segunda línea</source>\n"
             "        <translation>First line\n"
             "second line</translation>\n"
             "    </message>\n"
             "    <message>\n"
             "        <source>Con CR LF&#13;\n"
             "fin</source>\n"
             "        <translation>With CR LF&#13;\n"
             "end</translation>\n"
             "    </message>\n"
             "    <message>\n"
             "        <source>  Espacios  </source>\n"
             "        <translation> Spaces </translation>\n"
             "    </message>\n"
             "    <message>\n"
             "        <source>Tab&#9;%1 &amp; &lt;b&gt;%s&lt;/b&gt; &quot;x&quot;</source>\n"
             "        <translation>Tab&#9;%1 &amp; &lt;b&gt;%s&lt;/b&gt; &quot;x&quot;!</translation>\n"
             "    </message>\n"
             "</context>\n"
             "</TS>\n");
    ts.close();
    const QString qm = dir.filePath(QStringLiteral("zrun_en.qm"));
    QProcess process;
    process.start(lrelease, {QStringLiteral("-silent"), ts.fileName(), QStringLiteral("-qm"), qm});
    QVERIFY(process.waitForFinished(60000));
    QCOMPARE(process.exitCode(), 0);

    ConsoleTranslator translator(QStringLiteral("en"), qm);
    QVERIFY(translator.HasCatalogue());
    auto answer = [&](const QString& key) {
        return Answer(translator, key).value_or(QStringLiteral("<none>"));
    };
    QCOMPARE(answer("Primera línea\nsegunda línea"), QStringLiteral("First line\nsecond line"));
    QCOMPARE(answer("Con CR LF\r\nfin"), QStringLiteral("With CR LF\r\nend"));
    QCOMPARE(answer("  Espacios  "), QStringLiteral(" Spaces "));
    QCOMPARE(answer("Tab\t%1 & <b>%s</b> \"x\""), QStringLiteral("Tab\t%1 & <b>%s</b> \"x\"!"));
    QCOMPARE(answer("Espacios"), QStringLiteral("<none>"));
    QCOMPARE(answer("Con CR LF\nfin"), QStringLiteral("<none>"));
}

QTEST_MAIN(TestConsoleCatalogue)
#include "tst_console_catalogue.moc"
