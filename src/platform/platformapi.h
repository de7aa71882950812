#pragma once

// Symbols of the platform library are shared by every library of the process.
#if defined(_WIN32)
#if defined(ZRUN_PLATFORM_BUILD)
#define ZRUN_PLATFORM_API __declspec(dllexport)
#else
#define ZRUN_PLATFORM_API __declspec(dllimport)
#endif
#else
#define ZRUN_PLATFORM_API __attribute__((visibility("default")))
#endif
