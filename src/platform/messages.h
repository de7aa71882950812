#pragma once

#include "platform/platformapi.h"

#include <QEvent>
#include <cstdint>
#include <memory>
#include <string_view>

class QObject;
class QWidget;

namespace platform {

// A window handle: a number that names a live window. Handles are never reused, so a
// handle kept by another thread can at worst name a window that is gone.
using WindowHandle = std::uintptr_t;

// A posted message may carry an object in its second parameter that the receiver takes
// over; when the message is never delivered, the message frees it.
using OwnedParam = std::unique_ptr<void, void (*)(void*)>;

template <class T> OwnedParam MakeOwnedParam(T* object) {
    return OwnedParam(object, [](void* p) { delete static_cast<T*>(p); });
}

// One process-wide number per name; the same name always gives the same number.
ZRUN_PLATFORM_API std::uint32_t RegisterWindowMessage(std::u16string_view name);

// The handle of a window, registering it on first use; 0 for null.
ZRUN_PLATFORM_API WindowHandle HandleOf(QObject* window);
// The live window of a handle, or null. Only meaningful on the thread that owns the window.
ZRUN_PLATFORM_API QObject* WindowFromHandle(WindowHandle handle);
// The first visible-or-not top-level widget whose class is exactly className.
ZRUN_PLATFORM_API QWidget* FindWindow(const char* className);

// Queue a message for the window of the handle, from any thread. False when the window is
// gone or msg is not a registered message number.
ZRUN_PLATFORM_API bool PostMessage(WindowHandle handle, std::uint32_t msg, std::uintptr_t wParam,
                                   std::intptr_t lParam);
ZRUN_PLATFORM_API bool PostMessage(WindowHandle handle, std::uint32_t msg, std::uintptr_t wParam,
                                   OwnedParam lParam);

// The event a posted message arrives as; its type is the message number.
class ZRUN_PLATFORM_API WindowMessage final : public QEvent {
public:
    WindowMessage(std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam);
    WindowMessage(std::uint32_t msg, std::uintptr_t wParam, OwnedParam owned);
    ~WindowMessage() override;

    std::uint32_t Msg() const { return static_cast<std::uint32_t>(type()); }
    std::uintptr_t WParam() const { return m_wParam; }
    std::intptr_t LParam() const { return m_lParam; }

    // Takes over the object carried in the second parameter, if any.
    template <class T> std::unique_ptr<T> TakeOwned() {
        if (!m_owned)
            return nullptr;
        return std::unique_ptr<T>(static_cast<T*>(m_owned.release()));
    }

private:
    std::uintptr_t m_wParam;
    std::intptr_t m_lParam;
    OwnedParam m_owned;
};

// The message an event carries, or null when the event is not a posted message.
ZRUN_PLATFORM_API WindowMessage* AsWindowMessage(QEvent* event);

} // namespace platform
