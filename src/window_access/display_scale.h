#pragma once
// The presets are sizes on a 96-dpi screen, the pixels a web page is laid
// out in. On a scaled display a browser draws each of those as several
// device pixels, so a backend turns the preset into the device pixels of
// the display the window is on before it places the window. At 96 dpi
// nothing changes.

#include <string_view>

namespace quenlow {

inline constexpr double reference_dpi = 96.0;

// `pixels` on a 96-dpi screen, as whole device pixels at `dpi` (rounded to
// the nearest). A dpi that is not a plausible screen's counts as 96.
int device_pixels(int pixels, double dpi);

// Device pixels per pixel of a 96-dpi screen at `dpi` (1 for a dpi that is
// not a plausible screen's).
double scale_of_dpi(double dpi);

// The value of Xft.dpi in an X resource database as xrdb stores it on the
// root window (RESOURCE_MANAGER: "name:\tvalue" lines; the last entry
// wins), or 96 when it is absent, unreadable or not a plausible screen's.
double xft_dpi(std::string_view resources);

}  // namespace quenlow
