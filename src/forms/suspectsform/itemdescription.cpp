#include "forms/suspectsform/itemdescription.h"

#include "comm/store/blelement.h"
#include "forms/visibletext.h"
#include "i18n/utranslate.h"
#include "support/htmltext.h"
#include "support/systempath.h"

#include <QDateTime>
#include <QLocale>
#include <QTimeZone>

namespace {

constexpr std::uint32_t kCategorySentToLab = 20;

// Seconds between 1601-01-01 and 1970-01-01, in 100 ns units.
constexpr std::uint64_t kFileTimeToUnixEpoch = 116444736000000000ULL;

QString Text(const ElementText& text) {
    return text ? QStringView(*text).toString() : QString();
}

struct TypeTexts {
    const char* description;
    const char* reason;
};

TypeTexts TextsOfType(std::uint32_t itemType) {
    switch (itemType) {
    case 201:
        return {"Está bloqueado por ser <b>una aplicación publicitaria</b>.",
                "%s, bloqueado por ser <b>una aplicación publicitaria</b>."};
    case 202:
        return {"Está bloqueado por ser <b>una barra de herramientas</b>.",
                "%s, bloqueado por ser <b>una barra de herramientas</b>."};
    case 203:
        return {"Está bloqueado por ser <b>una herramienta de administración de red</b>.",
                "%s, bloqueado por ser <b>una herramienta de administración de red</b>."};
    default:
        return {"Está bloqueado por ser un programa posiblemente no deseado.",
                "%s, bloqueado por ser un programa posiblemente no deseado."};
    }
}

QString TimeWithoutSeconds(const QLocale& locale) {
    QString format = locale.timeFormat(QLocale::ShortFormat);
    // Some locales put seconds even in their short form.
    format.remove(QLatin1String(":ss"));
    format.remove(QLatin1String(".ss"));
    format.remove(QLatin1String(":s"));
    return format;
}

} // namespace

QString FileNamePart(const QString& path) {
    const qsizetype cut = std::max(path.lastIndexOf(QLatin1Char('\\')), path.lastIndexOf(QLatin1Char(':')));
    return cut < 0 ? path : path.mid(cut + 1);
}

QString DisplayName(const ST_BLELEMENT& element) {
    const QString location = Text(element.location);
    const QString container = Text(element.containerLocation);
    if (container.isEmpty())
        return FileNamePart(location);
    // The location should begin with its container; when it is shorter, there is no inner part.
    const QString inner = container.size() < location.size() ? location.mid(container.size()) : QString();
    return FileNamePart(container) + inner;
}

QString ShownName(const ZrunTranslationSource* translator, const ST_BLELEMENT& element) {
    const QString name = DisplayName(element);
    if (!name.isEmpty())
        return name;
    return TranslateText(translator, QStringLiteral("Desconocido"));
}

QString FormatDetectionTime(std::uint64_t fileTime) {
    const qint64 msecs = fileTime >= kFileTimeToUnixEpoch
                             ? static_cast<qint64>((fileTime - kFileTimeToUnixEpoch) / 10000)
                             : -static_cast<qint64>((kFileTimeToUnixEpoch - fileTime) / 10000);
    const QDateTime local = QDateTime::fromMSecsSinceEpoch(msecs, QTimeZone::utc()).toLocalTime();
    const QLocale locale = QLocale::system();
    return locale.toString(local.date(), QLocale::ShortFormat) + QLatin1Char(' ') +
           locale.toString(local.time(), TimeWithoutSeconds(locale));
}

QString ItemHintText(const ST_BLELEMENT& element, const ZrunTranslationSource* translator) {
    const QString location = QString::fromStdU16String(ExpandSystemPathString(*element.location));
    if (location.isEmpty())
        return VisibleMarkup(ShortenMiddle(ShownName(translator, element), kLongestHintText)) +
               QLatin1String("<BR>") +
               EscapeHtml(TranslateText(translator, QStringLiteral("Ubicación desconocida"))) +
               QLatin1String("<BR>") + EscapeHtml(FormatDetectionTime(element.actionTime));
    return VisibleMarkup(ShortenMiddle(DisplayName(element), kLongestHintText)) + QLatin1String("<BR>") +
           VisibleMarkup(ShortenMiddle(location, kLongestHintText)) + QLatin1String("<BR>") +
           EscapeHtml(FormatDetectionTime(element.actionTime));
}

QString DescriptionText(const ZrunTranslationSource* translator, const ST_BLELEMENT& element,
                        const QString& labName) {
    if (element.category == kCategorySentToLab) {
        return FormatText(
            TranslateText(translator, QStringLiteral("Está bloqueado porque <b>podría estar infectado por "
                                                     "un virus</b> y se ha enviado al laboratorio de %s "
                                                     "para analizarlo en detalle.")),
            {VisibleMarkup(labName)});
    }
    return TranslateText(translator, QString::fromUtf8(TextsOfType(element.itemType).description));
}

QString WhyBlockedLink(const ZrunTranslationSource* translator, const ST_BLELEMENT& element) {
    return FormatText(QStringLiteral("<a href=\"%d\">%s</a>"),
                      {QString::number(element.informationId),
                       TranslateText(translator, QStringLiteral("¿Por qué lo hemos bloqueado?"))});
}

QString ConfirmationReason(const ZrunTranslationSource* translator, const ST_BLELEMENT& element) {
    return FormatText(TranslateText(translator, QString::fromUtf8(TextsOfType(element.itemType).reason)),
                      {VisibleMarkup(ShownName(translator, element))});
}

bool ParseDetectionAnchor(const QString& anchor, std::uint32_t& number) {
    bool ok = false;
    const uint value = anchor.trimmed().toUInt(&ok, 10);
    if (!ok)
        return false;
    number = value;
    return true;
}
