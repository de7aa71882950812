#pragma once

#include <array>
#include <cstdint>
#include <string_view>

// The controller's registered message numbers, in its field order.
struct stMessageNumbers {
    std::uint32_t WM_SELECTELEMENT = 0;
    std::uint32_t WM_GETBLALIST = 0;
    std::uint32_t WM_UNBLOCKITEM = 0;
    std::uint32_t WM_REBLOCKITEM = 0;
    std::uint32_t WM_REMOVEITEM = 0;
    std::uint32_t WM_GETSUSPECTSDATA = 0;
    std::uint32_t WM_FILLDATA = 0;
    std::uint32_t WM_RESETVIEWS = 0;
    std::uint32_t WM_GETDETECTIONINFO = 0;
    std::uint32_t WM_ENDFILLDATA = 0;
    std::uint32_t WM_REMOVEHISTORYITEM = 0;
    std::uint32_t WM_UPDATEMALWAREINFO = 0;
    std::uint32_t WM_CANCELSUSPECTSDATA = 0;
    std::uint32_t WM_REMOVEUNBLOCKIMTEMLAYER = 0;
    std::uint32_t WM_REMOVEALLITEMS = 0;
};

// Registers the fifteen names in the order the controller's set-up registers them.
stMessageNumbers RegisterControllerMessages();

// The names, in registration order (not the field order).
extern const std::array<std::u16string_view, 15> kControllerMessageNames;

inline constexpr std::u16string_view kUpdateWindowMessage = u"WM_UPDATEWINDOW";
inline constexpr std::u16string_view kSkinFormMessage = u"WM_SKINFORM";
