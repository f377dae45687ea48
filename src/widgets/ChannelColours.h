#pragma once

#include <QColor>

namespace tavrel {

// The one palette of channel lines, shared by the live charts and the viewer: the Okabe–Ito
// colours (without black, which vanishes on a dark chart), in an order that keeps the first
// four apart for readers with any of the common colour-vision deficiencies.
inline constexpr int ChannelColourCount = 7;
// Lines need at least this contrast ratio against their background to be seen.
inline constexpr double MinimumLineContrast = 3.0;

// The colour of channel (0-based; the palette repeats beyond its end) on a background of
// base: the palette's hue, made lighter on a dark base or darker on a light one until it has
// MinimumLineContrast against base.
QColor ChannelColour(int channel, const QColor& base);

// The contrast ratio of two opaque colours by their relative luminance, from 1 (same) to 21
// (black on white).
double ContrastRatio(const QColor& a, const QColor& b);
double RelativeLuminance(const QColor& colour);

} // namespace tavrel
