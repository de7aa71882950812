#pragma once

#include "forms/tt1/tt1.h"

// The tooltip that opens left of and above the hint position, its pointer at the bottom right.
class TTooltipFormRight final : public TfrmTT1 {
    Q_OBJECT

public:
    TTooltipFormRight(QWidget* owner, void* resourceLibrary, int offsetX, int offsetY);
    ~TTooltipFormRight() override;
    Q_DISABLE_COPY_MOVE(TTooltipFormRight)
};
