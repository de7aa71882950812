#include "consoleoptions.h"

#include "service/protectionservice.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <iterator>

namespace {

// Options the application object takes for itself (it removes them before the console's own
// options are read): those with a value, as "-name value" or "-name=value", then the flags.
const char* const kQtValueOptions[] = {
    "platform",        "platformpluginpath", "platformtheme", "plugin",
    "qwindowgeometry", "qwindowicon",        "qwindowtitle",  "session",
    "display",         "geometry",           "style",         "stylesheet"};
const char* const kQtValueOnlyAfterEquals[] = {"qmljsdebugger", "dialogs", "fontengine"};
const char* const kQtFlags[] = {"reverse", "widgetcount"};

// The arguments without those the application object would take: the console reads its
// options before there is one, so that help and option errors need no display.
QStringList WithoutQtOptions(const QStringList& arguments) {
    QStringList kept;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments.at(i);
        if (i == 0 || !argument.startsWith(QLatin1Char('-')) || argument == QLatin1String("--")) {
            kept << argument;
            continue;
        }
        QString name = argument.mid(argument.startsWith(QLatin1String("--")) ? 2 : 1);
        const qsizetype equals = name.indexOf(QLatin1Char('='));
        const bool hasValue = equals >= 0;
        if (hasValue)
            name.truncate(equals);
        auto among = [&name](const auto& names) {
            return std::any_of(std::begin(names), std::end(names),
                               [&name](const char* n) { return name == QLatin1String(n); });
        };
        if (among(kQtValueOptions)) {
            if (!hasValue)
                ++i; // its value
            continue;
        }
        if ((hasValue && among(kQtValueOnlyAfterEquals)) || (!hasValue && among(kQtFlags)))
            continue;
        kept << argument;
    }
    return kept;
}

QString HelpText(const QCommandLineParser& parser) {
    // Without an application object the parser does not know the program's name.
    return parser.helpText().replace(QLatin1String("<executable_name>"), QCoreApplication::applicationName());
}

[[noreturn]] void Fail(QCommandLineParser& parser, const QString& message) {
    std::fprintf(stderr, "%s\n\n%s", qPrintable(message), qPrintable(HelpText(parser)));
    std::exit(2);
}

int IntValue(QCommandLineParser& parser, const QCommandLineOption& option, int fallback, int minimum) {
    if (!parser.isSet(option))
        return fallback;
    bool ok = false;
    const int value = parser.value(option).toInt(&ok);
    if (!ok || value < minimum)
        Fail(parser, QStringLiteral("--%1 needs a whole number of at least %2.")
                         .arg(option.names().first())
                         .arg(minimum));
    return value;
}

} // namespace

ConsoleOptions ParseConsoleOptions(const QStringList& arguments) {
    ConsoleOptions o;
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("ZRUN console: shows the quarantine of the embedded "
                                                    "protection service through the ZRUNSuspects module."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();

    const QCommandLineOption language(QStringLiteral("language"),
                                      QStringLiteral("Language of the texts: es or en."),
                                      QStringLiteral("code"), o.language);
    const QCommandLineOption product(QStringLiteral("product-name"),
                                     QStringLiteral("Product name shown in texts."), QStringLiteral("name"),
                                     o.productName);
    const QCommandLineOption lab(QStringLiteral("lab-name"),
                                 QStringLiteral("Name of the analysis laboratory."), QStringLiteral("name"),
                                 o.labName);
    const QCommandLineOption noActions(QStringLiteral("no-actions"),
                                       QStringLiteral("Disable the unblock and remove buttons."));
    const QCommandLineOption noWindow(
        QStringLiteral("no-window"),
        QStringLiteral("Ask the module for no window (configuration flag off)."));
    const QCommandLineOption waitMs(QStringLiteral("unblock-wait"),
                                    QStringLiteral("Milliseconds before the history's waiting layer shows."),
                                    QStringLiteral("ms"), QString::number(o.unblockWaitMs));
    const QCommandLineOption noLayer(QStringLiteral("no-waiting-layer"),
                                     QStringLiteral("Never show waiting layers."));
    const QCommandLineOption attempts(QStringLiteral("name-attempts"),
                                      QStringLiteral("Requests per detection name before giving up."),
                                      QStringLiteral("n"), QString::number(o.maxNameAttempts));
    const QCommandLineOption batch(QStringLiteral("name-batch"),
                                   QStringLiteral("Detection names per request."), QStringLiteral("n"),
                                   QString::number(o.nameBatchSize));
    const QCommandLineOption module(QStringLiteral("module"),
                                    QStringLiteral("Path of ZRUNSuspects (default: beside the console)."),
                                    QStringLiteral("path"));
    const QCommandLineOption store(QStringLiteral("store"),
                                   QStringLiteral("Quarantine database of the embedded service."),
                                   QStringLiteral("path"));
    const QCommandLineOption reseed(
        QStringLiteral("reseed"), QStringLiteral("Empty the quarantine and fill it with the sample items."));
    const QCommandLineOption historyItems(
        QStringLiteral("history-items"),
        QStringLiteral(
            "Give a new store, or one started again with --reseed, this many generated history "
            "entries besides the sample (half deleted, four in ten undone, one in ten blocked), to "
            "try the history window at scale. With many, a larger --page-size and a lower --latency "
            "list them sooner."),
        QStringLiteral("n"), QString::number(o.historyItems));
    const QCommandLineOption pageSize(QStringLiteral("page-size"),
                                      QStringLiteral("Items per list page the service answers."),
                                      QStringLiteral("n"), QString::number(o.pageSize));
    const QCommandLineOption latency(QStringLiteral("latency"),
                                     QStringLiteral("Milliseconds the service takes to answer."),
                                     QStringLiteral("ms"), QString::number(o.latencyMs));
    const QCommandLineOption fault(
        QStringLiteral("fault"),
        QStringLiteral("Service fault for testing: refuse, silent, error:<code>, no-names."),
        QStringLiteral("kind"));
    const QCommandLineOption quitAfter(QStringLiteral("quit-after"),
                                       QStringLiteral("Quit on its own after this many milliseconds."),
                                       QStringLiteral("ms"));
    const QCommandLineOption screenshot(QStringLiteral("screenshot"),
                                        QStringLiteral("Save a picture of the window before quitting."),
                                        QStringLiteral("file"));
    parser.addOptions({language, product, lab, noActions, noWindow, waitMs, noLayer, attempts, batch, module,
                       store, reseed, historyItems, pageSize, latency, fault, quitAfter, screenshot});
    if (!parser.parse(WithoutQtOptions(arguments)))
        Fail(parser, parser.errorText());
    if (parser.isSet(help) || parser.isSet(QStringLiteral("help-all"))) {
        std::fputs(qPrintable(HelpText(parser)), stdout);
        std::exit(0);
    }
    if (parser.isSet(version))
        parser.showVersion();

    o.language = parser.value(language);
    if (o.language != QLatin1String("es") && o.language != QLatin1String("en"))
        Fail(parser, QStringLiteral("--language is es or en."));
    o.productName = parser.value(product);
    o.labName = parser.value(lab);
    o.actionsEnabled = !parser.isSet(noActions);
    o.createWindow = !parser.isSet(noWindow);
    o.unblockWaitMs =
        static_cast<std::uint32_t>(IntValue(parser, waitMs, static_cast<int>(o.unblockWaitMs), 0));
    o.showWaitingLayer = !parser.isSet(noLayer);
    o.maxNameAttempts = IntValue(parser, attempts, o.maxNameAttempts, 1);
    o.nameBatchSize = IntValue(parser, batch, o.nameBatchSize, 1);
    o.modulePath = parser.value(module);
    o.storePath = parser.value(store);
    o.reseed = parser.isSet(reseed);
    o.historyItems = IntValue(parser, historyItems, o.historyItems, 0);
    o.pageSize = IntValue(parser, pageSize, o.pageSize, 1);
    o.latencyMs = IntValue(parser, latency, o.latencyMs, 0);
    o.fault = parser.value(fault);
    std::int32_t code = 0;
    if (!o.fault.isEmpty() && o.fault != QLatin1String("refuse") && o.fault != QLatin1String("silent") &&
        o.fault != QLatin1String("no-names") && !ParseFaultErrorCode(o.fault, code))
        Fail(parser, QStringLiteral("--fault is refuse, silent, error:<code> (a whole number) or no-names."));
    o.quitAfterMs = IntValue(parser, quitAfter, -1, 0);
    o.screenshotPath = parser.value(screenshot);
    return o;
}
