// SDL2's functions, opened at their first use (runtime/linux/LinuxLibrary.h).
// The host calls SDL_InitSubSystem first for video and for sound; without
// the library it fails, and SDL_GetError says why.
#include <SDL2/SDL.h>

#include "runtime/linux/LinuxLibrary.h"

namespace {
LinuxLibrary sdl("libSDL2-2.0.so.0");
}  // namespace

QX_LINUX_LAZY(sdl, int, SDL_InitSubSystem, (Uint32 flags), (flags), -1)
QX_LINUX_LAZY(sdl, void, SDL_QuitSubSystem, (Uint32 flags), (flags), )
QX_LINUX_LAZY(sdl, const char*, SDL_GetError, (void), (), "the SDL2 library (libSDL2-2.0.so.0) is not installed")
QX_LINUX_LAZY(sdl, SDL_bool, SDL_SetHint, (const char* name, const char* value), (name, value), SDL_FALSE)
QX_LINUX_LAZY(sdl, SDL_bool, SDL_SetHintWithPriority, (const char* name, const char* value, SDL_HintPriority priority),
              (name, value, priority), SDL_FALSE)
QX_LINUX_LAZY(sdl, SDL_Window*, SDL_CreateWindow, (const char* title, int x, int y, int w, int h, Uint32 flags),
              (title, x, y, w, h, flags), nullptr)
QX_LINUX_LAZY(sdl, void, SDL_DestroyWindow, (SDL_Window * window), (window), )
QX_LINUX_LAZY(sdl, void, SDL_SetWindowTitle, (SDL_Window * window, const char* title), (window, title), )
QX_LINUX_LAZY(sdl, Uint32, SDL_GetWindowID, (SDL_Window * window), (window), 0)
QX_LINUX_LAZY(sdl, SDL_Surface*, SDL_GetWindowSurface, (SDL_Window * window), (window), nullptr)
QX_LINUX_LAZY(sdl, int, SDL_UpdateWindowSurface, (SDL_Window * window), (window), -1)
QX_LINUX_LAZY(sdl, void, SDL_WarpMouseInWindow, (SDL_Window * window, int x, int y), (window, x, y), )
QX_LINUX_LAZY(sdl, int, SDL_ShowCursor, (int toggle), (toggle), -1)
QX_LINUX_LAZY(sdl, int, SDL_GetNumDisplayModes, (int displayIndex), (displayIndex), -1)
QX_LINUX_LAZY(sdl, int, SDL_GetDisplayMode, (int displayIndex, int modeIndex, SDL_DisplayMode* mode),
              (displayIndex, modeIndex, mode), -1)
QX_LINUX_LAZY(sdl, int, SDL_LockSurface, (SDL_Surface * surface), (surface), -1)
QX_LINUX_LAZY(sdl, void, SDL_UnlockSurface, (SDL_Surface * surface), (surface), )
QX_LINUX_LAZY(sdl, int, SDL_ConvertPixels,
              (int width, int height, Uint32 src_format, const void* src, int src_pitch, Uint32 dst_format, void* dst,
               int dst_pitch),
              (width, height, src_format, src, src_pitch, dst_format, dst, dst_pitch), -1)
QX_LINUX_LAZY(sdl, int, SDL_PollEvent, (SDL_Event * event), (event), 0)
QX_LINUX_LAZY(sdl, SDL_Keymod, SDL_GetModState, (void), (), KMOD_NONE)
QX_LINUX_LAZY(sdl, SDL_AudioDeviceID, SDL_OpenAudioDevice,
              (const char* device, int iscapture, const SDL_AudioSpec* desired, SDL_AudioSpec* obtained,
               int allowed_changes),
              (device, iscapture, desired, obtained, allowed_changes), 0)
QX_LINUX_LAZY(sdl, void, SDL_PauseAudioDevice, (SDL_AudioDeviceID dev, int pause_on), (dev, pause_on), )
QX_LINUX_LAZY(sdl, void, SDL_CloseAudioDevice, (SDL_AudioDeviceID dev), (dev), )
