#include "text/readable_colour.h"
#include <cmath>

namespace {

// The light each 8-bit sRGB level gives, 0 to 1.
double linear_level(uint32_t level)
{
    static double levels[256];
    static bool made = false;
    if (!made) {
        for (int i = 0; i < 256; ++i) {
            double v = i / 255.0;
            levels[i] = v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
        }
        made = true;
    }
    return levels[level & 0xFF];
}

double luminance(uint32_t colour)
{
    return 0.2126 * linear_level(colour) + 0.7152 * linear_level(colour >> 8) +
           0.0722 * linear_level(colour >> 16);
}

// `from` moved `step` 256ths of the way to `to`, each channel.
uint32_t mixed(uint32_t from, uint32_t to, int step)
{
    uint32_t colour = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        int a = static_cast<int>(from >> shift & 0xFF), b = static_cast<int>(to >> shift & 0xFF);
        colour |= static_cast<uint32_t>(a + (b - a) * step / 256) << shift;
    }
    return colour;
}

}  // namespace

double contrast_ratio(uint32_t a, uint32_t b)
{
    double la = luminance(a), lb = luminance(b);
    return la > lb ? (la + 0.05) / (lb + 0.05) : (lb + 0.05) / (la + 0.05);
}

uint32_t readable_ink(uint32_t ink, uint32_t background)
{
    ink &= 0xFFFFFF;
    background &= 0xFFFFFF;
    if (contrast_ratio(ink, background) >= readable_contrast)
        return ink;
    // Black or white, whichever stands further from the background, always
    // reads (at worst 4.58 to 1); the first step toward it that reads wins.
    uint32_t end = contrast_ratio(0, background) >= contrast_ratio(0xFFFFFF, background) ? 0 : 0xFFFFFF;
    for (int step = 8; step < 256; step += 8) {
        uint32_t colour = mixed(ink, end, step);
        if (contrast_ratio(colour, background) >= readable_contrast)
            return colour;
    }
    return end;
}

RunColours run_colours(const ColourRun& run, uint32_t ink, uint32_t fill, bool selected)
{
    uint32_t fore = run.reverse ? run.background : run.foreground;
    uint32_t back = run.reverse ? run.foreground : run.background;
    RunColours colours;
    colours.text = fore != colour_default ? fore : run.reverse ? fill : ink;
    colours.back = back != colour_default ? back : run.reverse ? ink : fill;
    if (selected) {
        colours.back = fill;
        if (fore == colour_default)
            colours.text = ink;
    }
    colours.text = readable_ink(colours.text, colours.back);
    colours.back &= 0xFFFFFF;
    return colours;
}
