#include "forms/tt1/tooltipformright.h"

#include "module/formvars.h"

namespace {
constexpr int kDirection = 3;
// Top-left, top, top-right, right, bottom-right (with the pointer), bottom, bottom-left, left.
constexpr std::array<std::uint32_t, 8> kBorderPictures = {21037, 21044, 21038, 21046,
                                                          21042, 21043, 21039, 21045};
} // namespace

TTooltipFormRight::TTooltipFormRight(QWidget* owner, void* resourceLibrary, int offsetX, int offsetY)
    : TfrmTT1(owner, resourceLibrary, QStringLiteral("TooltipFormRight"), kDirection, offsetX, offsetY,
              kBorderPictures) {
    TooltipFormRight = this;
}

TTooltipFormRight::~TTooltipFormRight() {
    if (TooltipFormRight == this)
        TooltipFormRight = nullptr;
}
