// Which read failures are bad sectors.
#pragma once

#include "engine/platform/winapi.h"

// True for the errors with which a disk reports a sector it cannot read: the copy writes such
// sectors as zeros and goes on. Every other read failure (a device that went away, a medium
// that was taken out) ends the copy.
bool IsMediaError(win::DWORD error);
