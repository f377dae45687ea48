#include "widgets/ChannelColours.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace tavrel {

namespace {

// Blue, vermillion, bluish green, reddish purple, orange, sky blue, yellow.
constexpr std::array<QRgb, ChannelColourCount> OkabeIto{0x0072B2, 0xD55E00, 0x009E73, 0xCC79A7,
                                                        0xE69F00, 0x56B4E9, 0xF0E442};

double Linear(double c) {
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

} // namespace

double RelativeLuminance(const QColor& colour) {
    const QColor c = colour.toRgb();
    return 0.2126 * Linear(c.redF()) + 0.7152 * Linear(c.greenF()) + 0.0722 * Linear(c.blueF());
}

double ContrastRatio(const QColor& a, const QColor& b) {
    const double la = RelativeLuminance(a), lb = RelativeLuminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor ChannelColour(int channel, const QColor& base) {
    const int n = ChannelColourCount;
    QColor colour(OkabeIto[static_cast<std::size_t>(((channel % n) + n) % n)]);
    // Mid grey: the base luminance from which white and black contrast equally.
    const bool darkBase = RelativeLuminance(base) < 0.18;
    float hue = 0, saturation = 0, lightness = 0;
    colour.getHslF(&hue, &saturation, &lightness);
    // Steps of lightness keep the hue, so the palette's distinctions stay.
    for (int step = 0; step < 100 && ContrastRatio(colour, base) < MinimumLineContrast; ++step) {
        lightness = std::clamp(lightness + (darkBase ? 0.01f : -0.01f), 0.0f, 1.0f);
        colour = QColor::fromHslF(hue, saturation, lightness).toRgb();
    }
    return colour;
}

} // namespace tavrel
