// The schematic previews of a slope segment and of a side ditch as plain geometry: from the
// values and the box size to the strokes to draw, in whole pixels of the box (x to the right,
// y downwards, (0, 0) the box's top left corner). Nothing here needs a window; PaintPreview
// (preview_box.h) draws the result.
#pragma once

#include <cstdint>
#include <vector>

#include "slopes/slope_page_kind.h"
#include "store/records.h"

namespace hdmjm {

struct PreviewColour {
  std::uint8_t red = 0, green = 0, blue = 0;
  bool operator==(const PreviewColour&) const = default;
};

enum class PreviewPenStyle { Solid, Dotted };

struct PreviewPen {
  PreviewColour colour;
  int width = 1;
  PreviewPenStyle style = PreviewPenStyle::Solid;
  bool operator==(const PreviewPen&) const = default;
};

struct PreviewPoint {
  int x = 0, y = 0;
  bool operator==(const PreviewPoint&) const = default;
};

struct PreviewStroke {
  PreviewPoint from, to;
  PreviewPen pen;
  bool operator==(const PreviewStroke&) const = default;
};

// A box filled with the background colour and the strokes drawn over it in order. Strokes may
// reach past the box (a cut's first berm wider than 5 m does); the painter clips them.
struct PreviewDrawing {
  int width = 0, height = 0;
  PreviewColour background;
  std::vector<PreviewStroke> strokes;
};

inline constexpr PreviewColour kPreviewBackground{128, 128, 128};
inline constexpr PreviewPen kReferencePen{{0, 255, 0}, 1, PreviewPenStyle::Dotted};
inline constexpr PreviewPen kSlopeLinePen{{0, 0, 0}, 2, PreviewPenStyle::Solid};
inline constexpr PreviewPen kBermPen{{255, 0, 0}, 2, PreviewPenStyle::Solid};
inline constexpr PreviewPen kGroundPen{{150, 200, 89}, 2, PreviewPenStyle::Solid};
inline constexpr PreviewPen kDitchSidePen{{255, 255, 0}, 5, PreviewPenStyle::Solid};
inline constexpr PreviewPen kDitchBottomPen{{255, 0, 0}, 5, PreviewPenStyle::Solid};

// The slope profile of one segment in a box of width × height pixels, as `page` draws it:
// embankments from the top left, rightwards and downwards; cuts from the bottom, upwards,
// rightwards on the right cut page and leftwards on the left one. The left embankment page keeps
// its pen position in real numbers, the other three truncate it to whole pixels after every
// step. The end station and the berm cross slopes are not drawn; the last level is drawn 10 m
// high whatever its height limit. A cut without levels, a level count outside 0 to 30, a value
// that is not finite, a negative ratio, height or berm, or a box too small for the 10-pixel
// margins gives the grey box alone.
PreviewDrawing SlopePreview(const SlopeSegment& segment, SlopePage page, int width, int height);

// Which way a side-ditch preview runs: leftwards on the left side-ditch page (CZLQSG),
// rightwards on the right one (CYLQSG).
enum class DitchDirection { Leftwards, Rightwards };

// The trapezoid of one side ditch (bottom width, depth, inner slope slope1 and outer slope
// slope2 of `row`; lining and radius are not drawn) with 0.5 m of ground on each side, scaled
// alike on both axes to fit the box and centred in it. A negative width, a depth that is not
// positive, a negative slope, a value that is not finite or a box too small for the margins
// gives the grey box alone.
PreviewDrawing SideDitchPreview(const SideDitchRow& row, DitchDirection direction, int width,
                                int height);

}  // namespace hdmjm
