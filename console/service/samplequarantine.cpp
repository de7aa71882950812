#include "service/samplequarantine.h"

#include <QCryptographicHash>
#include <QTimeZone>

namespace {

// Categories: sent to the lab for analysis, a blocked unwanted program, a rule of the user's,
// caught by the heuristics.
constexpr std::uint32_t kSentToLab = 20;
constexpr std::uint32_t kUnwanted = 100;
constexpr std::uint32_t kUserRule = 1;
constexpr std::uint32_t kHeuristic = 4;

constexpr std::uint32_t kAdware = 201;
constexpr std::uint32_t kToolbar = 202;
constexpr std::uint32_t kNetworkTool = 203;
constexpr std::uint32_t kOther = 204;
constexpr std::uint32_t kSpyware = 205;
constexpr std::uint32_t kRemoteAccess = 206;

constexpr std::uint32_t kUndone = 0x80;
constexpr std::uint32_t kDeleted = 0x04;
constexpr std::uint32_t kHidden = 0x400;

struct DetectionRow {
    std::uint32_t id;
    const char16_t* name;
    std::uint32_t informationId;
};

constexpr DetectionRow kDetections[] = {
    {1001, u"Adware/OpenCandy", 41807},
    {1002, u"Adware/InstallCore", 41933},
    {1003, u"Adware/Elex", 43120},
    {2001, u"PUP/Toolbar.Ask", 38214},
    {2002, u"PUP/Toolbar.Babylon", 38790},
    {2003, u"PUP/Toolbar.Conduit", 39045},
    {3001, u"HackTool/NetPass", 12877},
    {3002, u"HackTool/PsExec", 12950},
    {3003, u"HackTool/NetCat", 13004},
    {3004, u"HackTool/Cain", 13112},
    {4001, u"Trj/Downloader.AB", 52341},
    {4002, u"Trj/Agent.JLM", 52978},
    {4003, u"W32/Sality.AO", 7731},
    {4004, u"PUP/Optimizer.Reimage", 44560},
    {4005, u"Riskware/CoinMiner", 46102},
    {1004, u"Adware.Agent/Gen", 42015},
    {1005, u"Adware.Yontoo.B", 42230},
    {2004, u"PUP/Toolbar.Delta", 39310},
    {4006, u"Trojan.Generic.KD.3021", 53110},
    {4007, u"Trojan.Ransom.Crypt.XZ", 53655},
    {4008, u"Worm.AutoRun.VHG", 8120},
    {4009, u"Spyware.Keylogger.Ardamax", 47002},
    {5001, u"Riskware.RemoteAdmin.TeamViewer", 48870},
};

// Detections of the history that the service has no name for (9101 to 9103): the module
// asks for them and, after its attempts, shows them as unknown.

// When the protection acted: minutes before now, or 23:30 UTC on the last day of a month
// back, the moment whose date is already the next month where the clock is ahead of UTC.
struct When {
    int monthsBack;
    int minutesAgo;
};
constexpr When Ago(int days, int hours, int minutes = 0) {
    return {0, (days * 24 + hours) * 60 + minutes};
}
constexpr When MonthEnd(int monthsBack) {
    return {monthsBack, 0};
}

struct ItemRow {
    const char16_t* location;
    const char16_t* container;
    std::uint32_t category;
    std::uint32_t itemType;
    std::uint32_t detectionId;
    std::uint32_t flags;
    When when;
};

// Kernel forms ("\??\", "\SystemRoot") are kept as the driver reported them; the list reply
// turns them into ordinary paths.
constexpr ItemRow kItems[] = {
    {uR"(C:\Users\ana\Descargas\VLC_setup_gratis.exe)", u"", kUnwanted, kAdware, 1001, 0, Ago(0, 2, 14)},
    {uR"(C:\Users\ana\Descargas\pack.zip\setup\installer.exe)", uR"(C:\Users\ana\Descargas\pack.zip)",
     kUnwanted, kAdware, 1002, 0, Ago(1, 3, 40)},
    {uR"(C:\Program Files (x86)\Ask.com\Updater\Updater.exe)", u"", kUnwanted, kToolbar, 2001, 0,
     Ago(2, 5, 7)},
    {uR"(C:\Program Files (x86)\Babylon\Babylon Toolbar\BabylonToolbar.dll)", u"", kUnwanted, kToolbar, 2002,
     0, Ago(3, 1, 55)},
    {uR"(C:\Users\ana\AppData\Roaming\Conduit\CT3289847\ConduitEngine.dll)", u"", kUnwanted, kToolbar, 2003,
     kUndone, Ago(4, 6, 21)},
    {uR"(C:\Users\ana\Documentos\Herramientas\netpass.exe)", u"", kUnwanted, kNetworkTool, 3001, 0,
     MonthEnd(1)},
    {uR"(\??\C:\Users\ana\Descargas\PSTools\PsExec.exe)", u"", kUnwanted, kNetworkTool, 3002, kUndone,
     Ago(6, 9, 3)},
    {uR"(C:\Users\ana\Descargas\nc111nt\nc.exe)", u"", kUnwanted, kNetworkTool, 3003, kDeleted,
     Ago(8, 4, 48)},
    {uR"(C:\Users\ana\AppData\Local\Temp\svchost32.exe)", u"", kSentToLab, kOther, 4001, 0, Ago(9, 11, 30)},
    {uR"(\SystemRoot\System32\drivers\sysaudio64.sys)", u"", kSentToLab, kOther, 4002, 0, MonthEnd(2)},
    {uR"(C:\Users\ana\Descargas\factura_marzo.pdf.exe)", u"", kSentToLab, kOther, 4001, kDeleted,
     Ago(11, 7, 12)},
    {uR"(\??\C:\Program Files (x86)\Reimage\Reimage Repair\ReimageRepair.exe)", u"", kUnwanted, kOther, 4004,
     0, Ago(12, 2, 36)},
    {uR"(C:\Users\ana\AppData\Roaming\WinMiner\xmrig.exe)", u"", kUnwanted, kOther, 4005, kDeleted,
     Ago(14, 22, 5)},
    {uR"(C:\Program Files (x86)\Elex\SearchProtect\bin\SPtool.exe)", u"", kUnwanted, kAdware, 1003, 0,
     Ago(15, 13, 44)},
    {uR"(C:\Users\ana\Descargas\Instalador_Codecs_Pack.exe)", u"", kUnwanted, kAdware, 1001, kUndone,
     Ago(17, 8, 19)},
    {uR"(C:\Users\ana\Escritorio\Juegos\crack_fifa.exe)", u"", kSentToLab, kOther, 4003, kDeleted,
     Ago(19, 17, 2)},
    {uR"(C:\Program Files (x86)\Common Files\Conduit\conduitsvc.exe)", u"", kUnwanted, kToolbar, 2003,
     kHidden, Ago(20, 5, 50)},
    {uR"(C:\ProgramData\InstallCore\ic_helper.exe)", u"", kUnwanted, kAdware, 1002, kHidden | kDeleted,
     Ago(22, 10, 27)},
    {uR"(C:\Users\ana\Descargas\WinRAR_es.exe)", u"", kUnwanted, kAdware, 1002, 0, Ago(24, 3, 9)},
    {uR"(C:\Users\ana\AppData\Local\Babylon\Setup\BabylonSetup.exe)", u"", kUserRule, kToolbar, 2002, 0,
     Ago(26, 15, 33)},
    {uR"(C:\Users\ana\Descargas\Cain\Cain.exe)", u"", kUnwanted, kNetworkTool, 3004, kDeleted | kUndone,
     Ago(29, 6, 58)},
    {uR"(\??\C:\Users\ana\AppData\Local\Temp\is-3KQ2P.tmp\setup.tmp)", u"", kUnwanted, kAdware, 1001,
     kDeleted, Ago(33, 12, 16)},
    {uR"(C:\Program Files (x86)\Ask.com\Toolbar\askToolbar.dll)", u"", kUnwanted, kToolbar, 2001, kDeleted,
     Ago(37, 9, 41)},
    {uR"(C:\Users\ana\Descargas\driver_booster_setup.exe)", u"", kUnwanted, kOther, 4004, 0, Ago(41, 18, 25)},
    {uR"(\SystemRoot\System32\spool\drivers\x64\3\prnupd.dll)", u"", kSentToLab, kOther, 4002, kUndone,
     Ago(45, 4, 4)},
    // Older history: mostly deleted or restored, over the months before.
    {uR"(C:\Users\ana\Descargas\fotos_playa.rar\fotos\IMG_0231.jpg.exe)",
     uR"(C:\Users\ana\Descargas\fotos_playa.rar)", kSentToLab, kOther, 4006, kDeleted, Ago(52, 10, 12)},
    {uR"(C:\Users\ana\AppData\Roaming\Microsoft\Windows\Menú Inicio\Programas\Inicio\upd.exe)", u"",
     kSentToLab, kOther, 4007, kDeleted, Ago(58, 3, 47)},
    {uR"(E:\autorun.inf)", u"", kHeuristic, kOther, 4008, kDeleted, Ago(63, 16, 5)},
    {uR"(E:\RECYCLER\S-1-5-21-1482476501\jwgkvsq.vmx)", u"", kHeuristic, kOther, 4008, kDeleted,
     Ago(63, 16, 6)},
    {uR"(C:\Users\ana\AppData\Local\Yontoo\YontooIEClient.dll)", u"", kUnwanted, kAdware, 1005, kUndone,
     Ago(71, 9, 30)},
    {uR"(C:\Program Files (x86)\Delta\delta\1.8.21.5\bh\delta.dll)", u"", kUnwanted, kToolbar, 2004, kDeleted,
     MonthEnd(3)},
    {uR"(C:\Users\ana\Documentos\Facturas 2023\Factura_Endesa_diciembre.pdf.scr)", u"", kSentToLab, kOther,
     9101, kDeleted, Ago(96, 8, 55)},
    {uR"(C:\Users\ana\Música\Descargas eMule\Incoming\keygen_nero.exe)", u"", kSentToLab, kOther, 9102,
     kUndone, Ago(104, 21, 14)},
    {uR"(C:\Users\ana\AppData\Roaming\Ardamax\akl.exe)", u"", kUnwanted, kSpyware, 4009, kDeleted,
     Ago(117, 13, 2)},
    {uR"(C:\Program Files (x86)\TeamViewer\TeamViewer_Service.exe)", u"", kUserRule, kRemoteAccess, 5001,
     kUndone, Ago(125, 7, 40)},
    {uR"(C:\Users\ana\Imágenes\Vacaciones\slideshow.scr)", u"", kHeuristic, kOther, 9103, 0,
     Ago(139, 18, 23)},
    {uR"(\??\C:\Users\ana\AppData\Local\Temp\nsq4A21.tmp\AdwareAgent.dll)", u"", kUnwanted, kAdware, 1004,
     kDeleted, MonthEnd(5)},
    {uR"(C:\Users\ana\Escritorio\Nueva carpeta\Instalar_Flash_Player.exe)", u"", kUnwanted, kAdware, 1004,
     kUndone, Ago(171, 11, 18)},
    {uR"(\SystemRoot\System32\wbem\wmiprvse32.exe)", u"", kSentToLab, kOther, 4006, 0, Ago(198, 2, 51)},
    {uR"(C:\Users\ana\Descargas\utorrent_es.exe)", u"", kUnwanted, kToolbar, 2004, kDeleted | kUndone,
     Ago(226, 15, 9)},
};

QDateTime MomentOf(const When& when, const QDateTime& now) {
    if (when.monthsBack > 0) {
        const QDate firstOfMonth(now.date().year(), now.date().month(), 1);
        const QDate lastDay = firstOfMonth.addMonths(1 - when.monthsBack).addDays(-1);
        return QDateTime(lastDay, QTime(23, 30), QTimeZone::utc());
    }
    return now.addSecs(-60LL * when.minutesAgo);
}

std::uint32_t InformationIdOf(std::uint32_t detectionId) {
    for (const DetectionRow& d : kDetections)
        if (d.id == detectionId)
            return d.informationId;
    return 0;
}

// What the generated history is made of: a family computer of a Spanish home.
constexpr const char16_t* kUsers[] = {u"ana", u"jose", u"maria", u"carlos"};
constexpr const char16_t* kFolders[] = {
    uR"(C:\Users\%1\Descargas)",
    uR"(C:\Users\%1\Documentos)",
    uR"(C:\Users\%1\Escritorio)",
    uR"(C:\Users\%1\Música)",
    uR"(C:\Users\%1\Imágenes\Fotos del móvil)",
    uR"(C:\Users\%1\Vídeos)",
    uR"(C:\Users\%1\AppData\Local\Temp)",
    uR"(C:\Users\%1\AppData\Roaming\Microsoft\Windows\Menú Inicio\Programas\Inicio)",
    uR"(\??\C:\Users\%1\AppData\Local\Temp)",
    uR"(C:\Program Files (x86)\Común)",
    uR"(C:\Program Files\Common Files\System)",
    uR"(C:\ProgramData\Actualizador)",
    uR"(\SystemRoot\System32)",
    uR"(E:\Trabajos de clase)",
};
constexpr const char16_t* kStems[] = {
    u"setup",      u"instalador",   u"actualizacion", u"factura",        u"crack",       u"keygen",
    u"codec_pack", u"juego_gratis", u"descargador",   u"svchost32",      u"update",      u"flashplayer",
    u"toolbar",    u"helper",       u"launcher",      u"driver_updater", u"optimizador", u"limpiador_pc",
};
constexpr const char16_t* kExtensions[] = {u".exe", u".dll", u".scr", u".tmp", u".js", u".vbs"};

// Detections by item type; a few entries get one the service has no name for.
constexpr std::uint32_t kAdwareDetections[] = {1001, 1002, 1003, 1004, 1005};
constexpr std::uint32_t kToolbarDetections[] = {2001, 2002, 2003, 2004};
constexpr std::uint32_t kNetworkToolDetections[] = {3001, 3002, 3003, 3004};
constexpr std::uint32_t kOtherDetections[] = {4001, 4002, 4003, 4004, 4005, 4006, 4007, 4008};
constexpr std::uint32_t kFirstUnnamedDetection = 9200;
constexpr std::uint32_t kUnnamedDetections = 40;

// Two years back, in file time units.
constexpr std::uint64_t kHistorySpan = 2ULL * 365 * 24 * 3600 * 10000000;
constexpr std::uint64_t kMinute = 60ULL * 10000000;

} // namespace

HistoryItemGenerator::HistoryItemGenerator(const QDateTime& now)
    : m_nowFileTime(
          FileTimeOf(QDateTime::fromSecsSinceEpoch(now.toSecsSinceEpoch() / 60 * 60, QTimeZone::utc()))),
      m_state(0x5EED2024ULL) {}

std::uint32_t HistoryItemGenerator::Random() {
    // Knuth's MMIX constants; the high half has the better bits.
    m_state = m_state * 6364136223846793005ULL + 1442695040888963407ULL;
    return static_cast<std::uint32_t>(m_state >> 32);
}

SampleItem HistoryItemGenerator::Next() {
    const int index = m_index++;
    SampleItem item;
    item.containerLocation = QStringLiteral(""); // the column holds no nulls
    switch (index % 10) {
    case 0:
    case 1:
    case 2:
    case 3:
    case 4:
        item.flags = kDeleted;
        break;
    case 5:
        item.flags = kDeleted | kUndone;
        break;
    case 6:
    case 7:
    case 8:
        item.flags = kUndone;
        break;
    default:
        item.flags = 0;
        break;
    }

    const std::uint32_t roll = Pick(10);
    item.category = roll < 5 ? kUnwanted : roll < 8 ? kSentToLab : roll < 9 ? kUserRule : kHeuristic;
    if (item.category == kSentToLab || item.category == kHeuristic)
        item.itemType = Pick(4) == 0 ? kSpyware : kOther;
    else
        item.itemType = kAdware + Pick(6); // 201 to 206
    switch (item.itemType) {
    case kAdware:
        item.detectionId = kAdwareDetections[Pick(std::size(kAdwareDetections))];
        break;
    case kToolbar:
        item.detectionId = kToolbarDetections[Pick(std::size(kToolbarDetections))];
        break;
    case kNetworkTool:
        item.detectionId = kNetworkToolDetections[Pick(std::size(kNetworkToolDetections))];
        break;
    case kSpyware:
        item.detectionId = 4009;
        break;
    case kRemoteAccess:
        item.detectionId = 5001;
        break;
    default:
        item.detectionId = kOtherDetections[Pick(std::size(kOtherDetections))];
        break;
    }
    if (Pick(20) == 0)
        item.detectionId = kFirstUnnamedDetection + Pick(kUnnamedDetections);
    item.informationId = InformationIdOf(item.detectionId);

    // Not every folder belongs to a user; the user is drawn all the same, to keep the sequence.
    const QString user = QString::fromUtf16(kUsers[Pick(std::size(kUsers))]);
    const QString folder =
        QString::fromUtf16(kFolders[Pick(std::size(kFolders))]).replace(QStringLiteral("%1"), user);
    item.location = QStringLiteral("%1\\%2_%3%4")
                        .arg(folder, QString::fromUtf16(kStems[Pick(std::size(kStems))]))
                        .arg(Pick(1000))
                        .arg(QString::fromUtf16(kExtensions[Pick(std::size(kExtensions))]));
    // Whole minutes within the last two years.
    const std::uint64_t back = (static_cast<std::uint64_t>(Random()) << 32 | Random()) % kHistorySpan;
    item.actionTime = m_nowFileTime - (back / kMinute + 1) * kMinute;
    item.identifier = QCryptographicHash::hash(QByteArray("ZRUN history ") + QByteArray::number(index),
                                               QCryptographicHash::Md5);
    return item;
}

std::uint64_t FileTimeOf(const QDateTime& time) {
    constexpr std::uint64_t kUnixEpochAsFileTime = 116444736000000000ULL;
    return kUnixEpochAsFileTime + static_cast<std::uint64_t>(time.toMSecsSinceEpoch()) * 10000ULL;
}

std::vector<SampleDetection> SampleDetections() {
    std::vector<SampleDetection> detections;
    for (const DetectionRow& d : kDetections)
        detections.push_back({d.id, QString::fromUtf16(d.name), d.informationId});
    return detections;
}

std::vector<SampleItem> SampleItems(const QDateTime& now) {
    // Whole minutes, as the protection's log would show them.
    const QDateTime clock = QDateTime::fromSecsSinceEpoch(now.toSecsSinceEpoch() / 60 * 60, QTimeZone::utc());
    std::vector<SampleItem> items;
    int index = 0;
    for (const ItemRow& row : kItems) {
        SampleItem item;
        item.location = QString::fromUtf16(row.location);
        item.containerLocation = QString::fromUtf16(row.container);
        const QString seed = QStringLiteral("ZRUN sample %1 %2").arg(++index).arg(item.location);
        item.identifier = QCryptographicHash::hash(seed.toUtf8(), QCryptographicHash::Md5);
        item.actionTime = FileTimeOf(MomentOf(row.when, clock));
        item.category = row.category;
        item.itemType = row.itemType;
        item.informationId = InformationIdOf(row.detectionId);
        item.detectionId = row.detectionId;
        item.flags = row.flags;
        items.push_back(std::move(item));
    }
    return items;
}
