// Fonts: the portable creation rules, the font commands over real GDI fonts
// (of whichever TrueType face is installed), fonts from font files, and the
// release of GDI fonts when fonts are freed or the driver stops.

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "core/QXString.h"
#include "events/QXFont.h"
#include "events/win32/Win32Font.h"
#include "events/win32/Win32FontDriver.h"

namespace {
struct FontCommands {
    int(QXCALL* loadFont)(QXString*, int, int, int, int) =
        command<int(QXCALL*)(QXString*, int, int, int, int)>("%LoadFont$fontname%height%bold=0%italic=0%underline=0");
    void(QXCALL* freeFont)(int) = command<void(QXCALL*)(int)>("FreeFont%font");
    QXString*(QXCALL* fontName)(int) = command<QXString*(QXCALL*)(int)>("$FontName%font");
    int(QXCALL* fontSize)(int) = command<int(QXCALL*)(int)>("%FontSize%font");
    int(QXCALL* fontStyle)(int) = command<int(QXCALL*)(int)>("%FontStyle%font");
    int(QXCALL* fontAscent)(int) = command<int(QXCALL*)(int)>("%FontAscent%font");
    int(QXCALL* fontDescent)(int) = command<int(QXCALL*)(int)>("%FontDescent%font");
};

// The face name of a font as the command reports it.
std::string nameOf(const FontCommands& cmd, int font) {
    QXString* name = cmd.fontName(font);
    std::string text(name->view());
    release(name);
    return text;
}

// The face GDI picks for `face` (what CreateFont would give without the
// runtime). GDI may keep the answer for one height: asking again after the
// installed fonts changed takes another height.
std::string faceGdiPicks(const char* face, int height = 16) {
    HDC dc = CreateCompatibleDC(nullptr);
    HFONT font = CreateFontA(height, 0, 0, 0, 400, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, face);
    HGDIOBJ previous = SelectObject(dc, font);
    char picked[LF_FACESIZE] = {};
    GetTextFaceA(dc, sizeof picked, picked);
    SelectObject(dc, previous);
    DeleteObject(font);
    DeleteDC(dc);
    return picked;
}

std::uint32_t bigEndian32(const std::vector<char>& bytes, std::size_t at) {
    auto byte = [&](std::size_t i) { return static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + i])); };
    return byte(0) << 24 | byte(1) << 16 | byte(2) << 8 | byte(3);
}

// Replaces every `from` by `to` (same length) in bytes [begin, end).
void replaceAll(std::vector<char>& bytes, std::size_t begin, std::size_t end, const std::string& from,
                const std::string& to) {
    for (std::size_t i = begin; i + from.size() <= end; ++i)
        if (std::equal(from.begin(), from.end(), bytes.begin() + static_cast<std::ptrdiff_t>(i)))
            std::copy(to.begin(), to.end(), bytes.begin() + static_cast<std::ptrdiff_t>(i));
}

std::string utf16BigEndian(const std::string& ascii) {
    std::string wide;
    for (char c : ascii) wide += std::string{'\0', c};
    return wide;
}

int CALLBACK noteTrueTypeFace(const LOGFONTA* font, const TEXTMETRICA*, DWORD type, LPARAM faces) {
    if ((type & TRUETYPE_FONTTYPE) && font->lfFaceName[0] != '@')
        reinterpret_cast<std::vector<std::string>*>(faces)->push_back(font->lfFaceName);
    return 1;
}

// An installed TrueType face that GDI gives by its own name: Tahoma where it
// is installed, else the first in alphabetical order; empty when none is.
const std::string& installedFace() {
    static const std::string face = [] {
        std::vector<std::string> faces;
        HDC dc = CreateCompatibleDC(nullptr);
        LOGFONTA all{};
        all.lfCharSet = DEFAULT_CHARSET;
        EnumFontFamiliesExA(dc, &all, noteTrueTypeFace, reinterpret_cast<LPARAM>(&faces), 0);
        DeleteDC(dc);
        std::sort(faces.begin(), faces.end());
        if (std::find(faces.begin(), faces.end(), "Tahoma") != faces.end()) return std::string("Tahoma");
        for (const std::string& face : faces)
            if (faceGdiPicks(face.c_str()) == face) return face;
        return std::string();
    }();
    return face;
}

// A family name no installed font has, as long as `family`.
std::string unknownFamilyLike(const std::string& family) {
    std::string name = "QXTest";
    name.resize(std::max(family.size(), name.size()), 'Q');
    return name.substr(0, family.size());
}

// A copy of the font file of `family` with the family renamed to `renamed`
// (of the same length), so that no installed font answers to it. Empty when
// the font data cannot be read.
std::vector<char> renamedFontFile(const std::string& family, const std::string& renamed) {
    HDC dc = CreateCompatibleDC(nullptr);
    HFONT font = CreateFontA(16, 0, 0, 0, 400, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, family.c_str());
    HGDIOBJ previous = SelectObject(dc, font);
    std::vector<char> bytes;
    const DWORD size = GetFontData(dc, 0, 0, nullptr, 0);
    if (size != GDI_ERROR && size > 12) {
        bytes.resize(size);
        if (GetFontData(dc, 0, 0, bytes.data(), size) != size) bytes.clear();
    }
    SelectObject(dc, previous);
    DeleteObject(font);
    DeleteDC(dc);
    if (bytes.empty()) return bytes;
    const std::size_t tables = static_cast<unsigned char>(bytes[4]) << 8 | static_cast<unsigned char>(bytes[5]);
    for (std::size_t t = 0; t < tables && 12 + 16 * (t + 1) <= bytes.size(); ++t) {
        const std::size_t record = 12 + 16 * t;
        if (std::string(&bytes[record], 4) != "name") continue;
        const std::size_t begin = bigEndian32(bytes, record + 8);
        const std::size_t end = std::min<std::size_t>(begin + bigEndian32(bytes, record + 12), bytes.size());
        replaceAll(bytes, begin, end, family, renamed);
        replaceAll(bytes, begin, end, utf16BigEndian(family), utf16BigEndian(renamed));
    }
    return bytes;
}

std::string temporaryPath(const char* fileName) {
    char folder[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, folder);
    return std::string(folder) + fileName;
}

bool writeFile(const std::string& path, const std::vector<char>& bytes) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const bool ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                    written == bytes.size();
    CloseHandle(file);
    return ok;
}

HFONT nativeFontOf(int font) {
    return reinterpret_cast<HFONT>(static_cast<std::uintptr_t>(liveObject(static_cast<std::uint32_t>(font))->query(
        QXFont::kNativeFontQuery)));
}

class Fonts : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(startModule(&theWin32FontDriver));
        face = installedFace();
        if (face.empty()) GTEST_SKIP() << "no TrueType face is installed";
    }
    void TearDown() override { stopModule(&theWin32FontDriver); }

    // Loads `name` through the command, the string argument freed afterwards.
    int load(const char* name, int height, int bold = 0, int italic = 0, int underline = 0) {
        QXString* text = newString(name);
        const int font = cmd.loadFont(text, height, bold, italic, underline);
        release(text);
        return font;
    }

    FontCommands cmd;
    std::string face;
    const char* f() const { return face.c_str(); }
};
}  // namespace

TEST(FontRules, StyleFromFlagsCountsOnlyTheLowByte) {
    EXPECT_EQ(fontStyleFromFlags(0, 0, 0), 0);
    EXPECT_EQ(fontStyleFromFlags(1, 0, 0), kFontBold);
    EXPECT_EQ(fontStyleFromFlags(256, 512, 0x10000), 0);
    EXPECT_EQ(fontStyleFromFlags(0x101, -1, 0x80), kFontBold | kFontItalic | kFontUnderline);
    EXPECT_EQ(fontStyleFromFlags(0, 2, 3), kFontItalic | kFontUnderline);
}

TEST(FontRules, StyleFromMetricsTellsTheTwoCreationWeightsApart) {
    EXPECT_EQ(fontStyleFromMetrics(kRegularWeight, false, false), 0);
    EXPECT_EQ(fontStyleFromMetrics(kBoldWeight, false, false), kFontBold);
    EXPECT_EQ(fontStyleFromMetrics(500, true, false), kFontItalic);
    EXPECT_EQ(fontStyleFromMetrics(600, false, true), kFontBold | kFontUnderline);
    EXPECT_EQ(fontStyleFromMetrics(900, true, true), kFontBold | kFontItalic | kFontUnderline);
}

TEST(FontRules, FontFileNamesAndTheFaceTheyProvide) {
    EXPECT_TRUE(isFontFileName("Orbit.ttf"));
    EXPECT_TRUE(isFontFileName("dir.x\\arial"));
    EXPECT_FALSE(isFontFileName("Courier New"));
    EXPECT_EQ(fontFileFaceName("c:\\fonts\\Orbit.ttf"), "Orbit");
    EXPECT_EQ(fontFileFaceName("fonts/sub/My Face.fon"), "My Face");
    EXPECT_EQ(fontFileFaceName("my.font.ttf"), "my.font");
    EXPECT_EQ(fontFileFaceName("dir.x\\arial"), "arial");
    EXPECT_EQ(fontFileFaceName("mixed/dirs\\face.otf"), "face");
    EXPECT_EQ(fontFileFaceName(".ttf"), "");
}

TEST(FontRules, PointSizeRoundsToTheNearestPoint) {
    EXPECT_EQ(pointSizeOfPixelHeight(12, 96), 9);
    EXPECT_EQ(pointSizeOfPixelHeight(-16, 96), 12);
    EXPECT_EQ(pointSizeOfPixelHeight(13, 96), 10);  // 9.75
    EXPECT_EQ(pointSizeOfPixelHeight(11, 96), 8);   // 8.25
    EXPECT_EQ(pointSizeOfPixelHeight(25, 120), 15);
    EXPECT_EQ(pointSizeOfPixelHeight(0, 96), 0);
    EXPECT_EQ(pointSizeOfPixelHeight(12, 0), 0);
}

TEST_F(Fonts, LoadFontReportsRequestedSizeStyleAndMeasuredMetrics) {
    const int plain = load(f(), 20);
    ASSERT_NE(plain, 0);
    EXPECT_EQ(nameOf(cmd, plain), face);
    EXPECT_EQ(cmd.fontSize(plain), 20);
    EXPECT_EQ(cmd.fontStyle(plain), 0);
    auto* font = checkHandle<QXFont>(plain, "Font");
    EXPECT_EQ(cmd.fontAscent(plain) + cmd.fontDescent(plain), font->height());
    EXPECT_GT(cmd.fontDescent(plain), 0);
    EXPECT_GT(font->width(), 0);

    // A negative height asks for the character height; the size stays as asked.
    const int negative = load(f(), -20);
    EXPECT_EQ(cmd.fontSize(negative), -20);
    EXPECT_GT(checkHandle<QXFont>(negative, "Font")->height(), font->height());

    const int bold = load(f(), 12, 1);
    const int notBold = load(f(), 12, 256);
    const int italicUnderlined = load(f(), 12, 0, 1, 1);
    const int all = load(f(), 12, 0x201, 0x102, -1);
    EXPECT_EQ(cmd.fontStyle(bold), kFontBold);
    EXPECT_EQ(cmd.fontStyle(notBold), 0);
    EXPECT_EQ(cmd.fontStyle(italicUnderlined), kFontItalic | kFontUnderline);
    EXPECT_EQ(cmd.fontStyle(all), kFontBold | kFontItalic | kFontUnderline);
    for (int f : {plain, negative, bold, notBold, italicUnderlined, all}) cmd.freeFont(f);
}

TEST_F(Fonts, MeasuringFollowsTheTextAndTheFont) {
    const int small = load(f(), 12);
    const int large = load(f(), 30);
    auto* smallFont = checkHandle<QXFont>(small, "Font");
    auto* largeFont = checkHandle<QXFont>(large, "Font");
    QXString* wide = newString("WWWW");
    QXString* narrow = newString("iiii");
    QXString* empty = emptyString();

    const QXTextSize wideSmall = smallFont->measure(wide);
    EXPECT_GT(wideSmall.width, smallFont->measure(narrow).width);
    EXPECT_EQ(wideSmall.height, smallFont->height());
    EXPECT_GT(largeFont->measure(wide).width, wideSmall.width);
    EXPECT_EQ(largeFont->measure(wide).height, largeFont->height());
    EXPECT_EQ(smallFont->measure(empty).width, 0);
    EXPECT_EQ(smallFont->measure(nullptr).width, 0);

    // Bytes after a zero byte count too.
    QXString* withZero = QXString::fromBytes("W\0W", 3);
    QXString* single = newString("W");
    EXPECT_GT(smallFont->measure(withZero).width, smallFont->measure(single).width);

    for (QXString* s : {wide, narrow, empty, withZero, single}) release(s);
    cmd.freeFont(small);
    cmd.freeFont(large);
}

TEST_F(Fonts, UnknownFacesAndDottedNamesStillGiveFonts) {
    // GDI substitutes an installed face; the font reports that face's name.
    const int unknown = load("No Such Face QX", 16);
    ASSERT_NE(unknown, 0);
    EXPECT_EQ(nameOf(cmd, unknown), faceGdiPicks("No Such Face QX"));
    EXPECT_NE(nameOf(cmd, unknown), "No Such Face QX");
    EXPECT_EQ(cmd.fontSize(unknown), 16);

    // A dotted name that is no font file: the part before the extension is the face.
    const int dotted = load((face + ".notafont").c_str(), 14);
    ASSERT_NE(dotted, 0);
    EXPECT_EQ(nameOf(cmd, dotted), face);
    EXPECT_EQ(cmd.fontSize(dotted), 14);

    const int empty = load("", 10);
    EXPECT_NE(empty, 0);
    for (int f : {unknown, dotted, empty}) cmd.freeFont(f);
}

TEST_F(Fonts, FontFileIsInstalledWhileItsFontLives) {
    const std::string renamed = unknownFamilyLike(face);
    const std::vector<char> data = renamedFontFile(face, renamed);
    if (data.empty()) GTEST_SKIP() << "the font data of " << face << " cannot be read";
    const std::string path = temporaryPath((renamed + ".ttf").c_str());
    ASSERT_TRUE(writeFile(path, data));
    ASSERT_NE(faceGdiPicks(renamed.c_str(), 31), renamed) << "the renamed face must be unknown before loading";

    const int font = load(path.c_str(), 18, 1);
    ASSERT_NE(font, 0);
    EXPECT_EQ(nameOf(cmd, font), renamed);
    EXPECT_EQ(cmd.fontSize(font), 18);
    EXPECT_EQ(cmd.fontStyle(font), kFontBold);
    EXPECT_EQ(faceGdiPicks(renamed.c_str(), 32), renamed);

    // A second font of the same file keeps it installed when the first goes.
    const int again = load(path.c_str(), 10);
    cmd.freeFont(font);
    EXPECT_EQ(faceGdiPicks(renamed.c_str(), 33), renamed);
    cmd.freeFont(again);
    EXPECT_NE(faceGdiPicks(renamed.c_str(), 34), renamed);
    EXPECT_TRUE(DeleteFileA(path.c_str()));
}

TEST_F(Fonts, HandlesAreCheckedAsFonts) {
    QXString* notAFont = newString("text");
    const int stringHandle = handleOf(notAFont);
    cmd.freeFont(load(f(), 12));  // the driver's root resource now exists
    const int before = liveObjectCount();
    const int font = load(f(), 12);
    EXPECT_EQ(liveObjectCount(), before + 2);  // the font and its face name
    cmd.freeFont(0);
    cmd.freeFont(font);
    EXPECT_EQ(liveObjectCount(), before);

    EXPECT_EQ(runtimeErrorOf([&] { cmd.fontSize(font); }), "Invalid Font handle");
    EXPECT_EQ(runtimeErrorOf([&] { cmd.freeFont(font); }), "Invalid Font handle");
    EXPECT_EQ(runtimeErrorOf([&] { cmd.fontName(stringHandle); }), "Invalid Font handle");
    EXPECT_EQ(runtimeErrorOf([&] { cmd.fontStyle(0); }), "Invalid Font handle");
    EXPECT_EQ(runtimeErrorOf([&] { cmd.fontAscent(-1); }), "Invalid Font handle");
    EXPECT_EQ(runtimeErrorOf([&] { cmd.fontDescent(stringHandle); }), "Invalid Font handle");
    release(notAFont);
}

TEST_F(Fonts, FreeingAndStoppingDeleteTheGdiFonts) {
    const int freed = load(f(), 12);
    const int leftBehind = load(f(), 13);
    const int heldElsewhere = load(f(), 14);
    HFONT freedFont = nativeFontOf(freed);
    HFONT leftFont = nativeFontOf(leftBehind);
    ASSERT_EQ(GetObjectType(freedFont), static_cast<DWORD>(OBJ_FONT));
    cmd.freeFont(freed);
    EXPECT_EQ(GetObjectType(freedFont), 0u);

    QXFont* held = checkHandle<QXFont>(heldElsewhere, "Font");
    retain(held);
    stopModule(&theWin32FontDriver);
    EXPECT_FALSE(isLiveObject(reinterpret_cast<void*>(static_cast<std::uintptr_t>(leftBehind))));
    EXPECT_EQ(GetObjectType(leftFont), 0u);
    ASSERT_TRUE(isLiveObject(held));
    EXPECT_EQ(held->refCount, 1);
    EXPECT_EQ(fontDriver(), nullptr);
    // Without a running driver no font is made; an existing one still measures.
    EXPECT_EQ(load(f(), 12), 0);
    QXString* text = newString("abc");
    EXPECT_GT(held->measure(text).width, 0);
    release(text);
    release(held);
}

TEST_F(Fonts, FontsOverExistingGdiFontsRecordThePointSize) {
    LOGFONTA description{};
    description.lfHeight = 12;
    lstrcpynA(description.lfFaceName, f(), LF_FACESIZE);
    const int dpi = GetDeviceCaps(theWin32FontDriver.measuringContext(), LOGPIXELSY);

    Win32Font* described = theWin32FontDriver.fontFromDescription(description);
    ASSERT_NE(described, nullptr);
    EXPECT_EQ(described->size(), pointSizeOfPixelHeight(12, dpi));
    QXString* name = described->name();
    EXPECT_EQ(name->view(), face);
    release(name);
    EXPECT_EQ(described->query(QXFont::kNativeFontQuery),
              static_cast<int>(reinterpret_cast<std::uintptr_t>(described->handle())));

    description.lfHeight = -24;
    description.lfWeight = 700;
    description.lfItalic = TRUE;
    Win32Font* adopted = theWin32FontDriver.adoptFont(CreateFontIndirectA(&description));
    ASSERT_NE(adopted, nullptr);
    EXPECT_EQ(adopted->size(), pointSizeOfPixelHeight(24, dpi));
    EXPECT_EQ(adopted->style(), kFontBold | kFontItalic);
    EXPECT_EQ(theWin32FontDriver.adoptFont(nullptr), nullptr);
    release(described);
    release(adopted);
}
