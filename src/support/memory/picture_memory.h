#pragma once

// Memory for large 24-bit pictures (QImage::Format_BGR888, rows padded to 4
// bytes) that the program manages itself rather than through QImage's own
// allocation, for two reasons that matter on pictures of tens of megabytes:
//
// - Pixels are not filled: a reader that writes every pixel would otherwise
//   pay a whole extra pass over memory. The row padding is zeroed, so nothing
//   stale ever reaches a saved file.
// - Large pictures ask the system for large pages, so touching them costs a
//   few dozen page faults instead of tens of thousands, and walking a picture
//   column by column (the quarter turn) does not thrash the translation buffer.
//
// Such a picture is an ordinary QImage to everyone else: copies share it,
// writing to a shared copy detaches as usual, the memory is freed with the
// last copy.

#include <QImage>

namespace orvanto {

enum class TPictureTouch {
    // Large pages where the picture is large: for pictures filled and read
    // row by row.
    Rows,
    // Large pages for the first two thirds of a large picture only, ordinary
    // pages for the rest: for a picture filled column by column while another
    // is given back row by row (a quarter turn). A large page becomes
    // resident as a whole at its first write, and the first column touches
    // them all, so the two pictures together stay near twice one.
    Columns,
};

// A new width x height picture with unspecified pixels and zeroed padding;
// a null image when a side is not positive or memory runs out. Callers check
// any size limit before.
QImage NewPictureMemory(int width, int height, TPictureTouch touch = TPictureTouch::Rows);

// True when the picture's pixels are memory from NewPictureMemory that no
// other QImage shares.
bool OwnsPictureMemory(const QImage& picture);

// Hands the whole memory pages inside rows first..end - 1 back to the system:
// a picture being consumed row band by row band (a quarter turn into a new
// picture) then never holds two full copies. Afterwards those rows read as
// zero bytes. A picture with large pages gives back whole large pages only,
// so a caller consuming it gradually passes all rows consumed so far, not
// just the latest band. Only for pictures OwnsPictureMemory accepts; false
// and nothing done for any other.
bool ReleasePictureRows(QImage& picture, int first, int end);

} // namespace orvanto
