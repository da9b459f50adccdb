// The byte records of views: the common view record, then the record of the view's class
// (memo, calculated memo, money, diagonal, band, picture, sub-report, rich text, shape,
// check box; line and region views add nothing). A view's PreparedMode selects the
// prepared layout, which carries Memo1 and leaves out the design-only fields.
#pragma once

#include "report/engine/canvas/rm_graphic.h"

#include "report/engine/files/rm_stream.h"

#include <QImage>

#include <memory>

namespace pq {

class TRMView;

// The format version and sub-versions this system writes.
inline constexpr int kRMFormatVersion = 43;
inline constexpr int kRMReportSubVersion = 0;
inline constexpr int kRMReportSubSubVersion = 11;
inline constexpr int kRMPreparedSubVersion = 10;
inline constexpr int kRMObjectVersion = 10;

void RMSaveView(TRMWriter& w, TRMView& view);
// Reads the record of view's class into view, following the version's rules.
void RMLoadView(TRMReader& r, TRMView& view, const TRMStreamVersion& version);

// A picture: kind byte (0 none, 1 bitmap, 2 metafile, 3 icon, 4 JPEG, 5 SVG), the blob
// type byte when withBlobType, a 32-bit end position, the graphic in its own format. JPEG,
// icons, metafiles and SVG keep the bytes they were read from; other raster formats are
// written as BMP (a BMP read from a file as it was).
void RMWritePicture(TRMWriter& w, const TRMGraphic& picture, bool withBlobType, std::uint8_t blobType);
void RMWritePicture(TRMWriter& w, const QImage& picture, bool withBlobType, std::uint8_t blobType);
// Bytes that cannot be decoded leave the picture empty, except a metafile, which is kept
// undrawn; the end position is honoured either way.
void RMReadPicture(TRMReader& r, TRMGraphic& picture, bool withBlobType, std::uint8_t* blobType);
// Only what can be drawn as an image (background pictures).
void RMReadPicture(TRMReader& r, QImage& picture, bool withBlobType, std::uint8_t* blobType);

// A printed view as page streams carry it: type code, class name for code 10, the record
// with PreparedMode set.
void RMWritePreparedView(TRMWriter& w, TRMView& view);
// Reads one printed view. Throws TRMStreamError for a type code that names no view (a page
// stream has no end positions to skip it by) and TRMClassNotFound for an add-in class that
// is not registered.
std::unique_ptr<TRMView> RMReadPreparedView(TRMReader& r, const TRMStreamVersion& version);

// Bounds of files before version 32 (or combined version 3810) were kept in tenths of a
// millimetre: converts the four edges separately to pixels and recomputes width and height.
void RMConvertOldBounds(TRMView& view);

// Registers the add-in views of the object model (shape, check box, diagonal, rich text)
// unless they already are; the readers call it so their class names resolve.
void RMRegisterStandardAddIns();

} // namespace pq
