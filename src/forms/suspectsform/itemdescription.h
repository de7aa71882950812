#pragma once

#include <QString>
#include <cstdint>

struct ST_BLELEMENT;
struct ZrunTranslationSource;

// Texts the suspects window derives from an element. Data (names, paths) is escaped before it
// goes into marked-up text.

// The name under the icon: the file name of the location, or, for an element inside a
// container, the container's file name followed by the inner part of the location.
QString DisplayName(const ST_BLELEMENT& element);
// The name the window shows: the display name, or a translated placeholder for an element
// whose location is empty, so that no tile, hint or question names nothing.
QString ShownName(const ZrunTranslationSource* translator, const ST_BLELEMENT& element);
// Everything after the last backslash or colon; the whole text without either.
QString FileNamePart(const QString& path);

// The action time in the user's short date format and time format without seconds, local time.
QString FormatDetectionTime(std::uint64_t fileTime);

// The three-line hint: name, location in its ordinary form, action time; a location that is
// empty is said to be unknown.
QString ItemHintText(const ST_BLELEMENT& element, const ZrunTranslationSource* translator = nullptr);

// The description of an element's block, marked up, before fitting: category 20 is the
// analysis text formatted with the lab name; other categories the text of the item type.
QString DescriptionText(const ZrunTranslationSource* translator, const ST_BLELEMENT& element,
                        const QString& labName);
// The link to the information page of the element.
QString WhyBlockedLink(const ZrunTranslationSource* translator, const ST_BLELEMENT& element);
// The reason line of the unblock confirmation, with the display name.
QString ConfirmationReason(const ZrunTranslationSource* translator, const ST_BLELEMENT& element);

// A decimal anchor as a detection number; nothing for anything else.
bool ParseDetectionAnchor(const QString& anchor, std::uint32_t& number);
