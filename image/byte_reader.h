// byte_reader.h — a little-endian cursor over a block of bytes that cannot read past
// its end. Every read of a bitmap file's bytes goes through it: a read that would run
// off the end yields zeros (or null) and marks the reader as overrun, so a decoder can
// read a whole record and test once.
#pragma once

#include <cstddef>
#include <cstdint>

struct ByteReader {
    const uint8_t* data;
    size_t         size;
    size_t         pos;
    bool           overrun;
};

inline ByteReader MakeByteReader(const uint8_t* data, size_t size) {
    return ByteReader{data, size, 0, false};
}

inline size_t RemainingBytes(const ByteReader* reader) {
    return reader->pos < reader->size ? reader->size - reader->pos : 0;
}

// Moves to an absolute offset; an offset beyond the end marks the reader as overrun.
inline void SeekBytes(ByteReader* reader, size_t pos) {
    if (pos > reader->size) {
        reader->overrun = true;
        reader->pos     = reader->size;
        return;
    }
    reader->pos = pos;
}

// Returns the next `count` bytes and moves past them, or null (and overrun) when fewer
// remain.
inline const uint8_t* TakeBytes(ByteReader* reader, size_t count) {
    if (count > RemainingBytes(reader)) {
        reader->overrun = true;
        reader->pos     = reader->size;
        return nullptr;
    }
    const uint8_t* bytes = reader->data + reader->pos;
    reader->pos += count;
    return bytes;
}

inline uint8_t ReadU8(ByteReader* reader) {
    const uint8_t* b = TakeBytes(reader, 1);
    return b ? b[0] : 0;
}

inline uint16_t ReadU16(ByteReader* reader) {
    const uint8_t* b = TakeBytes(reader, 2);
    return b ? static_cast<uint16_t>(b[0] | b[1] << 8) : 0;
}

inline uint32_t ReadU32(ByteReader* reader) {
    const uint8_t* b = TakeBytes(reader, 4);
    return b ? static_cast<uint32_t>(b[0]) | static_cast<uint32_t>(b[1]) << 8 |
                   static_cast<uint32_t>(b[2]) << 16 | static_cast<uint32_t>(b[3]) << 24
             : 0;
}

inline int32_t ReadI32(ByteReader* reader) { return static_cast<int32_t>(ReadU32(reader)); }
