#pragma once
// The main window may be made smaller but never larger than 4950 x 3840
// twips (outer size); a height dragged to 3675 twips or more springs to
// 3840. Twips are 1/1440 inch: 15 to a pixel at 96 dots per inch.

namespace quenlow {

inline constexpr int twips_per_pixel = 15;
inline constexpr int twips_per_inch = 1440;

struct twips_size {
    int width = 0;
    int height = 0;
    friend bool operator==(const twips_size&, const twips_size&) = default;
};

inline constexpr twips_size largest_outer_size{4950, 3840};

constexpr twips_size limited_outer_size(twips_size outer)
{
    if (outer.height >= 3675) outer.height = largest_outer_size.height;
    if (outer.width >= largest_outer_size.width) outer.width = largest_outer_size.width;
    return outer;
}

}  // namespace quenlow
