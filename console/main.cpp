#include "consoleform.h"
#include "consoleoptions.h"

#include <QApplication>
#include <QIcon>
#include <QTimer>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Norvik Software"));
    QApplication::setApplicationName(QStringLiteral("zrun-console"));
    QApplication::setApplicationVersion(QStringLiteral(ZRUN_VERSION));
    const ConsoleOptions options = ParseConsoleOptions(QApplication::arguments());
    // Without a desktop session there is no icon theme: files would all get the generic picture.
    if (QIcon::themeName().isEmpty() || QIcon::themeName() == QLatin1String("hicolor")) {
        QIcon::setThemeSearchPaths(QIcon::themeSearchPaths() << QStringLiteral("/usr/share/icons"));
        QIcon::setThemeName(QStringLiteral("Adwaita"));
    }

    TConsoleForm console(options);
    console.show();
    if (!console.StartModule())
        qWarning("zrun-console: %s", qPrintable(console.LastError()));

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
