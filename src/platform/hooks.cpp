#include "platform/hooks.h"

#include <QApplication>
#include <QGuiApplication>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QPointer>
#include <QWheelEvent>
#include <QWidget>
#include <QWindow>
#include <algorithm>
#include <set>
#include <vector>

namespace platform {
namespace {

// X11 keysyms of the modifier keys; the Windows codes arrive as themselves.
constexpr quint32 kXControlL = 0xffe3, kXControlR = 0xffe4;
constexpr quint32 kXShiftL = 0xffe1, kXShiftR = 0xffe2;
constexpr quint32 kXAltL = 0xffe9, kXAltR = 0xffea, kXAltGr = 0xfe03;

enum class Kind { Keyboard, Wheel, ShowHint };

struct Hook {
    HookHandle handle;
    Kind kind;
    KeyboardHook keyboard;
    WheelHook wheel;
    ShowHintHook showHint;
};

class HookFilter;

struct HookState {
    std::vector<Hook> hooks; // oldest first
    HookHandle next = 1;
    std::set<int> keysDown;
    QPointer<HookFilter> filter;
};

HookState& State() {
    static HookState state;
    return state;
}

int ModifierSide(const QKeyEvent* event, int left, int right, quint32 xRight, quint32 xRight2 = 0) {
    const quint32 native = event->nativeVirtualKey();
    if (native == xRight || (xRight2 && native == xRight2) || native == static_cast<quint32>(right))
        return right;
    return left;
}

void TrackKey(const QKeyEvent* event) {
    auto& state = State();
    const int key = VirtualKeyOf(event);
    if (key == 0)
        return;
    if (event->type() == QEvent::KeyPress)
        state.keysDown.insert(key);
    else if (!event->isAutoRepeat())
        state.keysDown.erase(key);
}

class HookFilter final : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
        case QEvent::KeyPress:
        case QEvent::KeyRelease: {
            // A key event passes the filter once per receiver: the window, the focused
            // control, then its parents while nobody accepts it. The hook sees it once.
            if (IsPropagation(watched, event))
                return m_lastSwallowed;
            TrackKey(static_cast<QKeyEvent*>(event));
            m_lastSwallowed = RunChain(Kind::Keyboard, watched, event);
            return m_lastSwallowed;
        }
        case QEvent::Wheel:
            if (!IsPropagation(watched, event))
                RunChain(Kind::Wheel, watched, event);
            return false;
        case QEvent::ToolTip:
            return RunChain(Kind::ShowHint, watched, event);
        case QEvent::ApplicationStateChange:
            if (QGuiApplication::applicationState() != Qt::ApplicationActive)
                ResetKeyState();
            return false;
        default:
            return false;
        }
    }

private:
    // The same event object, seen again by an object that delivery reaches after the last
    // one: the widget of a window, or the parent of the last receiver.
    bool IsPropagation(QObject* watched, QEvent* event) {
        const auto* input = static_cast<const QInputEvent*>(event);
        bool again = false;
        if (event == m_lastEvent && event->type() == m_lastType && input->timestamp() == m_lastTimestamp &&
            m_lastReceiver) {
            if (auto* widget = qobject_cast<QWidget*>(watched)) {
                if (auto* window = qobject_cast<QWindow*>(m_lastReceiver.data()))
                    again = widget->window()->windowHandle() == window;
                else if (auto* last = qobject_cast<QWidget*>(m_lastReceiver.data()))
                    again = widget != last && widget->isAncestorOf(last);
            }
        }
        m_lastEvent = event;
        m_lastType = event->type();
        m_lastTimestamp = input->timestamp();
        m_lastReceiver = watched;
        return again;
    }

    static bool RunChain(Kind kind, QObject* target, QEvent* event) {
        // Newest first; a hook may remove itself or others while it runs.
        std::vector<Hook> chain;
        for (const auto& hook : State().hooks)
            if (hook.kind == kind)
                chain.push_back(hook);
        for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
            bool handled = false;
            switch (kind) {
            case Kind::Keyboard:
                handled = it->keyboard(target, static_cast<QKeyEvent*>(event));
                break;
            case Kind::Wheel:
                handled = it->wheel(target, static_cast<QWheelEvent*>(event));
                break;
            case Kind::ShowHint:
                handled = it->showHint(target, static_cast<QHelpEvent*>(event));
                break;
            }
            if (handled)
                return true;
        }
        return false;
    }

    const QEvent* m_lastEvent = nullptr;
    QEvent::Type m_lastType = QEvent::None;
    quint64 m_lastTimestamp = 0;
    QPointer<QObject> m_lastReceiver;
    bool m_lastSwallowed = false;
};

HookHandle Install(Hook hook) {
    auto& state = State();
    auto* app = QCoreApplication::instance();
    if (!app)
        return 0;
    if (!state.filter) {
        state.filter = new HookFilter(app);
        app->installEventFilter(state.filter);
    }
    hook.handle = state.next++;
    state.hooks.push_back(std::move(hook));
    return state.hooks.back().handle;
}

} // namespace

HookHandle SetKeyboardHook(KeyboardHook hook) {
    if (!hook)
        return 0;
    return Install(Hook{0, Kind::Keyboard, std::move(hook), {}, {}});
}

HookHandle SetWheelHook(WheelHook hook) {
    if (!hook)
        return 0;
    return Install(Hook{0, Kind::Wheel, {}, std::move(hook), {}});
}

HookHandle SetShowHintHook(ShowHintHook hook) {
    if (!hook)
        return 0;
    return Install(Hook{0, Kind::ShowHint, {}, {}, std::move(hook)});
}

bool UnhookWindowsHook(HookHandle handle) {
    auto& hooks = State().hooks;
    auto it =
        std::find_if(hooks.begin(), hooks.end(), [handle](const Hook& h) { return h.handle == handle; });
    if (it == hooks.end())
        return false;
    hooks.erase(it);
    return true;
}

int VirtualKeyOf(const QKeyEvent* event) {
    if (!event)
        return 0;
    const int key = event->key();
    switch (key) {
    case Qt::Key_Control:
        return ModifierSide(event, vk::LControl, vk::RControl, kXControlR);
    case Qt::Key_Shift:
        return ModifierSide(event, vk::LShift, vk::RShift, kXShiftR);
    case Qt::Key_Alt:
        return ModifierSide(event, vk::LAlt, vk::RAlt, kXAltR);
    case Qt::Key_AltGr:
        return vk::RAlt;
    case Qt::Key_Escape:
        return vk::Escape;
    default:
        break;
    }
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24)
        return 0x70 + (key - Qt::Key_F1);
    if (key >= Qt::Key_0 && key <= Qt::Key_9)
        return (event->modifiers() & Qt::KeypadModifier) ? 0x60 + (key - Qt::Key_0) : key;
    if (key >= Qt::Key_A && key <= Qt::Key_Z)
        return key;
    if (key == Qt::Key_Space)
        return 0x20;
    if (key == Qt::Key_Return || key == Qt::Key_Enter)
        return 0x0D;
    if (key == Qt::Key_Tab)
        return 0x09;
    return 0;
}

bool IsKeyDown(int virtualKey) {
    auto& state = State();
    if (!state.keysDown.count(virtualKey))
        return false;
    // A release that happened outside the application never reached the filter; trust the
    // modifier state the window system reports now.
    Qt::KeyboardModifier modifier = Qt::NoModifier;
    switch (virtualKey) {
    case vk::LControl:
    case vk::RControl:
        modifier = Qt::ControlModifier;
        break;
    case vk::LShift:
    case vk::RShift:
        modifier = Qt::ShiftModifier;
        break;
    case vk::LAlt:
    case vk::RAlt:
        modifier = Qt::AltModifier;
        break;
    default:
        return true;
    }
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return true;
    if (!(QGuiApplication::queryKeyboardModifiers() & modifier) &&
        !(QGuiApplication::keyboardModifiers() & modifier)) {
        state.keysDown.erase(virtualKey);
        return false;
    }
    return true;
}

void ResetKeyState() {
    State().keysDown.clear();
}

} // namespace platform
