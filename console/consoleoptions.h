#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>

// Everything the console can be told on its command line.
struct ConsoleOptions {
    QString language = QStringLiteral("es");
    QString productName = QStringLiteral("ZRUN Antimalware");
    QString labName = QStringLiteral("Norvik Software");
    QString shortName = QStringLiteral("ZRUN");
    bool actionsEnabled = true;
    bool createWindow = true;
    std::uint32_t unblockWaitMs = 1000;
    bool showWaitingLayer = true;
    int maxNameAttempts = 3;
    int nameBatchSize = 20;
    std::uintptr_t launchContext = 1;
    QString modulePath; // empty: beside the console
    QString storePath;  // empty: the user's data folder
    int pageSize = 25;
    int latencyMs = 150;
    QString fault;          // "", refuse, silent, error:<code>, no-names
    int quitAfterMs = -1;   // quit on its own after this long (tests, demos)
    QString screenshotPath; // take a picture of the window just before quitting
    bool reseed = false;    // start again from the sample quarantine
    int historyItems = 0;   // generated history entries a new or reseeded store gets besides
    int watchMs = 500;      // how often the service looks for changes by other consoles (0: never)
};

// Parses a command line (the program first); exits with --help, --version or on an error.
// Needs no application object, and leaves out the options Qt's application object takes.
ConsoleOptions ParseConsoleOptions(const QStringList& arguments);
