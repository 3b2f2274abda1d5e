#include "window/Layout.h"

#include <cstdint>

namespace qeltor::layout {

int TwipsToPixels(int twips, int dpi) {
    const std::int64_t product = static_cast<std::int64_t>(twips) * dpi;
    const std::int64_t half = kTwipsPerInch / 2;
    const std::int64_t rounded = product >= 0 ? (product + half) / kTwipsPerInch : -((-product + half) / kTwipsPerInch);
    return static_cast<int>(rounded);
}

Rect TwipsToPixels(const Rect& twips, int dpi) {
    return {TwipsToPixels(twips.left, dpi), TwipsToPixels(twips.top, dpi), TwipsToPixels(twips.width, dpi),
            TwipsToPixels(twips.height, dpi)};
}

Rect DockedToBottom(const Rect& strip, int clientWidth, int clientHeight) {
    return {0, clientHeight - strip.height, clientWidth, strip.height};
}

Rect LabelAfterResize(const Rect& label, int stripOuterWidth, int top40) {
    return {0, top40, stripOuterWidth, label.height};
}

}  // namespace qeltor::layout
