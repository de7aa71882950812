#pragma once

#include <QString>
#include <cstdint>

// Folder of this module's own file, without a trailing separator.
QString ModuleFolder();
// The product's installation folder from the machine settings; empty when not set.
QString InstallFolder();
// Full path of a product library: folder, separator, the platform's file name; empty
// without a folder, which the loader refuses.
QString ProductLibraryPath(const QString& folder, const QString& windowsFileName);

// Open the feedback page / the information page of a detection through the utilities
// library, which is opened and released around the one call. Nothing happens when the
// library or its launcher is missing.
void LaunchYourOpinion(std::uintptr_t value);
void LaunchDetectionInfo(std::uintptr_t hostValue, std::uint32_t detection);
