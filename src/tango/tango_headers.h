// Tango's own header, included once here for the whole server. GCC 12 at
// -O2 warns about a possibly uninitialised member inside Tango's monitor
// guard, in Tango's code; the warning is muted for that header only.
#pragma once

#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
#include <tango.h>
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif
