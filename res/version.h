// The program's version, in one place: read by hourgauge.rc for the version
// block and by release scripts. Plain #defines so the resource compiler can
// read this file too. Keep HG_VERSION_STRING equal to the four numbers.
#pragma once

#define HG_VERSION_MAJOR 1
#define HG_VERSION_MINOR 1
#define HG_VERSION_PATCH 0
#define HG_VERSION_BUILD 0
#define HG_VERSION_STRING "1.1.0.0"
