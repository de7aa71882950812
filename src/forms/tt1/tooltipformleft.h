#pragma once

#include "forms/tt1/tt1.h"

// The tooltip that opens right of and above the hint position, its pointer at the bottom left.
class TTooltipFormLeft final : public TfrmTT1 {
    Q_OBJECT

public:
    TTooltipFormLeft(QWidget* owner, void* resourceLibrary, int offsetX, int offsetY);
    ~TTooltipFormLeft() override;
    Q_DISABLE_COPY_MOVE(TTooltipFormLeft)
};
