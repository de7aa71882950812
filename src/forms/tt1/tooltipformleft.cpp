#include "forms/tt1/tooltipformleft.h"

#include "module/formvars.h"

namespace {
constexpr int kDirection = 2;
// Top-left, top, top-right, right, bottom-right, bottom, bottom-left (with the pointer), left.
constexpr std::array<std::uint32_t, 8> kBorderPictures = {21037, 21044, 21038, 21046,
                                                          21040, 21043, 21041, 21045};
} // namespace

TTooltipFormLeft::TTooltipFormLeft(QWidget* owner, void* resourceLibrary, int offsetX, int offsetY)
    : TfrmTT1(owner, resourceLibrary, QStringLiteral("TooltipFormLeft"), kDirection, offsetX, offsetY,
              kBorderPictures) {
    TooltipFormLeft = this;
}

TTooltipFormLeft::~TTooltipFormLeft() {
    if (TooltipFormLeft == this)
        TooltipFormLeft = nullptr;
}
