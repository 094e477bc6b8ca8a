// <windows.h> for the service's plumbing. It maps GetCurrentTime() to
// GetTickCount(); the program headers declare a GetCurrentTime of their own
// (the platform's clock), which must keep its name wherever both are seen.
#pragma once
#include <windows.h>
#undef GetCurrentTime
