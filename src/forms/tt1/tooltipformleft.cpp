#include "forms/tt1/tooltipformleft.h"

#include "forms/tt1/tooltipmanager.h"
#include "module/formvars.h"

namespace {
constexpr int kTextWidth = 400;
constexpr int kDirection = 2;
constexpr int kHideDelay = 2000;
// Top-left, top, top-right, right, bottom-right, bottom, bottom-left (with the pointer), left.
constexpr std::array<std::uint32_t, 8> kBorderPictures = {21037, 21044, 21038, 21046,
                                                          21040, 21043, 21041, 21045};
} // namespace

TTooltipFormLeft::TTooltipFormLeft(QWidget* owner, void* resourceLibrary, int offsetX, int offsetY)
    : TfrmTT1(owner, resourceLibrary, kTextWidth) {
    setObjectName(QStringLiteral("TooltipFormLeft"));
    resize(434, 320);
    tooltips::RegisterTooltipWindow(
        TZrToolTipFormInfo{this, true, QStringLiteral("black"), kDirection, offsetX, offsetY});
    tooltips::SetHideDelay(kHideDelay);
    if (ResourceLibrary())
        SetBorderPictures(kBorderPictures);
    TooltipFormLeft = this;
}

TTooltipFormLeft::~TTooltipFormLeft() {
    if (TooltipFormLeft == this)
        TooltipFormLeft = nullptr;
}
