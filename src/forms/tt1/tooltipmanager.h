#pragma once

#include <QList>
#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QString>
#include <array>

class QWidget;
class TfrmTT1;

// What the application hands over when it wants to show a hint for a control.
struct stHintRequest {
    QPointer<QWidget> hintControl;
    QPoint hintPosition;   // screen position where the hint should appear
    QPoint cursorPosition; // screen position of the cursor
    QRect cursorRect;      // the control's area the hint belongs to, in its own coordinates
    int maxWidth = 0;
    int hideTimeout = 0;
};

// The event object of a hint owner (a window whose controls get the module's tooltips).
// Slot order: destroy, tooltip show, anchor click.
class IToolTipEvents {
public:
    // Destroying the client destroys its window.
    virtual void Destroy() = 0;
    // Called before a hint of the owner is shown; clearing mayShow cancels it. The owner may
    // also change the text and move the hint position.
    virtual void ToolTipShow(QString& hintText, stHintRequest& request, bool& mayShow) = 0;
    // A link was clicked in a tooltip the owner's hint opened.
    virtual void AnchorClick(const QString& anchor) = 0;

protected:
    ~IToolTipEvents() = default;
};

// One tooltip window that hints can open in.
struct TZrToolTipFormInfo {
    TfrmTT1* window = nullptr;
    bool preferred = false;
    QString name;
    int direction = 0; // 0 right-below, 1 left-below, 2 right-above, 3 left-above of the position
    int offsetX = 0;
    int offsetY = 0;
};

// The placement decision for one hint text at one cursor position.
struct TZrHintPlacement {
    // Side scores by direction: 0 right-below, 1 left-below, 2 right-above, 3 left-above.
    std::array<int, 4> scores{};
    // Index of the chosen tooltip window in the list judged, -1 when the list is empty.
    int chosen = -1;
    // The parts of the hint text "A^B^C": the window asked for, the placement letters, the text.
    QString name;
    QString placement;
    QString text;
};

namespace tooltips {

// Tooltip windows, in registration order; records are never removed while their window lives.
bool RegisterTooltipWindow(const TZrToolTipFormInfo& info);
// Forgets a tooltip window that is being destroyed.
void UnregisterTooltipWindow(TfrmTT1* window);
bool RegisterHintOwner(QWidget* window, IToolTipEvents* events);
bool UnregisterHintOwner(QWidget* window);
void HideAllTooltips();
bool AnyTooltipVisible();

// The show-hint handler: decides whether and where one of the module's tooltip windows shows
// the hint text. mayShow is always cleared: the standard hint window is never used.
void ShowHintHandler(QString& hintText, bool& mayShow, stHintRequest& request);

// Manager settings and state that the tooltip windows read.
int HideDelay();
void SetHideDelay(int milliseconds);
int HoverGrace();
int PlacementWidth();
int PlacementHeight();
// The owner of the hint shown last, cleared when a tooltip hides.
IToolTipEvents* CurrentOwnerEvents();
void ClearCurrentOwner();
// Installs the show-hint hook once frmTT1 exists (done by frmTT1's construction).
void InstallHook();
// Takes the hook away again (done by frmTT1's destruction).
void RemoveHook();
bool HookInstalled();

// The registered tooltip windows, in registration order.
QList<TZrToolTipFormInfo> TooltipWindows();
// Splits a hint text into its parts: "C", "A^C" or "A^B^C".
TZrHintPlacement SplitHint(const QString& hintText);
// A hint text that is only text: a '^' of a name or path in it is never read as a separator.
QString TextOnlyHint(const QString& text);
// Scores the four sides for a cursor position within a screen's work area, reads the hint's
// placement letters and chooses among the windows given, the way the show-hint handler does.
TZrHintPlacement ComputePlacement(const QPoint& cursor, const QRect& workArea, const QString& hintText,
                                  const QList<TZrToolTipFormInfo>& windows);
// Where a hint is asked for, relative to the cursor: a little below it.
QPoint HintOffsetFromCursor();

} // namespace tooltips
