#include "platform/dpi.h"

#include <cstdint>

namespace dpi {

int Usable(int dpi) { return dpi > 0 ? dpi : kDesignDpi; }

int Rescale(int value, int fromDpi, int toDpi) {
    fromDpi = Usable(fromDpi);
    toDpi = Usable(toDpi);
    if (fromDpi == toDpi) return value;
    const std::int64_t product = static_cast<std::int64_t>(value) * toDpi;
    const std::int64_t half = fromDpi / 2;
    const std::int64_t rounded = product >= 0 ? (product + half) / fromDpi : -((-product + half) / fromDpi);
    return static_cast<int>(rounded);
}

Rect RescaleRect(const Rect& rect, int fromDpi, int toDpi) {
    const int left = Rescale(rect.x, fromDpi, toDpi);
    const int top = Rescale(rect.y, fromDpi, toDpi);
    const int right = Rescale(rect.x + rect.width, fromDpi, toDpi);
    const int bottom = Rescale(rect.y + rect.height, fromDpi, toDpi);
    return {left, top, right - left, bottom - top};
}

Rect PlacedChild(const std::optional<Rect>& design, const Rect& current, int oldDpi, int newDpi) {
    if (design && ScaleRect(*design, oldDpi) == current) return ScaleRect(*design, newDpi);
    return RescaleRect(current, oldDpi, newDpi);
}

Rect PlacedComboBox(const std::optional<Rect>& design, const Rect& current, int oldDpi, int newDpi) {
    if (!design) return RescaleRect(current, oldDpi, newDpi);
    const Rect was = ScaleRect(*design, oldDpi);
    const Rect designed = ScaleRect(*design, newDpi);
    const bool inPlace = was.x == current.x && was.y == current.y && was.width == current.width;
    Rect placed = inPlace ? designed : RescaleRect(current, oldDpi, newDpi);
    placed.height = designed.height;
    return placed;
}

int SmallIconSize(int dpi) { return Scale(16, dpi); }

int LargeIconSize(int dpi) { return Scale(32, dpi); }

}  // namespace dpi
