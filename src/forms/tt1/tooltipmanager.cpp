#include "forms/tt1/tooltipmanager.h"

#include "forms/tt1/tt1.h"
#include "module/formvars.h"
#include "platform/hooks.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QHelpEvent>
#include <QScreen>
#include <QThread>
#include <QWidget>
#include <algorithm>
#include <utility>

namespace tooltips {
namespace {

constexpr QChar kSeparator = QLatin1Char('^');
constexpr int kNameBonus = 30;
constexpr int kPreferredBonus = 20;
constexpr int kLetterBonus = 4;
constexpr int kEdgePenalty = 5;

struct HintOwner {
    QPointer<QWidget> window;
    IToolTipEvents* events = nullptr;
};

struct LastHint {
    QPointer<QWidget> hintControl;
    QPoint hintPosition;
    QPoint cursorPosition;
    QRect cursorRect;
    int maxWidth = 0;
    int hideTimeout = 0;
    QString text;
};

struct ManagerState {
    QList<TZrToolTipFormInfo> windows;
    std::vector<HintOwner> owners;
    HintOwner current;
    LastHint last;
    platform::HookHandle hook = 0;
    int placementWidth = 399;
    int placementHeight = 299;
    int hideDelay = 3000;
    int hoverGrace = 500;
};

ManagerState& State() {
    static ManagerState state;
    return state;
}

bool IsOwner(const QWidget* widget) {
    const auto& owners = State().owners;
    return std::any_of(owners.begin(), owners.end(),
                       [widget](const HintOwner& o) { return o.window == widget; });
}

// The registered owner the widget belongs to: itself or the nearest of its ancestors.
const HintOwner* FindOwner(const QWidget* widget) {
    const auto& owners = State().owners;
    for (const QWidget* w = widget; w; w = w->parentWidget()) {
        const auto it = std::find_if(owners.begin(), owners.end(),
                                     [w](const HintOwner& owner) { return owner.window == w; });
        if (it != owners.end())
            return &*it;
    }
    return nullptr;
}

// The control whose hint a request under the mouse is for: the first one, from the widget out
// to its owner window, that has a hint (the way the application hands an unanswered request to
// the parent); the widget itself when none has.
QWidget* HintControlOf(QWidget* widget) {
    for (QWidget* w = widget; w; w = w->parentWidget()) {
        if (!w->toolTip().isEmpty())
            return w;
        if (IsOwner(w))
            break;
    }
    return widget;
}

QRect WorkAreaAt(const QPoint& position) {
    QScreen* screen = QGuiApplication::screenAt(position);
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
}

bool HookProc(QObject* target, QHelpEvent* event) {
    auto* widget = qobject_cast<QWidget*>(target);
    if (!widget || event->type() != QEvent::ToolTip || !FindOwner(widget))
        return false;
    QWidget* control = HintControlOf(widget);
    stHintRequest request;
    request.hintControl = control;
    request.cursorPosition = event->globalPos();
    request.hintPosition = request.cursorPosition + HintOffsetFromCursor();
    request.cursorRect = control->rect();
    request.maxWidth = WorkAreaAt(request.cursorPosition).width();
    QString hintText = control->toolTip();
    bool mayShow = true;
    ShowHintHandler(hintText, mayShow, request);
    // Served here, whatever came of it: the module's controls never get the standard tooltip.
    return true;
}

} // namespace

bool RegisterTooltipWindow(const TZrToolTipFormInfo& info) {
    InstallHook();
    auto& windows = State().windows;
    const bool known = std::any_of(windows.begin(), windows.end(),
                                   [&](const TZrToolTipFormInfo& w) { return w.window == info.window; });
    if (known)
        return false;
    windows.append(info);
    return true;
}

void UnregisterTooltipWindow(TfrmTT1* window) {
    State().windows.removeIf([window](const TZrToolTipFormInfo& w) { return w.window == window; });
}

bool RegisterHintOwner(QWidget* window, IToolTipEvents* events) {
    InstallHook();
    auto& owners = State().owners;
    // Owners that died without unregistering must not keep their place.
    owners.erase(std::remove_if(owners.begin(), owners.end(), [](const HintOwner& o) { return !o.window; }),
                 owners.end());
    if (!window || IsOwner(window))
        return false;
    owners.push_back(HintOwner{window, events});
    return true;
}

bool UnregisterHintOwner(QWidget* window) {
    auto& state = State();
    const auto it = std::find_if(state.owners.begin(), state.owners.end(),
                                 [window](const HintOwner& o) { return o.window == window; });
    if (it == state.owners.end())
        return false;
    if (state.current.window == window)
        state.current = HintOwner{};
    state.owners.erase(it);
    return true;
}

void HideAllTooltips() {
    // Hiding may clear the current owner; work on a copy of the list.
    const auto windows = State().windows;
    for (const auto& info : windows)
        if (info.window)
            info.window->Hide();
}

bool AnyTooltipVisible() {
    const auto& windows = State().windows;
    return std::any_of(windows.begin(), windows.end(),
                       [](const TZrToolTipFormInfo& w) { return w.window && w.window->isVisible(); });
}

TZrHintPlacement SplitHint(const QString& hintText) {
    TZrHintPlacement parts;
    const qsizetype first = hintText.indexOf(kSeparator);
    if (first < 0) {
        parts.text = hintText;
        return parts;
    }
    parts.name = hintText.left(first);
    const qsizetype second = hintText.indexOf(kSeparator, first + 1);
    if (second < 0) {
        parts.text = hintText.mid(first + 1);
        return parts;
    }
    parts.placement = hintText.mid(first + 1, second - first - 1);
    parts.text = hintText.mid(second + 1);
    return parts;
}

QString TextOnlyHint(const QString& text) {
    return text.contains(kSeparator) ? QString(2, kSeparator) + text : text;
}

TZrHintPlacement ComputePlacement(const QPoint& cursor, const QRect& workArea, const QString& hintText,
                                  const QList<TZrToolTipFormInfo>& windows) {
    const auto& state = State();
    TZrHintPlacement placement = SplitHint(hintText);
    auto& s = placement.scores;
    const int x = cursor.x();
    const int y = cursor.y();
    // The work area's right and bottom lie just outside it.
    const int left = workArea.left();
    const int top = workArea.top();
    const int right = workArea.left() + workArea.width();
    const int bottom = workArea.top() + workArea.height();
    const int w = state.placementWidth;
    const int h = state.placementHeight;
    const auto penalise = [&s](int a, int b) {
        s[a] -= kEdgePenalty;
        s[b] -= kEdgePenalty;
    };
    if (x + w / 2 >= right)
        penalise(0, 2);
    if (x + w >= right)
        penalise(0, 2);
    if (x <= left + w / 2)
        penalise(1, 3);
    if (x <= left + w)
        penalise(1, 3);
    if (y + h / 2 >= bottom)
        penalise(0, 1);
    if (y + h >= bottom)
        penalise(0, 1);
    if (y <= top + h / 2)
        penalise(2, 3);
    if (y <= top + h)
        penalise(2, 3);

    bool letters = false;
    for (const QChar c : std::as_const(placement.placement)) {
        switch (c.toLower().unicode()) {
        case 't':
            s[0] += kLetterBonus;
            s[1] += kLetterBonus;
            break;
        case 'b':
            s[2] += kLetterBonus;
            s[3] += kLetterBonus;
            break;
        case 'l':
            s[0] += kLetterBonus;
            s[2] += kLetterBonus;
            break;
        case 'r':
            s[1] += kLetterBonus;
            s[3] += kLetterBonus;
            break;
        default:
            continue;
        }
        letters = true;
    }
    if (!letters) {
        s[0] += 4;
        s[1] += 2;
    }

    int best = -9999;
    for (int i = 0; i < windows.size(); ++i) {
        const auto& info = windows.at(i);
        int score = s[std::clamp(info.direction, 0, 3)];
        if (!placement.name.isEmpty() && placement.name == info.name)
            score += kNameBonus;
        else if (info.preferred)
            score += kPreferredBonus;
        if (score > best) {
            best = score;
            placement.chosen = i;
        }
    }
    return placement;
}

QPoint HintOffsetFromCursor() {
    return QPoint(0, 16);
}

void ShowHintHandler(QString& hintText, bool& mayShow, stHintRequest& request) {
    auto& state = State();
    mayShow = false;
    if (state.windows.isEmpty())
        return;
    const HintOwner* found = request.hintControl ? FindOwner(request.hintControl) : nullptr;
    if (!found)
        return;
    const HintOwner owner = *found;

    const bool visible = AnyTooltipVisible();
    if (!visible && request.cursorPosition == state.last.cursorPosition)
        return;
    if (visible && hintText == state.last.text && request.hintControl == state.last.hintControl)
        return;

    state.last = LastHint{request.hintControl,
                          request.hintPosition,
                          request.cursorPosition,
                          request.cursorRect,
                          request.maxWidth,
                          request.hideTimeout,
                          hintText};
    state.current = owner;

    if (owner.events) {
        bool show = true;
        owner.events->ToolTipShow(hintText, request, show);
        if (!show)
            return;
    }

    const TZrHintPlacement placement =
        ComputePlacement(request.cursorPosition, WorkAreaAt(request.cursorPosition), hintText, state.windows);
    if (placement.chosen < 0 || placement.text.isEmpty())
        return;
    const TZrToolTipFormInfo chosen = state.windows.at(placement.chosen);
    if (!chosen.window)
        return;
    const QPoint position = request.hintPosition + QPoint(chosen.offsetX, chosen.offsetY);
    // Processing events may destroy the chosen window or the owner.
    const QPointer<TfrmTT1> window = chosen.window;

    if (visible) {
        HideAllTooltips();
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        QThread::yieldCurrentThread();
        if (!window || !owner.window)
            return;
        // Hiding cleared the owner of the hint that was up; this one is the owner now.
        state.current = owner;
    }
    window->ShowAt(placement.text, chosen.direction, position.x(), position.y());
}

int HideDelay() {
    return State().hideDelay;
}

void SetHideDelay(int milliseconds) {
    State().hideDelay = milliseconds;
}

int HoverGrace() {
    return State().hoverGrace;
}

int PlacementWidth() {
    return State().placementWidth;
}

int PlacementHeight() {
    return State().placementHeight;
}

IToolTipEvents* CurrentOwnerEvents() {
    const auto& current = State().current;
    return current.window ? current.events : nullptr;
}

void ClearCurrentOwner() {
    State().current = HintOwner{};
}

void InstallHook() {
    auto& state = State();
    if (state.hook || !frmTT1)
        return;
    state.hook = platform::SetShowHintHook(&HookProc);
}

void RemoveHook() {
    auto& state = State();
    if (!state.hook)
        return;
    platform::UnhookWindowsHook(state.hook);
    state.hook = 0;
}

bool HookInstalled() {
    return State().hook != 0;
}

QList<TZrToolTipFormInfo> TooltipWindows() {
    return State().windows;
}

} // namespace tooltips
