// font.h — the program's own bold monospace bitmap font and its glyph lists.
#pragma once

#include <cstdint>

// Character codes 32 to 127, one glyph each.
constexpr int kFontFirstChar  = 32;
constexpr int kFontGlyphCount = 96;

// Every glyph is a cell of this size; the baseline lies kFontDescent pixels above the
// cell's bottom edge and drawing a glyph moves the raster position one cell right.
constexpr int kFontCellWidth  = 14;
constexpr int kFontCellHeight = 24;
constexpr int kFontDescent    = 3;

// Compiles the kFontGlyphCount glyphs into the lists base, base + 1, and so on, each
// as one glBitmap call. The pixel-unpack state is left as it was.
void CompileFontGlyphs(uint32_t base);
