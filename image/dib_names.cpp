// dib_names.cpp — wide names to UTF-8 and the open-failure message.
#include "image/dib_names.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <cwchar>

namespace {

constexpr char kOpenPrefix[]  = "Failed to open DIB file ";
constexpr char kOpenSuffix[]  = ".\n";
constexpr char kEllipsis[]    = "...";
constexpr uint32_t kReplacement = 0xFFFD;

size_t EncodeUtf8(uint32_t c, char* out) {
    if (c < 0x80) {
        out[0] = static_cast<char>(c);
        return 1;
    }
    if (c < 0x800) {
        out[0] = static_cast<char>(0xC0 | c >> 6);
        out[1] = static_cast<char>(0x80 | (c & 0x3F));
        return 2;
    }
    if (c < 0x10000) {
        out[0] = static_cast<char>(0xE0 | c >> 12);
        out[1] = static_cast<char>(0x80 | (c >> 6 & 0x3F));
        out[2] = static_cast<char>(0x80 | (c & 0x3F));
        return 3;
    }
    out[0] = static_cast<char>(0xF0 | c >> 18);
    out[1] = static_cast<char>(0x80 | (c >> 12 & 0x3F));
    out[2] = static_cast<char>(0x80 | (c >> 6 & 0x3F));
    out[3] = static_cast<char>(0x80 | (c & 0x3F));
    return 4;
}

bool IsCharacter(uint32_t c) { return c <= 0x10FFFF && (c < 0xD800 || c > 0xDFFF); }

}  // namespace

char* ConvertWideName(const wchar_t* name, bool* valid) {
    size_t length = std::wcslen(name);
    char*  out    = static_cast<char*>(std::malloc(length * 4 + 1));
    if (!out) return nullptr;
    *valid   = true;
    char* at = out;
    for (size_t i = 0; i < length; ++i) {
        uint32_t c = static_cast<uint32_t>(name[i]);
        // Where wide characters are 16 bits (Windows) they are UTF-16: a high surrogate
        // followed by a low one is one character beyond the first plane.
        if (sizeof(wchar_t) == 2 && c >= 0xD800 && c <= 0xDBFF && i + 1 < length) {
            const uint32_t low = static_cast<uint32_t>(name[i + 1]);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
                ++i;
            }
        }
        if (!IsCharacter(c)) {
            *valid = false;
            c      = kReplacement;
        }
        at += EncodeUtf8(c, at);
    }
    *at = '\0';
    return out;
}

void FormatOpenFailure(const char* name, char out[kOpenMessageSize]) {
    constexpr size_t prefixLength = sizeof kOpenPrefix - 1;
    constexpr size_t suffixLength = sizeof kOpenSuffix - 1;
    constexpr size_t room         = kOpenMessageSize - 1 - prefixLength - suffixLength;
    size_t           length       = std::strlen(name);
    char*            at           = out;
    std::memcpy(at, kOpenPrefix, prefixLength);
    at += prefixLength;
    if (length > room) {
        const char* tail = name + length - (room - (sizeof kEllipsis - 1));
        while ((static_cast<unsigned char>(*tail) & 0xC0) == 0x80) ++tail;
        std::memcpy(at, kEllipsis, sizeof kEllipsis - 1);
        at += sizeof kEllipsis - 1;
        name   = tail;
        length = std::strlen(tail);
    }
    std::memcpy(at, name, length);
    at += length;
    std::memcpy(at, kOpenSuffix, suffixLength + 1);
}
