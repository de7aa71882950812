#pragma once

#if defined(_WIN32)
#define ZRUN_MODULE_API __declspec(dllexport)
#else
#define ZRUN_MODULE_API __attribute__((visibility("default")))
#endif

class TSuspectsForm;
class THistorySuspectsForm;
class TSuspectsActionForm;
class TTooltipFormLeft;
class TTooltipFormRight;
class TfrmTT1;

// The module's window variables, exported for hosts and sibling modules: each points at the
// most recent window of its class, null until one exists.
extern "C" {
extern ZRUN_MODULE_API TSuspectsForm* SuspectsForm;
extern ZRUN_MODULE_API THistorySuspectsForm* HistorySuspectsForm;
extern ZRUN_MODULE_API TSuspectsActionForm* SuspectsActionForm;
extern ZRUN_MODULE_API TTooltipFormLeft* TooltipFormLeft;
extern ZRUN_MODULE_API TTooltipFormRight* TooltipFormRight;
extern ZRUN_MODULE_API TfrmTT1* frmTT1;
}
