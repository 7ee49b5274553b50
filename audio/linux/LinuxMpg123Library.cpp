// libmpg123's functions, opened at their first use (runtime/linux/LinuxLibrary.h).
// mpg123_init comes first; without the library it fails, and no MP3 loads.
#include <mpg123.h>

#include "runtime/linux/LinuxLibrary.h"

namespace {
LinuxLibrary mpg123("libmpg123.so.0");
}  // namespace

QX_LINUX_LAZY(mpg123, int, mpg123_init, (void), (), MPG123_ERR)
QX_LINUX_LAZY(mpg123, mpg123_handle*, mpg123_new, (const char* decoder, int* error), (decoder, error), nullptr)
QX_LINUX_LAZY(mpg123, void, mpg123_delete, (mpg123_handle * mh), (mh), )
// The header maps mpg123_param to this one, which takes the parameter as an int.
QX_LINUX_LAZY(mpg123, int, mpg123_param2, (mpg123_handle * mh, int type, long value, double fvalue),
              (mh, type, value, fvalue), MPG123_ERR)
QX_LINUX_LAZY(mpg123, int, mpg123_format_none, (mpg123_handle * mh), (mh), MPG123_ERR)
QX_LINUX_LAZY(mpg123, int, mpg123_format, (mpg123_handle * mh, long rate, int channels, int encodings),
              (mh, rate, channels, encodings), MPG123_ERR)
QX_LINUX_LAZY(mpg123, int, mpg123_open_feed, (mpg123_handle * mh), (mh), MPG123_ERR)
QX_LINUX_LAZY(mpg123, int, mpg123_feed, (mpg123_handle * mh, const unsigned char* in, size_t size), (mh, in, size),
              MPG123_ERR)
QX_LINUX_LAZY(mpg123, int, mpg123_decode,
              (mpg123_handle * mh, const unsigned char* inmemory, size_t inmemsize, void* outmemory, size_t outmemsize,
               size_t* done),
              (mh, inmemory, inmemsize, outmemory, outmemsize, done), MPG123_ERR)
