#pragma once
// Tracker modules (MOD, S3M, XM, IT) played through libxmp: the module is
// rendered at the mix rate as the mixer asks for it, on one mixer channel.

#include "audio/engine/QXEngineSong.h"

// The tracker player as a song loader, or null where libxmp was not built in.
QXSongLoader trackerSongLoader();
