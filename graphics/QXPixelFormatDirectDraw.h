#pragma once
// Pixel-format codes described as DirectDraw pixel-format records and back.
// Only the four RGB layouts that DirectDraw surfaces use here are known.

#include <ddraw.h>

// The record for codes 1-4 (size 32, DDPF_RGB, bit count and masks; alpha mask 0).
// Any other code stops with "Unrecognized Quelt pixel format: <code>".
DDPIXELFORMAT describeFormat(int format);

// The code of a record (bit count and colour masks compared, alpha mask not),
// or 0. With `report`, an unknown record stops with
// "Unrecognized DirectDraw pixel format: bpp=.. rmask=.. gmask=.. bmask=.. amask=..".
int recogniseFormat(const DDPIXELFORMAT& description, bool report);
