// Arithmetic of the display scale. The windows are laid out in pixels at
// 96 DPI (100 %); at run time each position, size and font height is taken
// to the DPI of the monitor the window is on.
#pragma once

#include <optional>

namespace dpi {

inline constexpr int kDesignDpi = 96;

// A DPI as the system reports it; anything not positive (a call that failed)
// counts as the design DPI.
int Usable(int dpi);

// `value` pixels at `fromDpi` taken to `toDpi`, rounded to the nearest pixel,
// halves away from zero (as MulDiv rounds).
int Rescale(int value, int fromDpi, int toDpi);
// A length given at 96 DPI, at `dpi`.
inline int Scale(int value96, int dpi) { return Rescale(value96, kDesignDpi, dpi); }

// A rectangle as position and size.
struct Rect {
    int x = 0, y = 0, width = 0, height = 0;
    friend bool operator==(const Rect&, const Rect&) = default;
};

// The edges are scaled, not the sizes: controls whose edges meet or line up
// at 96 DPI still do at any scale.
Rect RescaleRect(const Rect& rect, int fromDpi, int toDpi);
inline Rect ScaleRect(const Rect& rect96, int dpi) { return RescaleRect(rect96, kDesignDpi, dpi); }

// Where a child goes when its window moves from `oldDpi` to `newDpi`. A child
// still where its design put it (`design`, at 96 DPI) goes to the design at
// the new DPI, so that moving back and forth never drifts; one the program
// has moved since (or without a design) has its current place rescaled.
Rect PlacedChild(const std::optional<Rect>& design, const Rect& current, int oldDpi, int newDpi);

// The same for a drop-down combo box, whose window is only as high as its
// field: the height it is made and moved with is that of field and list
// together, which no reading of the window gives back alike on every system.
// It keeps its designed height, scaled; its place and width go as above,
// told apart from the design by place and width alone.
Rect PlacedComboBox(const std::optional<Rect>& design, const Rect& current, int oldDpi, int newDpi);

// Pixel height of a font designed `pixelHeight96` pixels high.
inline int FontHeight(int pixelHeight96, int dpi) { return Scale(pixelHeight96, dpi); }

// Side of a small icon (tray, caption, button glyph) and of a large one.
int SmallIconSize(int dpi);
int LargeIconSize(int dpi);

}  // namespace dpi
