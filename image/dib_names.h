// dib_names.h — the file names the BMP reader is given: wide names turned into the
// UTF-8 names the file system takes, and the open-failure message, which must fit in
// 256 characters whatever the name's length.
#pragma once

#include <cstddef>

constexpr size_t kOpenMessageSize = 256;

// Returns the UTF-8 form of a wide (UTF-32, or UTF-16 where wchar_t has 16 bits) name in a block the caller frees, or null
// when no memory can be had. A value that is no Unicode character becomes U+FFFD and
// clears *valid, since no file can carry that name.
char* ConvertWideName(const wchar_t* name, bool* valid);

// Writes "Failed to open DIB file NAME.\n" into out. A name too long for the message
// keeps its end (the file's own name) behind "...", cut at a character boundary.
void FormatOpenFailure(const char* name, char out[kOpenMessageSize]);
