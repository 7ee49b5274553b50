// stb_image and stb_image_write for the picture helpers the shared program
// tests link (the Windows build takes them from its runner and tests).
#define STB_IMAGE_IMPLEMENTATION
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image.h>
#include <stb_image_write.h>
