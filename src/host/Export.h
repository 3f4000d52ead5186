#pragma once

// Marks the classes and functions that the host application calls. The
// library is built with hidden visibility, so only what carries this mark is
// reachable from outside it.
//
// VORLAT_BUILDING is defined while the library itself is compiled;
// VORLAT_STATIC when its code is linked statically (the test programs).

#if defined(_WIN32)
#  if defined(VORLAT_STATIC)
#    define VORLAT_EXPORT
#  elif defined(VORLAT_BUILDING)
#    define VORLAT_EXPORT __declspec(dllexport)
#  else
#    define VORLAT_EXPORT __declspec(dllimport)
#  endif
#else
#  define VORLAT_EXPORT __attribute__((visibility("default")))
#endif
