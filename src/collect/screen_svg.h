// The heat map of a screen as an SVG picture (STEM_screen.svg), written by
// hand: one panel for each of the first kScreenPanels stations, the window's
// end month across (January of the span's first year to December of the
// current one), its length up (1 month at the bottom), r as the colour of
// each window's cell on a diverging scale with its legend, a dot in the
// cells whose 95 % interval excludes 0, the best window (largest |r|)
// outlined. A line under the panels says how many more stations the csv
// holds. Every text of the file comes XML-escaped, and bytes that are no
// UTF-8 as "?", so that any station name gives a well-formed file.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "collect/correlation.h"
#include "collect/windows.h"

namespace versel {

inline constexpr std::size_t kScreenPanels = 12;

struct ScreenPanel {
  std::string station;               // the station's name, as the csv gives it
  std::vector<Correlation> results;  // one for each window, in the windows' order
};

struct ScreenPicture {
  std::string chronology;    // the chronology as the title names it: "CAN001 Big Bend"
  std::string method;        // "Pearson" or "Spearman"
  std::string interval;      // "Fisher's z", "1000 bootstrap resamples"
  std::size_t stations = 0;  // the stations the csv holds
};

// The colour of r on the diverging scale from -limit (blue, #2166ac) over
// 0 (white) to +limit (red, #b2182b), through #92c5de and #f4a582 at half
// way, linear in between and the ends beyond; light grey (#d9d9d9) for a
// missing r.
std::string colour_of(double r, double limit = 1.0);

// The end of the colour scale for the panels: their largest |r| rounded up
// to a tenth, from 0.1 to 1 (1 when every r is missing).
double colour_limit(const std::vector<ScreenPanel>& panels);

// The picture of the first kScreenPanels panels, each with
// windows.size() results.
std::string screen_svg(const std::vector<ScreenWindow>& windows, int span_years, int max_months,
                       const std::vector<ScreenPanel>& panels, const ScreenPicture& picture);

}  // namespace versel
