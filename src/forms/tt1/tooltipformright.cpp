#include "forms/tt1/tooltipformright.h"

#include "forms/tt1/tooltipmanager.h"
#include "module/formvars.h"

namespace {
constexpr int kTextWidth = 400;
constexpr int kDirection = 3;
constexpr int kHideDelay = 2000;
// Top-left, top, top-right, right, bottom-right (with the pointer), bottom, bottom-left, left.
constexpr std::array<std::uint32_t, 8> kBorderPictures = {21037, 21044, 21038, 21046,
                                                          21042, 21043, 21039, 21045};
} // namespace

TTooltipFormRight::TTooltipFormRight(QWidget* owner, void* resourceLibrary, int offsetX, int offsetY)
    : TfrmTT1(owner, resourceLibrary, kTextWidth) {
    setObjectName(QStringLiteral("TooltipFormRight"));
    resize(434, 320);
    tooltips::RegisterTooltipWindow(
        TZrToolTipFormInfo{this, true, QStringLiteral("black"), kDirection, offsetX, offsetY});
    tooltips::SetHideDelay(kHideDelay);
    if (ResourceLibrary())
        SetBorderPictures(kBorderPictures);
    TooltipFormRight = this;
}

TTooltipFormRight::~TTooltipFormRight() {
    if (TooltipFormRight == this)
        TooltipFormRight = nullptr;
}
