#include "consoleform.h"
#include "consoleoptions.h"

#include <QApplication>
#include <QIcon>
#include <QTimer>
#include <cstdio>

namespace {

QStringList CommandLine(int argc, char** argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    return arguments;
}

// Why the console cannot go on, for whoever started it.
int Refuse(const TConsoleForm& console) {
    std::fprintf(stderr, "zrun-console: %s\n", qPrintable(console.LastError()));
    if (!console.LastErrorDetail().isEmpty())
        std::fprintf(stderr, "zrun-console: %s\n", qPrintable(console.LastErrorDetail()));
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    QApplication::setOrganizationName(QStringLiteral("Norvik Software"));
    QApplication::setApplicationName(QStringLiteral("zrun-console"));
    QApplication::setApplicationVersion(QStringLiteral(ZRUN_VERSION));
    // Read before the application object, which needs a display: --help and a wrong option
    // answer without one.
    const ConsoleOptions options = ParseConsoleOptions(CommandLine(argc, argv));
    QApplication app(argc, argv);
    // Without a desktop session there is no icon theme: files would all get the generic picture.
    if (QIcon::themeName().isEmpty() || QIcon::themeName() == QLatin1String("hicolor")) {
        QIcon::setThemeSearchPaths(QIcon::themeSearchPaths() << QStringLiteral("/usr/share/icons"));
        QIcon::setThemeName(QStringLiteral("Adwaita"));
    }

    TConsoleForm console(options);
    if (!console.OpenService())
        return Refuse(console);
    console.show();
    if (!console.StartModule())
        return Refuse(console);

    if (options.quitAfterMs >= 0) {
        QTimer::singleShot(options.quitAfterMs, &console, [&console, &options] {
            if (!options.screenshotPath.isEmpty())
                console.grab().save(options.screenshotPath);
            console.close();
        });
    }
    const int result = QApplication::exec();
    console.StopModule();
    return result;
}
