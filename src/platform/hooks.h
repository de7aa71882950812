#pragma once

#include "platform/platformapi.h"

#include <cstdint>
#include <functional>

class QObject;
class QKeyEvent;
class QWheelEvent;
class QHelpEvent;

namespace platform {

using HookHandle = std::intptr_t;

// Thread hooks of the user-interface thread, as application event filters. Hooks of one
// kind form a chain, newest first; a hook that returns true does not call the next one.
//
// Keyboard: sees every key press and release once, before the focused control. Returning
// true swallows the key.
using KeyboardHook = std::function<bool(QObject* target, QKeyEvent* event)>;
// Window procedure calls: sees every wheel event once, before its target. The event reaches
// its target whatever the hook returns (this kind of hook only observes).
using WheelHook = std::function<bool(QObject* target, QWheelEvent* event)>;
// Show hint: sees every tooltip request. Returning true means the request was served and the
// standard tooltip is not shown.
using ShowHintHook = std::function<bool(QObject* target, QHelpEvent* event)>;

ZRUN_PLATFORM_API HookHandle SetKeyboardHook(KeyboardHook hook);
ZRUN_PLATFORM_API HookHandle SetWheelHook(WheelHook hook);
ZRUN_PLATFORM_API HookHandle SetShowHintHook(ShowHintHook hook);
ZRUN_PLATFORM_API bool UnhookWindowsHook(HookHandle handle);

// Virtual key codes the windows test.
namespace vk {
constexpr int Alt = 0x12;
constexpr int Escape = 0x1B;
constexpr int D = 0x44;
constexpr int Numpad4 = 0x64;
constexpr int F4 = 0x73;
constexpr int F5 = 0x74;
constexpr int F10 = 0x79;
constexpr int LShift = 0xA0;
constexpr int RShift = 0xA1;
constexpr int LControl = 0xA2;
constexpr int RControl = 0xA3;
constexpr int LAlt = 0xA4;
constexpr int RAlt = 0xA5;
} // namespace vk

// The virtual key code of a key event (modifier keys by side, keypad digits apart).
ZRUN_PLATFORM_API int VirtualKeyOf(const QKeyEvent* event);
// Whether a key is held now, by virtual key code; modifier keys are told apart by side.
ZRUN_PLATFORM_API bool IsKeyDown(int virtualKey);
// Forget every held key (the application lost the keyboard).
ZRUN_PLATFORM_API void ResetKeyState();

} // namespace platform
