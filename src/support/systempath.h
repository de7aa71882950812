#pragma once

#include <optional>
#include <string>
#include <string_view>

// The ordinary form of a path as the system reports it (device, kernel and share forms), or
// nothing for a device form that names no file.
std::optional<std::u16string> ExpandSystemPath(std::u16string_view path);
// The same, with an empty text where the other gives nothing.
std::u16string ExpandSystemPathString(std::u16string_view path);

// The Windows folder: the environment's SystemRoot, else C:\Windows (off Windows too, where
// the paths reported by the service still name Windows folders).
std::u16string WindowsFolder();
// Letter of the current drive ('C' off Windows).
char16_t CurrentDrive();
