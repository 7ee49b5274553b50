#pragma once
// Loading a picture file (BMP, PNG or JPEG) into a pixel store: what
// LoadImage, LoadAnimImage, LoadBuffer and the GUI's pictures start from.

class QXPixmap;

// Loads the file into a new pixmap (reference count 1) of format code 4
// (32-bit colour values 0xAARRGGBB, alpha as the file has it, 0xFF where it
// has none), rows aligned to 4 bytes, top row first. The decoder follows the
// extension after the last "." (any case): "jpg" or "jpeg" JPEG, "png" PNG,
// anything else BMP.
//
// Failure contract: returns null, and leaves nothing allocated, when the name
// has no dot, the file cannot be read or is larger than 256 MiB, its
// signature is not that of the extension's format, its data is malformed or
// truncated, a side exceeds 16384 pixels or the picture 256 MiB decoded, or
// memory runs out. It never raises a runtime error and never throws.
QXPixmap* loadPicture(const char* fileName);
