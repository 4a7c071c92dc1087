// The pictures of the data file (BMP and GIF) and the table that holds them
// for the intro screen.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>

#include <QImage>

#include "skydata/data_file.h"
#include "skydata/int_rect.h"

class QPainter;

namespace skyvane::skydata {

// The most a picture may measure on either side, and all pictures of a
// table together once decoded; a picture beyond either is left undecoded
// like a damaged one.
inline constexpr int kMaxPictureSide = 4096;
inline constexpr std::int64_t kMaxPictureTableBytes = std::int64_t{64} * 1024 * 1024;

struct PictureSlot {
    // Entry name, blanks removed; "NOFILENAME" for a directory entry that
    // is not a picture; empty for a slot no entry touched.
    std::string name;
    QImage picture;  // null when the entry could not be decoded
    IntRect size;    // (0, 0, width, height) in pixels
    int present = 0;  // 1 once a picture entry was decoded into the slot
};

struct PictureTable {
    // Not called "slots": Qt reserves that word.
    std::array<PictureSlot, kPictureSlotCount> pictureSlots;
    int pictureCount = 0;  // picture entries of the load, decoded or not
};

// Pixels for a length in hundredths of a millimetre at a fixed 96 pixels per
// inch, rounded to the nearest pixel (halves away from zero).
int HimetricToPixels(int himetric);

// Decodes BMP or GIF bytes (the first frame of a GIF), unless the header
// gives a side longer than kMaxPictureSide. On success `out`
// holds the picture and `size.right`/`size.bottom` its width and height in
// pixels. Where the file states a physical size (a BMP's pixels per metre)
// that size is shown at 96 pixels per inch; otherwise one picture pixel is
// one screen pixel. On failure `out` is null and `size` is left unchanged.
bool DecodePicture(std::span<const unsigned char> bytes, QImage& out, IntRect& size);

// Draws the whole picture with its top-left corner at (x, y), stretched to
// size.right x size.bottom pixels. False when there was nothing to draw
// with or on.
bool DrawPicture(QPainter& painter, int x, int y, const QImage& picture, const IntRect& size);

// The picture table of one data file: every picture entry is decoded into
// its slot, which is marked present and counted even when its bytes turn
// out to be no picture, too large, or more than the table may still hold
// (kMaxPictureTableBytes, in directory order).
PictureTable BuildPictureTable(const DecodedDataFile& file);

// Lets go of the pictures of all present slots.
void ReleasePictures(PictureTable& table);

}  // namespace skyvane::skydata
