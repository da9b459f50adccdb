// Set-up shared by the fuzz targets: a headless application, no printers, page sizes from
// the paper alone, no message boxes.
#pragma once

namespace pq {
void FuzzInit();
}
