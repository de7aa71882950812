#pragma once

#include "platform/platformapi.h"

#include <QString>
#include <cstdint>
#include <optional>
#include <string_view>

class QByteArray;
class QWidget;

namespace platform {

// Screen cursor values of the original system.
constexpr int kCursorDefault = 0;
constexpr int kCursorHourglass = -11;

// One application override cursor, set and cleared, never stacked.
ZRUN_PLATFORM_API void SetScreenCursor(int cursor);
ZRUN_PLATFORM_API int ScreenCursor();

// The application's main window handle, which the windows set to none or to themselves
// around the creation of their own windows so those belong where they should.
ZRUN_PLATFORM_API QWidget* ApplicationMainWindow();
ZRUN_PLATFORM_API void SetApplicationMainWindow(QWidget* window);

// Full path of the file of the library (or program) that holds the given address.
ZRUN_PLATFORM_API QString ModuleFileOf(const void* address);

// The machine-wide setting in the place of the registry value name under key organisation\application.
ZRUN_PLATFORM_API std::optional<QString> ReadMachineSetting(const QString& organisation,
                                                            const QString& application, const QString& name);

// Product library file name for this platform: "ZRUNUtils.dll" stays as it is on Windows and
// becomes "ZRUNUtils.so" elsewhere.
ZRUN_PLATFORM_API QString ProductLibraryFileName(const QString& windowsName);

// The folder separator of full paths on this platform.
ZRUN_PLATFORM_API QChar PathSeparator();

// Resource bytes of a loaded resource library, found through its ZRUN_FindResource export.
// The bytes stay owned by the library; empty when not found.
ZRUN_PLATFORM_API QByteArray FindResourceBytes(void* library, std::u16string_view type, std::uint32_t number);

} // namespace platform
