#include "platform/messages.h"

#include <QApplication>
#include <QCoreApplication>
#include <QObject>
#include <QPointer>
#include <QWidget>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <unordered_map>

namespace platform {
namespace {

struct MessageTable {
    std::mutex lock;
    std::map<std::u16string, std::uint32_t, std::less<>> numbers;
    std::set<std::uint32_t> registered;
};

MessageTable& Messages() {
    static MessageTable table;
    return table;
}

bool IsRegisteredMessage(std::uint32_t msg) {
    auto& table = Messages();
    std::lock_guard guard(table.lock);
    return table.registered.count(msg) != 0;
}

// Live windows by handle. Posting holds the lock while it queues the event, and a window
// leaves the table (under the same lock) before Qt drops its pending events, so a post
// either reaches a live window or fails; it never touches a freed one.
struct WindowTable {
    std::mutex lock;
    std::unordered_map<WindowHandle, QObject*> windows;
    std::unordered_map<const QObject*, WindowHandle> handles;
    WindowHandle next = 0x10000;
};

WindowTable& Windows() {
    static WindowTable table;
    return table;
}

void Forget(WindowHandle handle) {
    auto& table = Windows();
    std::lock_guard guard(table.lock);
    auto it = table.windows.find(handle);
    if (it == table.windows.end())
        return;
    table.handles.erase(it->second);
    table.windows.erase(it);
}

bool Post(WindowHandle handle, std::uint32_t msg, std::unique_ptr<WindowMessage> message) {
    if (handle == 0 || !IsRegisteredMessage(msg))
        return false;
    auto& table = Windows();
    std::lock_guard guard(table.lock);
    auto it = table.windows.find(handle);
    if (it == table.windows.end())
        return false;
    QCoreApplication::postEvent(it->second, message.release());
    return true;
}

} // namespace

std::uint32_t RegisterWindowMessage(std::u16string_view name) {
    if (name.empty())
        return 0;
    auto& table = Messages();
    std::lock_guard guard(table.lock);
    auto it = table.numbers.find(name);
    if (it != table.numbers.end())
        return it->second;
    const int number = QEvent::registerEventType();
    if (number < 0)
        return 0;
    const auto msg = static_cast<std::uint32_t>(number);
    table.numbers.emplace(std::u16string(name), msg);
    table.registered.insert(msg);
    return msg;
}

WindowHandle HandleOf(QObject* window) {
    if (!window)
        return 0;
    auto& table = Windows();
    WindowHandle handle = 0;
    {
        std::lock_guard guard(table.lock);
        auto it = table.handles.find(window);
        if (it != table.handles.end())
            return it->second;
        handle = table.next;
        table.next += 4;
        table.windows.emplace(handle, window);
        table.handles.emplace(window, handle);
    }
    // destroyed() runs inside ~QObject, before Qt removes the window's pending events.
    QObject::connect(
        window, &QObject::destroyed, window, [handle] { Forget(handle); }, Qt::DirectConnection);
    return handle;
}

QObject* WindowFromHandle(WindowHandle handle) {
    auto& table = Windows();
    std::lock_guard guard(table.lock);
    auto it = table.windows.find(handle);
    return it == table.windows.end() ? nullptr : it->second;
}

QWidget* FindWindow(const char* className) {
    if (!className || !qobject_cast<QApplication*>(QCoreApplication::instance()))
        return nullptr;
    const auto windows = QApplication::topLevelWidgets();
    for (QWidget* window : windows) {
        if (qstrcmp(window->metaObject()->className(), className) == 0)
            return window;
    }
    return nullptr;
}

bool PostMessage(WindowHandle handle, std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam) {
    return Post(handle, msg, std::make_unique<WindowMessage>(msg, wParam, lParam));
}

bool PostMessage(WindowHandle handle, std::uint32_t msg, std::uintptr_t wParam, OwnedParam lParam) {
    // A failed post drops the message, and the message frees what it carries.
    return Post(handle, msg, std::make_unique<WindowMessage>(msg, wParam, std::move(lParam)));
}

WindowMessage::WindowMessage(std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam)
    : QEvent(static_cast<QEvent::Type>(msg)), m_wParam(wParam), m_lParam(lParam),
      m_owned(nullptr, [](void*) {}) {}

WindowMessage::WindowMessage(std::uint32_t msg, std::uintptr_t wParam, OwnedParam owned)
    : QEvent(static_cast<QEvent::Type>(msg)), m_wParam(wParam),
      m_lParam(reinterpret_cast<std::intptr_t>(owned.get())), m_owned(std::move(owned)) {}

WindowMessage::~WindowMessage() = default;

WindowMessage* AsWindowMessage(QEvent* event) {
    if (!event || event->type() < QEvent::User)
        return nullptr;
    return dynamic_cast<WindowMessage*>(event);
}

} // namespace platform
