// bmp_corpus.cpp — writes the BMP conformance corpus that the reader is tested and fuzzed
// against: every layout the reader takes, and damaged variants of them. Each file is
// encoded here from the picture it is meant to hold, so what the reader must return
// follows from the encoding alone and never from running the reader.
//
//   bmp_corpus OUTDIR
//
// OUTDIR/corpus.txt has one line per case: the name, what the reader must do ("ok";
// "unknown" for "Unknown DIB file format."; "conversion" for "Image file conversion
// error.") and what the case is about. NAME.bmp is the file; an "ok" case also has
// NAME.ppm, the picture as binary PPM, top row first (what bmpcat writes).
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "tools/common/bmp_layout.h"

namespace {

using Bytes = std::vector<uint8_t>;

struct Rgb {
    uint8_t r = 0, g = 0, b = 0;
};

// Top row first, as the reader's result reads when turned over.
struct Picture {
    int              width = 0, height = 0;
    std::vector<Rgb> pixels;

    Picture(int w, int h) : width(w), height(h), pixels(static_cast<size_t>(w) * h) {}
    Rgb& At(int x, int top) { return pixels[static_cast<size_t>(top) * width + x]; }
};

// Padding bytes and unused bits are filled with this, never zero, so a reader that
// takes them for pixels shows it.
constexpr uint8_t kJunk = 0xA5;

// Distinct, irregular colours: 67 and 29 are odd, so red and green walk all 256 values.
Rgb TableColor(int i) {
    return {static_cast<uint8_t>(i * 67 + 3), static_cast<uint8_t>(i * 29 + 100), static_cast<uint8_t>(255 - i)};
}

Rgb TrueColor(int x, int top) {
    return {static_cast<uint8_t>(x * 41 + top * 3), static_cast<uint8_t>(top * 53 + 7),
            static_cast<uint8_t>(x * x + top * 11 + 100)};
}

int IndexAt(int x, int top, int range) { return (x * 3 + top * 5 + x * top) % range; }

// The stored row that holds picture row `top`: bottom-up unless the height is negative.
int StoredRow(int top, int height, bool topDown) { return topDown ? top : height - 1 - top; }

void PadRow(Bytes* row) {
    while (row->size() % 4) row->push_back(kJunk);
}

uint32_t ReadU32(const Bytes& file, size_t at) {
    return file[at] | file[at + 1] << 8 | file[at + 2] << 16 | static_cast<uint32_t>(file[at + 3]) << 24;
}

void PatchU32(Bytes* file, size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i) (*file)[at + i] = static_cast<uint8_t>(value >> 8 * i);
}

enum class Outcome { ok, unknown, conversion };

struct Case {
    std::string            name;
    Outcome                outcome;
    std::string            about;
    Bytes                  file;
    std::optional<Picture> picture;   // for "ok"
};

class Corpus {
public:
    void Good(const std::string& name, const std::string& about, const BmpLayout& bmp, const Picture& picture) {
        Add({name, Outcome::ok, about, BuildBmp(bmp), {picture}});
    }
    void Bad(const std::string& name, Outcome outcome, const std::string& about, const BmpLayout& bmp) {
        Add({name, outcome, about, BuildBmp(bmp), {}});
    }
    void Add(Case c) {
        if (!names_.insert(c.name).second) Fail("two cases named " + c.name);
        cases_.push_back(std::move(c));
    }
    void Fail(const std::string& why) {
        std::fprintf(stderr, "bmp_corpus: %s\n", why.c_str());
        failed_ = true;
    }
    const std::vector<Case>& Cases() const { return cases_; }
    bool                     Failed() const { return failed_; }

private:
    std::vector<Case>     cases_;
    std::set<std::string> names_;
    bool                  failed_ = false;
};

// ---- Uncompressed indexed pictures (1, 4 and 8 bits) ----

struct IndexedSpec {
    int      bitCount;
    int      width, height;
    int      stored;           // colour entries written to the table
    uint32_t colorsUsed = 0;   // the header's field (info headers only)
    bool     core = false, fileHeader = true, topDown = false;
    int      indexRange = 0;   // indices used: 0 means all that the depth can address
};

void AddIndexed(Corpus* corpus, const std::string& name, const std::string& about, const IndexedSpec& s) {
    BmpLayout bmp;
    bmp.fileHeader = s.fileHeader;
    bmp.headerSize = s.core ? 12 : 40;
    bmp.width      = s.width;
    bmp.height     = s.topDown ? -s.height : s.height;
    bmp.bitCount   = static_cast<uint16_t>(s.bitCount);
    bmp.colorsUsed = s.colorsUsed;
    for (int i = 0; i < s.stored; ++i) {
        Rgb c = TableColor(i);
        AddPaletteEntry(&bmp, c.r, c.g, c.b);
    }
    int range = s.indexRange ? s.indexRange : 1 << s.bitCount;
    // Entries past the first 256 cannot be addressed; an index with no entry reads black.
    int     usable = s.stored < 256 ? s.stored : 256;
    Picture picture(s.width, s.height);
    std::vector<Bytes> rows(s.height);
    for (int top = 0; top < s.height; ++top) {
        Bytes& row = rows[StoredRow(top, s.height, s.topDown)];
        int    bits = 0, filled = 0;
        for (int x = 0; x < s.width; ++x) {
            int index = IndexAt(x, top, range);
            picture.At(x, top) = index < usable ? TableColor(index) : Rgb{};
            bits = bits << s.bitCount | index;
            filled += s.bitCount;
            if (filled == 8) {
                row.push_back(static_cast<uint8_t>(bits));
                bits = filled = 0;
            }
        }
        // The unused low bits of a last partial byte carry junk too.
        if (filled) row.push_back(static_cast<uint8_t>(bits << (8 - filled) | (kJunk >> filled)));
        PadRow(&row);
    }
    for (const Bytes& row : rows) bmp.bits.insert(bmp.bits.end(), row.begin(), row.end());
    corpus->Good(name, about, bmp, picture);
}

// ---- 24-bit pictures ----

struct TrueSpec {
    int  width, height;
    bool core = false, fileHeader = true, topDown = false;
    int  tableEntries = 0;   // a colour table the depth does not use
};

BmpLayout TrueColorLayout(const TrueSpec& s, Picture* picture) {
    BmpLayout bmp;
    bmp.fileHeader = s.fileHeader;
    bmp.headerSize = s.core ? 12 : 40;
    bmp.width      = s.width;
    bmp.height     = s.topDown ? -s.height : s.height;
    bmp.colorsUsed = static_cast<uint32_t>(s.tableEntries);
    for (int i = 0; i < s.tableEntries; ++i) AddPaletteEntry(&bmp, 1, 2, 3);
    std::vector<Bytes> rows(s.height);
    for (int top = 0; top < s.height; ++top) {
        Bytes& row = rows[StoredRow(top, s.height, s.topDown)];
        for (int x = 0; x < s.width; ++x) {
            Rgb c = TrueColor(x, top);
            picture->At(x, top) = c;
            row.insert(row.end(), {c.b, c.g, c.r});
        }
        PadRow(&row);
    }
    for (const Bytes& row : rows) bmp.bits.insert(bmp.bits.end(), row.begin(), row.end());
    return bmp;
}

void AddTrueColor(Corpus* corpus, const std::string& name, const std::string& about, const TrueSpec& s) {
    Picture picture(s.width, s.height);
    corpus->Good(name, about, TrueColorLayout(s, &picture), picture);
}

// ---- 16- and 32-bit pictures with channel masks ----

struct MaskSpec {
    int      bitCount;
    uint32_t red, green, blue;
    bool     bitfields;   // masks stored after the header (else the depth's defaults)
    bool     fileHeader = true, topDown = false;
    int      width = 5, height = 3;
};

// A channel of `mask` holding `level` of its range, widened to 8 bits by rounding to
// the nearest of 255 steps.
uint8_t Widen(uint32_t level, uint32_t mask) {
    if (mask == 0) return 0;
    uint32_t range = mask >> __builtin_ctz(mask);
    return static_cast<uint8_t>(std::lround(level * 255.0 / range));
}

uint32_t Place(uint32_t level, uint32_t mask) { return mask ? level << __builtin_ctz(mask) & mask : 0; }

void AddMasked(Corpus* corpus, const std::string& name, const std::string& about, const MaskSpec& s) {
    BmpLayout bmp;
    bmp.fileHeader  = s.fileHeader;
    bmp.width       = s.width;
    bmp.height      = s.topDown ? -s.height : s.height;
    bmp.bitCount    = static_cast<uint16_t>(s.bitCount);
    bmp.compression = s.bitfields ? 3 : 0;
    if (s.bitfields) {
        AppendU32(&bmp.afterHeader, s.red);
        AppendU32(&bmp.afterHeader, s.green);
        AppendU32(&bmp.afterHeader, s.blue);
    }
    uint32_t unused = (s.bitCount == 16 ? 0xFFFFu : 0xFFFFFFFFu) & ~(s.red | s.green | s.blue);
    Picture  picture(s.width, s.height);
    std::vector<Bytes> rows(s.height);
    for (int top = 0; top < s.height; ++top) {
        Bytes& row = rows[StoredRow(top, s.height, s.topDown)];
        for (int x = 0; x < s.width; ++x) {
            const uint32_t masks[3] = {s.red, s.green, s.blue};
            uint32_t       levels[3], value = 0xA5A5A5A5u & unused;
            for (int c = 0; c < 3; ++c) {
                uint32_t range = masks[c] ? masks[c] >> __builtin_ctz(masks[c]) : 0;
                // The top row starts with the extremes, where rounding is easiest to get wrong.
                if (top == 0 && x < 2) levels[c] = x ? range : 0;
                else levels[c] = static_cast<uint32_t>(x * 7 + top * 13 + c * 5) * 2654435761u % (range + 1);
                value |= Place(levels[c], masks[c]);
            }
            picture.At(x, top) = {Widen(levels[0], s.red), Widen(levels[1], s.green), Widen(levels[2], s.blue)};
            for (int byte = 0; byte < s.bitCount / 8; ++byte) row.push_back(static_cast<uint8_t>(value >> 8 * byte));
        }
        PadRow(&row);
    }
    for (const Bytes& row : rows) bmp.bits.insert(bmp.bits.end(), row.begin(), row.end());
    corpus->Good(name, about, bmp, picture);
}

// ---- Run-length streams ----

// Writes a stream op by op and paints what each op means, so the expected picture is the
// stream's own meaning. Pixels no op reaches stay black.
class RleWriter {
public:
    RleWriter(int bitCount, int width, int height)
        : bitCount_(bitCount), width_(width), height_(height), index_(static_cast<size_t>(width) * height, -1) {}

    // `count` pixels of one index (RLE8) or of two alternating ones (RLE4).
    void Run(int count, int first, int second = 0) {
        bytes_.push_back(static_cast<uint8_t>(count));
        bytes_.push_back(static_cast<uint8_t>(bitCount_ == 8 ? first : first << 4 | second));
        for (int i = 0; i < count; ++i) Paint(bitCount_ == 4 && i % 2 ? second : first);
    }
    // Three or more indices stored as they are, the data padded to 16 bits.
    void Absolute(const std::vector<int>& indices) {
        bytes_.push_back(0);
        bytes_.push_back(static_cast<uint8_t>(indices.size()));
        Bytes data;
        for (size_t i = 0; i < indices.size(); ++i) {
            if (bitCount_ == 8) data.push_back(static_cast<uint8_t>(indices[i]));
            else if (i % 2 == 0) data.push_back(static_cast<uint8_t>(indices[i] << 4 | (kJunk & 0x0F)));
            else data.back() = static_cast<uint8_t>((data.back() & 0xF0) | indices[i]);
            Paint(indices[i]);
        }
        if (data.size() % 2) data.push_back(kJunk);
        bytes_.insert(bytes_.end(), data.begin(), data.end());
    }
    void EndLine() {
        bytes_.insert(bytes_.end(), {0, 0});
        x_ = 0;
        ++y_;
    }
    void Delta(int dx, int dy) {
        bytes_.insert(bytes_.end(), {0, 2, static_cast<uint8_t>(dx), static_cast<uint8_t>(dy)});
        x_ += dx;
        y_ += dy;
    }
    void EndBitmap() { bytes_.insert(bytes_.end(), {0, 1}); }

    const Bytes& Stream() const { return bytes_; }

    // The painted picture; stream row 0 is the bottom one.
    Picture Painted(int entries) const {
        Picture picture(width_, height_);
        for (int y = 0; y < height_; ++y)
            for (int x = 0; x < width_; ++x) {
                int index = index_[static_cast<size_t>(y) * width_ + x];
                if (index >= 0 && index < entries) picture.At(x, height_ - 1 - y) = TableColor(index);
            }
        return picture;
    }

private:
    void Paint(int index) {
        if (x_ < width_ && y_ < height_) index_[static_cast<size_t>(y_) * width_ + x_] = index;
        ++x_;
    }

    int              bitCount_, width_, height_, x_ = 0, y_ = 0;
    std::vector<int> index_;
    Bytes            bytes_;
};

BmpLayout RleLayout(int bitCount, int width, int height, const Bytes& stream, bool fileHeader = true) {
    BmpLayout bmp;
    bmp.fileHeader  = fileHeader;
    bmp.width       = width;
    bmp.height      = height;
    bmp.bitCount    = static_cast<uint16_t>(bitCount);
    bmp.compression = bitCount == 8 ? 1 : 2;
    bmp.colorsUsed  = 16;
    for (int i = 0; i < 16; ++i) {
        Rgb c = TableColor(i);
        AddPaletteEntry(&bmp, c.r, c.g, c.b);
    }
    bmp.bits = stream;
    return bmp;
}

// Every row a run, then an absolute stretch, then a run again.
RleWriter FullStream(int bitCount, int width, int height) {
    RleWriter s(bitCount, width, height);
    for (int y = 0; y < height; ++y) {
        int first = (width - 5) / 2, last = width - 5 - first;
        s.Run(first, y % 16, (y + 3) % 16);
        s.Absolute({(y + 1) % 16, (y + 7) % 16, (y + 2) % 16, 15, (y + 5) % 16});
        s.Run(last, (y + 9) % 16, y % 3);
        if (y + 1 < height) s.EndLine();
    }
    s.EndBitmap();
    return s;
}

void AddRle(Corpus* corpus, int bitCount) {
    const std::string rle = bitCount == 8 ? "rle8" : "rle4";
    auto good = [&](const std::string& suffix, const std::string& about, int width, int height, const RleWriter& s,
                    bool fileHeader = true) {
        corpus->Good(rle + suffix, about, RleLayout(bitCount, width, height, s.Stream(), fileHeader), s.Painted(16));
    };
    good("", "runs and absolute stretches on every row", 12, 4, FullStream(bitCount, 12, 4));
    good("-odd", "odd width and odd absolute counts, padded to 16 bits", 11, 3, FullStream(bitCount, 11, 3));
    good("-bare", "no file header: the stream follows the colour table", 12, 4, FullStream(bitCount, 12, 4), false);

    RleWriter delta(bitCount, 10, 5);
    delta.Run(3, 1, 2);
    delta.Delta(4, 2);    // skips the rest of row 0, all of row 1 and lands in row 2
    delta.Run(3, 4, 5);
    delta.EndLine();
    delta.Delta(0, 1);    // a whole row skipped
    delta.Absolute({6, 7, 8, 9, 10, 11, 12, 13, 14, 15});
    delta.EndBitmap();
    good("-delta", "deltas leave the pixels they skip black", 10, 5, delta);

    RleWriter early(bitCount, 9, 4);
    early.Run(9, 3, 4);
    early.EndLine();
    early.Run(2, 5, 6);
    early.EndLine();   // the rest of row 1 is never written
    early.Run(4, 7, 8);
    early.EndBitmap();   // rows 2 and 3 are never written either
    good("-early-end", "an early end of line and an early end of bitmap leave the rest black", 9, 4, early);

    RleWriter open(bitCount, 6, 2);
    open.Run(6, 1, 2);
    open.EndLine();
    open.Run(6, 3, 4);
    open.EndLine();
    good("-no-end", "every row ended, the end-of-bitmap code left out", 6, 2, open);
}

// Run-length streams that break the format; `bytes` is the whole stream.
void AddBadRle(Corpus* corpus, const std::string& name, const std::string& about, int bitCount, int width,
               int height, const Bytes& bytes) {
    corpus->Bad(name, Outcome::conversion, about, RleLayout(bitCount, width, height, bytes));
}

// ---- Damaged copies of good files ----

// Cuts a good file at each place where a reader's next read would cross a boundary:
// inside the file header, the bitmap header, the colour table (and masks), the bits,
// and one byte short of the end.
void AddTruncations(Corpus* corpus, const std::string& base) {
    const Case* source = nullptr;
    for (const Case& c : corpus->Cases())
        if (c.name == base) source = &c;
    if (!source) return corpus->Fail("no case " + base + " to cut");
    Bytes    file        = source->file;
    bool     fileHeader  = file[0] == 'B' && file[1] == 'M';
    size_t   headerStart = fileHeader ? 14 : 0;
    uint32_t headerSize  = file[headerStart] | file[headerStart + 1] << 8;
    size_t   headerEnd   = headerStart + headerSize;
    size_t   bitsStart   = fileHeader ? ReadU32(file, 10) : 0;
    std::set<size_t> cuts = {1, 2, headerStart + 3, headerStart + headerSize / 2, headerEnd - 1, headerEnd,
                             headerEnd + 2, file.size() / 2, file.size() - 2, file.size() - 1};
    if (fileHeader) cuts.insert({10, 13, bitsStart - 1, bitsStart, bitsStart + 1});
    for (size_t cut : cuts) {
        if (cut == 0 || cut >= file.size()) continue;
        // Until the whole bitmap header is there its kind is unknown; after that the
        // bits (or the table before them) are short.
        Outcome     outcome = cut < headerEnd ? Outcome::unknown : Outcome::conversion;
        std::string where   = cut < headerStart ? "file header" : cut < headerEnd ? "bitmap header" : "table or bits";
        corpus->Add({"cut-" + base + "-" + std::to_string(cut), outcome,
                     "the first " + std::to_string(cut) + " bytes of " + base + ", cut in the " + where,
                     Bytes(file.begin(), file.begin() + static_cast<long>(cut)),
                     {}});
    }
}

void AddGood(Corpus* corpus) {
    AddIndexed(corpus, "pal1", "1 bit, a width that ends inside a byte", {.bitCount = 1, .width = 9, .height = 3, .stored = 2});
    AddIndexed(corpus, "pal1-core-bare", "1 bit, core header, no file header",
               {.bitCount = 1, .width = 13, .height = 2, .stored = 2, .core = true, .fileHeader = false});
    AddIndexed(corpus, "pal4", "4 bits, odd width", {.bitCount = 4, .width = 7, .height = 3, .stored = 16});
    AddIndexed(corpus, "pal4-core", "4 bits, core header: three-byte table entries",
               {.bitCount = 4, .width = 5, .height = 4, .stored = 16, .core = true});
    AddIndexed(corpus, "pal4-bare", "4 bits, no file header: the bits follow the table",
               {.bitCount = 4, .width = 6, .height = 2, .stored = 16, .fileHeader = false});
    AddIndexed(corpus, "pal8", "8 bits, the full table", {.bitCount = 8, .width = 6, .height = 4, .stored = 256});
    AddIndexed(corpus, "pal8-core-bare", "8 bits, core header, no file header",
               {.bitCount = 8, .width = 5, .height = 3, .stored = 256, .core = true, .fileHeader = false});
    AddIndexed(corpus, "pal8-bare", "8 bits, no file header, colours used 0: 256 entries",
               {.bitCount = 8, .width = 3, .height = 3, .stored = 256, .fileHeader = false});
    AddIndexed(corpus, "pal8-used16-bare", "colours used 16 without a file header: the bits start 64 bytes on",
               {.bitCount = 8, .width = 5, .height = 2, .stored = 16, .colorsUsed = 16, .fileHeader = false,
                .indexRange = 16});
    AddIndexed(corpus, "pal8-short-table", "a table shorter than the depth: indices past it read black",
               {.bitCount = 8, .width = 8, .height = 2, .stored = 5, .colorsUsed = 5, .indexRange = 8});
    AddIndexed(corpus, "pal4-short-table", "a 4-bit table of 3 entries: the rest read black",
               {.bitCount = 4, .width = 7, .height = 2, .stored = 3, .colorsUsed = 3});
    AddIndexed(corpus, "pal8-long-table", "300 entries: only the first 256 can be addressed",
               {.bitCount = 8, .width = 4, .height = 2, .stored = 300, .colorsUsed = 300});
    AddIndexed(corpus, "pal8-long-table-bare", "300 entries and no file header: the bits follow all 300",
               {.bitCount = 8, .width = 4, .height = 2, .stored = 300, .colorsUsed = 300, .fileHeader = false});
    AddIndexed(corpus, "pal8-topdown", "negative height: the top row is stored first",
               {.bitCount = 8, .width = 5, .height = 4, .stored = 256, .topDown = true});
    AddIndexed(corpus, "pal1-topdown", "1 bit, top-down",
               {.bitCount = 1, .width = 10, .height = 3, .stored = 2, .topDown = true});

    for (int width = 1; width <= 8; ++width)
        AddTrueColor(corpus, "rgb24-w" + std::to_string(width),
                     "24 bits, rows padded by " + std::to_string((4 - width * 3 % 4) % 4) + " bytes",
                     {.width = width, .height = 3});
    AddTrueColor(corpus, "rgb24-core", "24 bits, core header", {.width = 5, .height = 3, .core = true});
    AddTrueColor(corpus, "rgb24-core-bare", "24 bits, core header, no file header",
                 {.width = 3, .height = 2, .core = true, .fileHeader = false});
    AddTrueColor(corpus, "rgb24-bare", "24 bits, info header, no file header", {.width = 5, .height = 2, .fileHeader = false});
    AddTrueColor(corpus, "rgb24-topdown", "24 bits, top-down", {.width = 6, .height = 4, .topDown = true});
    AddTrueColor(corpus, "rgb24-table", "a colour table the depth does not use, skipped by the bits offset",
                 {.width = 3, .height = 2, .tableEntries = 4});
    AddTrueColor(corpus, "rgb24-table-bare", "an unused colour table without a file header: the bits follow it",
                 {.width = 3, .height = 2, .fileHeader = false, .tableEntries = 4});
    {
        Picture   picture(4, 2);
        BmpLayout bmp = TrueColorLayout({.width = 4, .height = 2}, &picture);
        bmp.bitsOffset = 14 + 40 + 7;   // a gap before the bits
        corpus->Good("rgb24-gap", "a gap between the header and the bits: the bits offset is honoured", bmp, picture);
    }

    AddMasked(corpus, "rgb16", "16 bits, default 5-5-5, the top bit unused",
              {.bitCount = 16, .red = 0x7C00, .green = 0x03E0, .blue = 0x001F, .bitfields = false});
    AddMasked(corpus, "rgb16-bare", "16 bits without a file header",
              {.bitCount = 16, .red = 0x7C00, .green = 0x03E0, .blue = 0x001F, .bitfields = false, .fileHeader = false});
    AddMasked(corpus, "rgb16-565", "bit fields 5-6-5",
              {.bitCount = 16, .red = 0xF800, .green = 0x07E0, .blue = 0x001F, .bitfields = true});
    AddMasked(corpus, "rgb16-444", "bit fields 4-4-4, the top four bits unused",
              {.bitCount = 16, .red = 0x0F00, .green = 0x00F0, .blue = 0x000F, .bitfields = true, .width = 7});
    AddMasked(corpus, "rgb16-nored", "an empty red mask reads 0",
              {.bitCount = 16, .red = 0, .green = 0x07E0, .blue = 0xF800, .bitfields = true});
    AddMasked(corpus, "rgb16-topdown", "16 bits, top-down",
              {.bitCount = 16, .red = 0x7C00, .green = 0x03E0, .blue = 0x001F, .bitfields = false, .topDown = true});
    AddMasked(corpus, "rgb32", "32 bits, default 8-8-8, the fourth byte unused",
              {.bitCount = 32, .red = 0xFF0000, .green = 0x00FF00, .blue = 0x0000FF, .bitfields = false});
    AddMasked(corpus, "rgb32-bare", "32 bits without a file header",
              {.bitCount = 32, .red = 0xFF0000, .green = 0x00FF00, .blue = 0x0000FF, .bitfields = false,
               .fileHeader = false});
    AddMasked(corpus, "rgb32-101010", "bit fields 10-10-10",
              {.bitCount = 32, .red = 0x3FF00000, .green = 0x000FFC00, .blue = 0x000003FF, .bitfields = true});
    AddMasked(corpus, "rgb32-high", "bit fields in the three high bytes",
              {.bitCount = 32, .red = 0x0000FF00, .green = 0x00FF0000, .blue = 0xFF000000, .bitfields = true});
    AddMasked(corpus, "rgb32-topdown", "32 bits, top-down",
              {.bitCount = 32, .red = 0xFF0000, .green = 0x00FF00, .blue = 0x0000FF, .bitfields = false, .topDown = true});

    AddRle(corpus, 8);
    AddRle(corpus, 4);

    // A colours-used value far past the file: the entries the file holds before the bits serve.
    BmpLayout absurd;
    absurd.bitCount   = 8;
    absurd.width      = 4;
    absurd.colorsUsed = 0xFFFFFFFF;
    Picture picture(4, 1);
    for (int i = 0; i < 4; ++i) {
        Rgb c = TableColor(i);
        AddPaletteEntry(&absurd, c.r, c.g, c.b);
    }
    absurd.bits = {0, 3, 9, 1};
    picture.At(0, 0) = TableColor(0);
    picture.At(1, 0) = TableColor(3);
    picture.At(3, 0) = TableColor(1);
    corpus->Good("pal8-used-absurd", "colours used 0xFFFFFFFF with four entries held; index 9 reads black", absurd, picture);
}

BmpLayout Plain24(int width, int height) {
    BmpLayout bmp;
    bmp.width  = width;
    bmp.height = height;
    bmp.bits.assign(static_cast<size_t>((width * 3 + 3) / 4 * 4) * (height < 0 ? -height : height), kJunk);
    return bmp;
}

void AddBad(Corpus* corpus) {
    for (uint32_t size : {0u, 16u, 52u, 56u, 64u, 108u, 124u, 0xFFFFFFFFu}) {
        Bytes file = BuildBmp(Plain24(2, 2));
        PatchU32(&file, 14, size);
        corpus->Add({"header-" + std::to_string(size), Outcome::unknown, "a bitmap header of neither 12 nor 40 bytes",
                     file, {}});
    }

    for (uint16_t depth : {0, 2, 3, 64, 30000}) {
        BmpLayout bmp = Plain24(2, 2);
        bmp.bitCount = depth;
        corpus->Bad("depth-" + std::to_string(depth), Outcome::conversion, "a depth that is not converted", bmp);
    }
    const struct {
        const char* name;
        uint16_t    bitCount;
        uint32_t    compression;
        const char* about;
    } compressions[] = {
        {"jpeg", 24, 4, "embedded JPEG"},
        {"png", 24, 5, "embedded PNG"},
        {"alphabitfields", 32, 6, "alpha bit fields"},
        {"rle8-at-24", 24, 1, "RLE8 on a 24-bit image"},
        {"rle8-at-4", 4, 1, "RLE8 on a 4-bit image"},
        {"rle4-at-8", 8, 2, "RLE4 on an 8-bit image"},
        {"bitfields-at-8", 8, 3, "bit fields on an 8-bit image"},
        {"bitfields-at-24", 24, 3, "bit fields on a 24-bit image"},
    };
    for (const auto& c : compressions) {
        BmpLayout bmp   = Plain24(2, 2);
        bmp.bitCount    = c.bitCount;
        bmp.compression = c.compression;
        corpus->Bad(std::string("compression-") + c.name, Outcome::conversion, c.about, bmp);
    }
    {
        BmpLayout bmp   = Plain24(2, 2);
        bmp.bitCount    = 16;
        bmp.compression = 3;
        bmp.fileHeader  = false;
        AppendU32(&bmp.afterHeader, 0xF800);
        AppendU32(&bmp.afterHeader, 0x07E0);
        AppendU32(&bmp.afterHeader, 0x001F);
        corpus->Bad("bitfields-bare", Outcome::conversion,
                    "bit fields without a file header: nothing says where the bits start", bmp);
    }

    const struct {
        const char* name;
        int32_t     width, height;
        const char* about;
    } sizes[] = {
        {"width-0", 0, 2, "width 0"},
        {"height-0", 2, 0, "height 0"},
        {"width-negative", -2, 2, "a negative width"},
        {"height-min", 2, INT32_MIN, "the most negative height, which has no positive counterpart"},
        {"size-huge", 0x7FFFFFFF, 0x7FFFFFFF, "2^31 - 1 squared pixels in a few bytes"},
        {"size-wide", 0x40000000, 1, "a row wider than the file"},
        {"size-tall", 1, 0x40000000, "more rows than the file holds"},
    };
    for (const auto& s : sizes) {
        BmpLayout bmp = Plain24(2, 2);
        bmp.width     = s.width;
        bmp.height    = s.height;
        corpus->Bad(s.name, Outcome::conversion, s.about, bmp);
    }
    {
        BmpLayout bmp  = Plain24(2, 2);
        bmp.headerSize = 12;
        bmp.width = bmp.height = 0xFFFF;
        corpus->Bad("size-core-huge", Outcome::conversion, "core header, 65535 x 65535 in a few bytes", bmp);
    }
    {
        BmpLayout bmp  = Plain24(1, 1);
        bmp.bitCount   = 8;
        bmp.fileHeader = false;
        bmp.colorsUsed = 0xFFFFFFFF;
        corpus->Bad("used-absurd-bare", Outcome::conversion,
                    "colours used 0xFFFFFFFF without a file header: the bits would start past the end", bmp);
    }
    for (uint32_t past : {0u, 1u, 0x7FFFFFFFu}) {
        Bytes file = BuildBmp(Plain24(2, 2));
        PatchU32(&file, 10, static_cast<uint32_t>(file.size()) + past);
        corpus->Add({"offset-past-" + std::to_string(past), Outcome::conversion,
                     "a bits offset " + std::to_string(past) + " bytes past the end", file, {}});
    }

    AddBadRle(corpus, "rle8-run-past-row", "a run longer than the row", 8, 4, 2, {5, 1, 0, 1});
    AddBadRle(corpus, "rle8-absolute-past-row", "an absolute stretch longer than the row", 8, 4, 2,
              {2, 1, 0, 3, 1, 2, 3, 0, 0, 1});
    AddBadRle(corpus, "rle8-delta-past-right", "a delta that leaves the row", 8, 4, 2, {0, 2, 5, 0, 0, 1});
    AddBadRle(corpus, "rle8-delta-past-top", "a delta that leaves the picture", 8, 4, 2, {0, 2, 0, 3, 0, 1});
    AddBadRle(corpus, "rle8-run-past-top", "pixels after the last row", 8, 2, 1, {2, 1, 0, 0, 1, 1, 0, 1});
    AddBadRle(corpus, "rle8-extra-lines", "more line ends than rows", 8, 2, 2, {0, 0, 0, 0, 0, 0, 0, 1});
    AddBadRle(corpus, "rle8-unfinished", "the stream stops before the last row, with no end code", 8, 3, 3,
              {3, 1, 0, 0, 3, 2});
    AddBadRle(corpus, "rle8-absolute-cut", "an absolute stretch the file does not hold", 8, 8, 1, {0, 6, 1, 2, 3});
    AddBadRle(corpus, "rle8-delta-cut", "a delta whose offsets the file does not hold", 8, 8, 2, {0, 2, 1});
    AddBadRle(corpus, "rle4-run-past-row", "a run longer than the row", 4, 5, 1, {6, 0x12, 0, 1});
    AddBadRle(corpus, "rle4-absolute-past-row", "an absolute stretch longer than the row", 4, 3, 1,
              {0, 5, 0x12, 0x34, 0x50, 0, 0, 1});
    {
        BmpLayout bmp = RleLayout(8, 8, 2, FullStream(8, 8, 2).Stream());
        bmp.height    = -2;
        corpus->Bad("rle8-topdown", Outcome::conversion, "a top-down run-length image, which the format does not allow",
                    bmp);
    }
    {
        RleWriter tiny(8, 1, 1);
        tiny.EndBitmap();
        BmpLayout bmp = RleLayout(8, 1 << 20, 1 << 20, tiny.Stream());
        corpus->Bad("rle8-huge", Outcome::conversion, "a trillion pixels claimed by a two-byte stream", bmp);
    }

    for (const char* base : {"rgb24-w5", "pal8-core-bare", "pal4", "rgb16-565", "rle8", "rle4-bare"})
        AddTruncations(corpus, base);
}

bool WriteFile(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out.flush());
}

Bytes Ppm(const Picture& picture) {
    std::string header = "P6\n" + std::to_string(picture.width) + " " + std::to_string(picture.height) + "\n255\n";
    Bytes       out(header.begin(), header.end());
    for (const Rgb& p : picture.pixels) out.insert(out.end(), {p.r, p.g, p.b});
    return out;
}

const char* OutcomeName(Outcome outcome) {
    switch (outcome) {
    case Outcome::ok:
        return "ok";
    case Outcome::unknown:
        return "unknown";
    case Outcome::conversion:
        return "conversion";
    }
    return "";
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("usage: bmp_corpus OUTDIR\n", stderr);
        return 1;
    }
    std::string dir = argv[1];
    Corpus      corpus;
    AddGood(&corpus);
    AddBad(&corpus);

    std::string manifest;
    for (const Case& c : corpus.Cases()) {
        if (!WriteFile(dir + "/" + c.name + ".bmp", c.file) ||
            (c.picture && !WriteFile(dir + "/" + c.name + ".ppm", Ppm(*c.picture)))) {
            std::fprintf(stderr, "bmp_corpus: cannot write %s/%s\n", dir.c_str(), c.name.c_str());
            return 1;
        }
        manifest += c.name + " " + OutcomeName(c.outcome) + " " + c.about + "\n";
    }
    if (corpus.Failed() || !WriteFile(dir + "/corpus.txt", Bytes(manifest.begin(), manifest.end()))) return 1;
    return 0;
}
