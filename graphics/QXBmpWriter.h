#pragma once
// 24-bit BMP files, as SaveImage and SaveBuffer write them: a 54-byte header,
// then the rows bottom-up, blue, green, red a pixel, each row padded with
// zeros to a multiple of 4 bytes.

#include <cstdint>
#include <vector>

class QXGraphics;

// The file for width × height pixels given as top-down rows of 24-bit pixels
// (blue, green, red), `pitch` bytes apart; padding bytes are written as 0.
std::vector<std::uint8_t> encodeBmp24(const std::uint8_t* rows, int pitch, int width, int height);

// Writes the store to `path` as a 24-bit BMP; false when the file cannot be
// created or written.
bool saveBmp24(QXGraphics& graphics, const char* path);
