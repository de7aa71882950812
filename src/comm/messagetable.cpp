#include "comm/messagetable.h"

#include "platform/messages.h"

const std::array<std::u16string_view, 15> kControllerMessageNames = {
    u"WM_SELECTELEMENT",
    u"WM_GETBLALIST",
    u"WM_UNBLOCKITEM",
    u"WM_REBLOCKITEM",
    u"WM_REMOVEITEM",
    u"WM_GETSUSPECTSDATA",
    u"WM_REMOVEHISTORYITEM",
    u"WM_GETDETECTIONINFO",
    u"WM_UPDATEMALWAREINFO",
    u"WM_CANCELSUSPECTSDATA",
    u"WM_REMOVEUNBLOCKIMTEMLAYER",
    u"WM_REMOVEALLITEMS",
    u"WM_FILLDATA",
    u"WM_RESETVIEWS",
    u"WM_ENDFILLDATA",
};

stMessageNumbers RegisterControllerMessages() {
    stMessageNumbers m;
    std::uint32_t* const fields[] = {
        &m.WM_SELECTELEMENT,
        &m.WM_GETBLALIST,
        &m.WM_UNBLOCKITEM,
        &m.WM_REBLOCKITEM,
        &m.WM_REMOVEITEM,
        &m.WM_GETSUSPECTSDATA,
        &m.WM_REMOVEHISTORYITEM,
        &m.WM_GETDETECTIONINFO,
        &m.WM_UPDATEMALWAREINFO,
        &m.WM_CANCELSUSPECTSDATA,
        &m.WM_REMOVEUNBLOCKIMTEMLAYER,
        &m.WM_REMOVEALLITEMS,
        &m.WM_FILLDATA,
        &m.WM_RESETVIEWS,
        &m.WM_ENDFILLDATA,
    };
    for (std::size_t i = 0; i < kControllerMessageNames.size(); ++i)
        *fields[i] = platform::RegisterWindowMessage(kControllerMessageNames[i]);
    return m;
}
