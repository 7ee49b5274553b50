// FreeType's functions, opened at their first use (runtime/linux/LinuxLibrary.h).
// FT_Init_FreeType comes first; without the library it fails, and no font loads.
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_TRUETYPE_TABLES_H

#include "runtime/linux/LinuxLibrary.h"

namespace {
LinuxLibrary freetype("libfreetype.so.6");
constexpr FT_Error kMissing = FT_Err_Cannot_Open_Resource;
}  // namespace

QX_LINUX_LAZY(freetype, FT_Error, FT_Init_FreeType, (FT_Library * alibrary), (alibrary), kMissing)
QX_LINUX_LAZY(freetype, FT_Error, FT_Done_FreeType, (FT_Library library), (library), kMissing)
QX_LINUX_LAZY(freetype, FT_Error, FT_New_Face,
              (FT_Library library, const char* filepathname, FT_Long face_index, FT_Face* aface),
              (library, filepathname, face_index, aface), kMissing)
QX_LINUX_LAZY(freetype, FT_Error, FT_Done_Face, (FT_Face face), (face), kMissing)
QX_LINUX_LAZY(freetype, void*, FT_Get_Sfnt_Table, (FT_Face face, FT_Sfnt_Tag tag), (face, tag), nullptr)
QX_LINUX_LAZY(freetype, FT_Error, FT_Load_Char, (FT_Face face, FT_ULong char_code, FT_Int32 load_flags),
              (face, char_code, load_flags), kMissing)
QX_LINUX_LAZY(freetype, FT_Long, FT_MulFix, (FT_Long a, FT_Long b), (a, b), 0)
QX_LINUX_LAZY(freetype, FT_Error, FT_Outline_Embolden, (FT_Outline * outline, FT_Pos strength), (outline, strength),
              kMissing)
QX_LINUX_LAZY(freetype, FT_Error, FT_Render_Glyph, (FT_GlyphSlot slot, FT_Render_Mode render_mode),
              (slot, render_mode), kMissing)
QX_LINUX_LAZY(freetype, FT_Error, FT_Set_Pixel_Sizes, (FT_Face face, FT_UInt pixel_width, FT_UInt pixel_height),
              (face, pixel_width, pixel_height), kMissing)
QX_LINUX_LAZY(freetype, void, FT_Set_Transform, (FT_Face face, FT_Matrix* matrix, FT_Vector* delta),
              (face, matrix, delta), )
