// The one way Win32 backends include <windows.h>. Only *_win.cpp files may
// include this header.
#ifndef PLATFORM_WINDOWS_HEADERS_H
#define PLATFORM_WINDOWS_HEADERS_H

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#endif
