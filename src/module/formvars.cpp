#include "module/formvars.h"

extern "C" {
ZRUN_MODULE_API TSuspectsForm* SuspectsForm = nullptr;
ZRUN_MODULE_API THistorySuspectsForm* HistorySuspectsForm = nullptr;
ZRUN_MODULE_API TSuspectsActionForm* SuspectsActionForm = nullptr;
ZRUN_MODULE_API TTooltipFormLeft* TooltipFormLeft = nullptr;
ZRUN_MODULE_API TTooltipFormRight* TooltipFormRight = nullptr;
ZRUN_MODULE_API TfrmTT1* frmTT1 = nullptr;
}
