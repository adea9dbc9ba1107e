// The screen's heat map: a few SVG templates filled panel by panel, cell by
// cell.
#include "collect/screen_svg.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>

#include "collect/screen.h"
#include "mask/variable_names.h"
#include "records/message_text.h"

namespace versel {
namespace {

// The templates; "{}" filled by compose() in order.
constexpr std::string_view kSvgOpen =
    "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"{}\" height=\"{}\" viewBox=\"0 0 {} {}\" "
    "font-family=\"sans-serif\">\n<rect width=\"{}\" height=\"{}\" fill=\"#ffffff\"/>\n";
constexpr std::string_view kSvgClose = "</svg>\n";
constexpr std::string_view kText =
    "<text x=\"{}\" y=\"{}\" font-size=\"{}\" text-anchor=\"{}\" fill=\"#222222\">{}</text>\n";
constexpr std::string_view kTextUp =
    "<text x=\"{}\" y=\"{}\" font-size=\"{}\" text-anchor=\"middle\" fill=\"#222222\" "
    "transform=\"rotate(-90 {} {})\">{}</text>\n";
constexpr std::string_view kCell =
    "<rect class=\"cell\" x=\"{}\" y=\"{}\" width=\"{}\" height=\"{}\" fill=\"{}\">"
    "<title>{}</title></rect>\n";
constexpr std::string_view kDot =
    "<circle class=\"{}\" cx=\"{}\" cy=\"{}\" r=\"{}\" fill=\"#000000\"/>\n";
constexpr std::string_view kOutline =
    "<rect class=\"{}\" x=\"{}\" y=\"{}\" width=\"{}\" height=\"{}\" fill=\"none\" "
    "stroke=\"{}\" stroke-width=\"{}\"/>\n";
constexpr std::string_view kLine =
    "<line x1=\"{}\" y1=\"{}\" x2=\"{}\" y2=\"{}\" stroke=\"{}\" stroke-width=\"1\"/>\n";
constexpr std::string_view kSwatch =
    "<rect x=\"{}\" y=\"{}\" width=\"{}\" height=\"{}\" fill=\"{}\"/>\n";
constexpr std::string_view kGroupOpen = "<g transform=\"translate({} {})\">\n";
constexpr std::string_view kGroupClose = "</g>\n";

constexpr std::string_view kMissingColour = "#d9d9d9";

// The texts of the picture.
constexpr std::string_view kTitle = "Which season matters: chronology {} against every window";
constexpr std::string_view kSubtitle =
    "{} r; across: the window's last month; up: its length in months; 95 % interval: {}";
constexpr std::string_view kBest = "best: {} r = {} (n = {})";
constexpr std::string_view kNoBest = "no window with enough years in common";
constexpr std::string_view kCellTitle = "{} (from {}, {}): r = {}, n = {}";
constexpr std::string_view kMore = "{} more stations in the csv";
constexpr std::string_view kOneMore = "1 more station in the csv";
constexpr std::string_view kLegendTitle = "r";
constexpr std::string_view kLegendSig = "interval excludes 0";
constexpr std::string_view kLegendBest = "best window";
constexpr std::string_view kLegendMissing = "missing";
constexpr std::string_view kMonthsUp = "months";
constexpr std::string_view kCurrentYear = "current year";
constexpr std::string_view kPreviousYear = "previous year";
constexpr std::string_view kEarlierYear = "year t-{}";

struct Rgb {
  double r, g, b;
};
constexpr std::array<Rgb, 5> kStops = {
    {{33, 102, 172}, {146, 197, 222}, {255, 255, 255}, {244, 165, 130}, {178, 24, 43}}};

std::string num(int v) { return std::to_string(v); }

std::string fixed(double v, int decimals) {
  char text[32];
  std::snprintf(text, sizeof text, "%.*f", decimals, v);
  return text;
}

// A text of the file's data as XML character data: UTF-8 kept, any other
// byte and every control byte as "?", the five special characters as
// entities; cut after `limit` characters with "...".
std::string xml_text(std::string_view s, std::size_t limit = 80) {
  std::string out;
  std::size_t chars = 0;
  for (std::size_t i = 0; i < s.size(); ++chars) {
    if (chars == limit) {
      out += "...";
      break;
    }
    const auto c = static_cast<unsigned char>(s[i]);
    std::size_t len = c < 0x80         ? 1
                      : (c >> 5) == 6  ? 2
                      : (c >> 4) == 14 ? 3
                      : (c >> 3) == 30 ? 4
                                       : 0;
    bool valid = len > 0 && i + len <= s.size();
    for (std::size_t k = 1; valid && k < len; ++k)
      valid = (static_cast<unsigned char>(s[i + k]) & 0xC0) == 0x80;
    if (valid && len > 1) {
      // no overlong form, no surrogate, nothing past U+10FFFF, no U+FFFE or U+FFFF
      const auto c1 = static_cast<unsigned char>(s[i + 1]);
      if (len == 2) valid = c >= 0xC2;
      if (len == 3)
        valid = !(c == 0xE0 && c1 < 0xA0) && !(c == 0xED && c1 >= 0xA0) &&
                !(c == 0xEF && c1 == 0xBF && static_cast<unsigned char>(s[i + 2]) >= 0xBE);
      if (len == 4) valid = c <= 0xF4 && !(c == 0xF0 && c1 < 0x90) && !(c == 0xF4 && c1 >= 0x90);
    }
    if (!valid) {
      out += '?';
      ++i;
      continue;
    }
    if (len > 1) {
      out.append(s.substr(i, len));
      i += len;
      continue;
    }
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&apos;"; break;
      default: out += (c < 0x20 || c == 0x7f) ? '?' : static_cast<char>(c);
    }
    ++i;
  }
  return out;
}

std::string text_at(int x, int y, int size, std::string_view anchor,
                    std::string_view escaped_text) {
  return compose(kText, {num(x), num(y), num(size), anchor, escaped_text});
}

bool excludes_zero(const Correlation& c) { return c.low > 0.0 || c.high < 0.0; }

// The sizes of one panel.
struct Geometry {
  int cw, ch;         // a cell
  int columns, rows;  // months of the span, window lengths
  int left = 36, top = 40, bottom = 34, right = 14;
  int width() const { return left + columns * cw + right; }
  int height() const { return top + rows * ch + bottom; }
};

std::string year_name(int years_back) {
  if (years_back == 0) return std::string(kCurrentYear);
  if (years_back == 1) return std::string(kPreviousYear);
  return compose(kEarlierYear, {num(years_back)});
}

void draw_panel(std::string& svg, const Geometry& g, const std::vector<ScreenWindow>& windows,
                const ScreenPanel& p, double limit, int span_years) {
  const std::ptrdiff_t best = p.results.size() == windows.size() ? best_window(p.results) : -1;
  svg += text_at(0, 14, 12, "start", xml_text(p.station, 48));
  if (best >= 0) {
    const Correlation& c = p.results[static_cast<std::size_t>(best)];
    svg += text_at(0, 28, 10, "start",
                   xml_text(compose(kBest, {windows[static_cast<std::size_t>(best)].name,
                                            fixed(c.r, 2), num(c.n)})));
  } else {
    svg += text_at(0, 28, 10, "start", xml_text(kNoBest));
  }
  const int x0 = g.left, y0 = g.top;
  auto cell_x = [&](const ScreenWindow& w) { return x0 + w.last() * g.cw; };
  auto cell_y = [&](const ScreenWindow& w) { return y0 + (g.rows - w.length) * g.ch; };
  for (std::size_t i = 0; i < windows.size(); ++i) {
    const ScreenWindow& w = windows[i];
    const Correlation c = i < p.results.size() ? p.results[i] : Correlation{};
    const std::string r_text = std::isnan(c.r) ? std::string("missing") : fixed(c.r, 3);
    svg += compose(
        kCell,
        {num(cell_x(w)), num(cell_y(w)), num(g.cw), num(g.ch), colour_of(c.r, limit),
         xml_text(compose(kCellTitle, {w.name, w.first_month,
                                        w.length == 1 ? std::string("1 month")
                                                      : num(w.length) + " months",
                                        r_text, num(c.n)}))});
    if (!std::isnan(c.r) && excludes_zero(c))
      svg +=
          compose(kDot, {"sig", fixed(cell_x(w) + g.cw / 2.0, 1), fixed(cell_y(w) + g.ch / 2.0, 1),
                         fixed(std::min(g.cw, g.ch) / 6.0, 1)});
  }
  if (best >= 0) {
    const ScreenWindow& w = windows[static_cast<std::size_t>(best)];
    svg += compose(kOutline,
                   {"best", num(cell_x(w)), num(cell_y(w)), num(g.cw), num(g.ch), "#000000", "2"});
  }
  // the frame, the year boundaries, the months and years below
  svg += compose(kOutline, {"frame", num(x0), num(y0), num(g.columns * g.cw), num(g.rows * g.ch),
                            "#888888", "1"});
  for (int y = 1; y < span_years; ++y)
    svg += compose(kLine, {num(x0 + 12 * y * g.cw), num(y0), num(x0 + 12 * y * g.cw),
                           num(y0 + g.rows * g.ch), "#888888"});
  const int below = y0 + g.rows * g.ch;
  for (int m = 0; m < g.columns; ++m)
    svg += text_at(x0 + m * g.cw + g.cw / 2, below + 10, 8, "middle",
                   xml_text(month_name(m % 12).substr(0, 1)));
  for (int y = 0; y < span_years; ++y)
    svg += text_at(x0 + 12 * y * g.cw + 6 * g.cw, below + 24, 9, "middle",
                   xml_text(year_name(span_years - 1 - y)));
  // lengths up the left side: 1 and every third (every sixth beyond 12 rows)
  const int step = g.rows > 12 ? 6 : 3;
  for (int len = 1; len <= g.rows; ++len) {
    if (len != 1 && len % step != 0) continue;
    svg += text_at(x0 - 4, y0 + (g.rows - len) * g.ch + g.ch / 2 + 3, 8, "end", num(len));
  }
  const int mid = y0 + g.rows * g.ch / 2;
  svg += compose(kTextUp, {num(10), num(mid), num(9), num(10), num(mid), xml_text(kMonthsUp)});
}

void draw_legend(std::string& svg, int x, int y, double limit) {
  svg += text_at(x, y - 6, 11, "start", xml_text(kLegendTitle));
  constexpr int kSteps = 20, kStepHeight = 9, kBarWidth = 16;
  for (int k = 0; k < kSteps; ++k) {
    // from +limit at the top to -limit at the bottom, each step its middle r
    const double r = limit * (1.0 - (2.0 * k + 1.0) / kSteps);
    svg += compose(kSwatch, {num(x), num(y + k * kStepHeight), num(kBarWidth), num(kStepHeight),
                             colour_of(r, limit)});
  }
  const int bar = kSteps * kStepHeight;
  svg += compose(kOutline, {"scale", num(x), num(y), num(kBarWidth), num(bar), "#888888", "1"});
  svg += text_at(x + kBarWidth + 4, y + 4, 9, "start", fixed(limit, 1));
  svg += text_at(x + kBarWidth + 4, y + bar / 2 + 3, 9, "start", "0");
  svg += text_at(x + kBarWidth + 4, y + bar + 3, 9, "start", fixed(-limit, 1));
  int ky = y + bar + 22;
  svg += compose(kSwatch, {num(x), num(ky), "12", "12", colour_of(0.0)});
  svg += compose(kDot, {"key", num(x + 6), num(ky + 6), "2"});
  svg += text_at(x + 18, ky + 10, 9, "start", xml_text(kLegendSig));
  ky += 18;
  svg += compose(kOutline, {"key", num(x), num(ky), "12", "12", "#000000", "2"});
  svg += text_at(x + 18, ky + 10, 9, "start", xml_text(kLegendBest));
  ky += 18;
  svg += compose(kSwatch, {num(x), num(ky), "12", "12", kMissingColour});
  svg += text_at(x + 18, ky + 10, 9, "start", xml_text(kLegendMissing));
}

}  // namespace

std::string colour_of(double r, double limit) {
  if (std::isnan(r) || !(limit > 0.0)) return std::string(kMissingColour);
  double t = std::clamp(r / limit, -1.0, 1.0);
  const double at = (t + 1.0) * 2.0;  // 0 .. 4 over the stops
  const int k = std::min(static_cast<int>(at), 3);
  const double f = at - k;
  const Rgb& a = kStops[static_cast<std::size_t>(k)];
  const Rgb& b = kStops[static_cast<std::size_t>(k + 1)];
  auto channel = [f](double u, double v) { return static_cast<int>(std::lround(u + f * (v - u))); };
  char text[8];
  std::snprintf(text, sizeof text, "#%02x%02x%02x", channel(a.r, b.r), channel(a.g, b.g),
                channel(a.b, b.b));
  return text;
}

double colour_limit(const std::vector<ScreenPanel>& panels) {
  double top = 0.0;
  bool any = false;
  for (std::size_t i = 0; i < panels.size() && i < kScreenPanels; ++i)
    for (const Correlation& c : panels[i].results)
      if (!std::isnan(c.r)) {
        top = std::max(top, std::fabs(c.r));
        any = true;
      }
  if (!any) return 1.0;
  // a tenth above any r that is not itself on a tenth (a guard against 0.30000000004)
  const double tenths = std::ceil(top * 10.0 - 1e-9);
  return std::clamp(tenths / 10.0, 0.1, 1.0);
}

std::string screen_svg(const std::vector<ScreenWindow>& windows, int span_years, int max_months,
                       const std::vector<ScreenPanel>& panels, const ScreenPicture& picture) {
  Geometry g;
  g.columns = 12 * span_years;
  g.rows = std::min(max_months, g.columns);
  g.cw = span_years <= 2 ? 12 : (span_years == 3 ? 9 : 7);
  g.ch = g.rows <= 12 ? 12 : 8;
  const std::size_t drawn = std::min(panels.size(), kScreenPanels);
  const int per_row = span_years <= 2 ? 3 : 2;
  const int across = std::max(1, std::min(per_row, static_cast<int>(drawn)));
  const int down = static_cast<int>((drawn + static_cast<std::size_t>(across) - 1) /
                                    static_cast<std::size_t>(across));
  constexpr int kHead = 48, kLegendWidth = 130, kFoot = 26;
  const int legend_x = across * g.width() + 16;
  const int width = legend_x + kLegendWidth;
  const int height = std::max(kHead + down * g.height() + kFoot, kHead + 330);
  const double limit = colour_limit(panels);

  std::string svg = compose(
      kSvgOpen, {num(width), num(height), num(width), num(height), num(width), num(height)});
  svg += text_at(12, 20, 15, "start", xml_text(compose(kTitle, {picture.chronology}), 120));
  svg += text_at(12, 38, 10, "start",
                 xml_text(compose(kSubtitle, {picture.method, picture.interval}), 160));
  for (std::size_t i = 0; i < drawn; ++i) {
    const int col = static_cast<int>(i) % across, row = static_cast<int>(i) / across;
    svg += compose(kGroupOpen, {num(12 + col * g.width()), num(kHead + row * g.height())});
    draw_panel(svg, g, windows, panels[i], limit, span_years);
    svg += kGroupClose;
  }
  draw_legend(svg, legend_x, kHead + 30, limit);
  const std::size_t shown_of = std::max(picture.stations, panels.size());
  if (shown_of > drawn) {
    const std::size_t more = shown_of - drawn;
    svg += text_at(
        12, height - 10, 10, "start",
        xml_text(more == 1 ? std::string(kOneMore) : compose(kMore, {std::to_string(more)})));
  }
  svg += kSvgClose;
  return svg;
}

}  // namespace versel
