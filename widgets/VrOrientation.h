#pragma once

namespace calvoran {

// Shared by the matrix, level bars, sliders and track bar.
enum TVrOrientation { voVertical, voHorizontal };

// End at which a level bar or track bar starts (its minimum): bottom/left or top/right.
enum TVrProgressStyle { psBottomLeft, psTopRight };

} // namespace calvoran
