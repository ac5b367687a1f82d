#pragma once

// windows.h for the files that call the Win32 API directly, included the same way everywhere:
// without its min and max macros, which would break std::min and juce::jmin, and without the
// rarely used parts (sockets, COM, cryptography) that slow every build down.
#if defined(_WIN32)
 #ifndef NOMINMAX
  #define NOMINMAX
 #endif
 #ifndef WIN32_LEAN_AND_MEAN
  #define WIN32_LEAN_AND_MEAN
 #endif
 #include <windows.h>
#endif
