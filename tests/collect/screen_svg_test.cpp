// The screen's heat map: the colour scale, the file well-formed as XML
// (checked by a small reader of the test's own) whatever the station names,
// one cell per window in the colour of its r, the dots, the best window's
// outline, the legend and the count of stations left out.
#include "collect/screen_svg.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <string>
#include <vector>

#include "collect/screen.h"

namespace versel {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// An element as the reader below saw it.
struct Element {
  std::string name;
  std::map<std::string, std::string> attributes;
  std::string text;  // character data inside it and its children, entities resolved
};

// A reader of the XML that SVG files use: one root element, start and end
// tags that pair up, attributes in double quotes and unique, the five
// entities and numeric references, no "<" or "&" loose in text, UTF-8 text.
// False with the place of the first fault.
bool well_formed(const std::string& s, std::vector<Element>& elements, std::string& fault) {
  std::vector<std::size_t> open;  // indices into elements
  std::size_t i = 0, roots = 0;
  auto is_name = [](char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == ':' || c == '_';
  };
  auto entity = [&](std::size_t& at, std::string& out) {
    const std::size_t end = s.find(';', at);
    if (end == std::string::npos || end - at > 8) return false;
    const std::string e = s.substr(at + 1, end - at - 1);
    static const std::map<std::string, std::string> known = {
        {"amp", "&"}, {"lt", "<"}, {"gt", ">"}, {"quot", "\""}, {"apos", "'"}};
    if (known.count(e)) out += known.at(e);
    else if (e.size() > 1 && e[0] == '#') out += '?';
    else return false;
    at = end + 1;
    return true;
  };
  while (i < s.size()) {
    if (s[i] != '<') {
      if (open.empty() && !std::isspace(static_cast<unsigned char>(s[i]))) {
        fault = "text outside the root at " + std::to_string(i);
        return false;
      }
      if (s[i] == '&') {
        std::string t;
        if (!entity(i, t)) {
          fault = "bad entity at " + std::to_string(i);
          return false;
        }
        for (std::size_t k : open) elements[k].text += t;
        continue;
      }
      if (s[i] == '>') {
        fault = "loose > at " + std::to_string(i);
        return false;
      }
      for (std::size_t k : open) elements[k].text += s[i];
      ++i;
      continue;
    }
    if (s.compare(i, 2, "</") == 0) {
      std::size_t j = i + 2;
      while (j < s.size() && is_name(s[j])) ++j;
      const std::string name = s.substr(i + 2, j - i - 2);
      if (j >= s.size() || s[j] != '>' || open.empty() || elements[open.back()].name != name) {
        fault = "end tag " + name + " does not close the open element at " + std::to_string(i);
        return false;
      }
      open.pop_back();
      i = j + 1;
      continue;
    }
    std::size_t j = i + 1;
    while (j < s.size() && is_name(s[j])) ++j;
    Element e;
    e.name = s.substr(i + 1, j - i - 1);
    if (e.name.empty()) {
      fault = "a tag without a name at " + std::to_string(i);
      return false;
    }
    for (;;) {
      while (j < s.size() && s[j] == ' ') ++j;
      if (j >= s.size()) {
        fault = "unclosed tag " + e.name;
        return false;
      }
      if (s[j] == '>' || s.compare(j, 2, "/>") == 0) break;
      std::size_t k = j;
      while (k < s.size() && is_name(s[k])) ++k;
      const std::string attr = s.substr(j, k - j);
      if (attr.empty() || s.compare(k, 2, "=\"") != 0) {
        fault = "a bad attribute in " + e.name + " at " + std::to_string(j);
        return false;
      }
      std::size_t v = k + 2;
      std::string value;
      while (v < s.size() && s[v] != '"') {
        if (s[v] == '<') {
          fault = "< in an attribute at " + std::to_string(v);
          return false;
        }
        if (s[v] == '&') {
          if (!entity(v, value)) {
            fault = "bad entity in an attribute at " + std::to_string(v);
            return false;
          }
          continue;
        }
        value += s[v++];
      }
      if (v >= s.size() || e.attributes.count(attr)) {
        fault = "attribute " + attr + " unclosed or twice";
        return false;
      }
      e.attributes[attr] = value;
      j = v + 1;
    }
    const bool empty = s[j] == '/';
    if (open.empty() && ++roots > 1) {
      fault = "a second root element";
      return false;
    }
    elements.push_back(e);
    if (!empty) open.push_back(elements.size() - 1);
    i = j + (empty ? 2 : 1);
  }
  if (!open.empty() || roots != 1) {
    fault = "elements left open or no root";
    return false;
  }
  return true;
}

// A UTF-8 check of the whole file.
bool valid_utf8(const std::string& s) {
  for (std::size_t i = 0; i < s.size();) {
    const auto c = static_cast<unsigned char>(s[i]);
    std::size_t len = c < 0x80         ? 1
                      : (c >> 5) == 6  ? 2
                      : (c >> 4) == 14 ? 3
                      : (c >> 3) == 30 ? 4
                                       : 0;
    if (len == 0 || i + len > s.size() || (len == 2 && c < 0xC2)) return false;
    for (std::size_t k = 1; k < len; ++k)
      if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
    if (c < 0x20 && c != '\n') return false;
    i += len;
  }
  return true;
}

std::vector<Element> of_class(const std::vector<Element>& all, const std::string& cls) {
  std::vector<Element> out;
  for (const Element& e : all) {
    auto it = e.attributes.find("class");
    if (it != e.attributes.end() && it->second == cls) out.push_back(e);
  }
  return out;
}

TEST(ScreenSvg, DivergingColours) {
  struct Case {
    double r, limit;
    const char* colour;
  };
  for (const Case& c :
       {Case{0.0, 1.0, "#ffffff"}, Case{-1.0, 1.0, "#2166ac"}, Case{1.0, 1.0, "#b2182b"},
        Case{-0.5, 1.0, "#92c5de"}, Case{0.5, 1.0, "#f4a582"}, Case{0.25, 0.5, "#f4a582"},
        Case{-3.0, 1.0, "#2166ac"}, Case{0.75, 1.0, "#d35f57"}, Case{kNaN, 1.0, "#d9d9d9"}}) {
    EXPECT_EQ(colour_of(c.r, c.limit), c.colour) << c.r;
  }
  // blue below 0, red above, paler towards 0
  for (double r = 0.05; r <= 1.0; r += 0.05) {
    const std::string pos = colour_of(r), neg = colour_of(-r);
    const int red_pos = std::stoi(pos.substr(1, 2), nullptr, 16),
              blue_pos = std::stoi(pos.substr(5, 2), nullptr, 16);
    const int red_neg = std::stoi(neg.substr(1, 2), nullptr, 16),
              blue_neg = std::stoi(neg.substr(5, 2), nullptr, 16);
    EXPECT_GT(red_pos, blue_pos) << r;
    EXPECT_LT(red_neg, blue_neg) << r;
    const std::string paler = colour_of(r - 0.05);
    EXPECT_GE(std::stoi(paler.substr(3, 2), nullptr, 16), std::stoi(pos.substr(3, 2), nullptr, 16))
        << r;
  }
}

TEST(ScreenSvg, ColourLimitFromTheLargestR) {
  ScreenPanel p;
  p.results = {Correlation{30, 0.31, 0, 0, 0}, Correlation{30, -0.44, 0, 0, 0}, Correlation{}};
  EXPECT_DOUBLE_EQ(colour_limit({p}), 0.5);
  p.results = {Correlation{30, 0.3, 0, 0, 0}};
  EXPECT_DOUBLE_EQ(colour_limit({p}), 0.3);
  p.results = {Correlation{30, 0.01, 0, 0, 0}};
  EXPECT_DOUBLE_EQ(colour_limit({p}), 0.1);
  p.results = {Correlation{}};
  EXPECT_DOUBLE_EQ(colour_limit({p}), 1.0);
}

// Panels of made-up results: r rises with the window's end month and
// length, some missing, some intervals away from 0.
std::vector<ScreenPanel> made_up_panels(const std::vector<ScreenWindow>& ws, int count) {
  std::vector<ScreenPanel> panels;
  for (int s = 0; s < count; ++s) {
    ScreenPanel p;
    p.station = "STATION " + std::to_string(s);
    for (const ScreenWindow& w : ws) {
      Correlation c;
      c.n = 100;
      if ((w.first + s) % 17 == 0) {
        p.results.push_back(c);  // missing
        continue;
      }
      c.r = std::sin(0.3 * w.last() + 0.2 * w.length + s) * 0.6;
      c.low = c.r - 0.2;
      c.high = c.r + 0.2;
      c.p = 0.01;
      p.results.push_back(c);
    }
    panels.push_back(p);
  }
  return panels;
}

TEST(ScreenSvg, OneCellPerWindowInTheColourOfItsR) {
  const std::vector<ScreenWindow> ws = screen_windows(2, 12);
  std::vector<ScreenPanel> panels = made_up_panels(ws, 2);
  panels[0].station =
      "Fir <ridge> & \"M\xC3\xBCnchen\" \x01 \xFF\xFE end";  // markup, UTF-8, bad bytes
  ScreenPicture pic{"CAN001 Big Bend & co", "Pearson", "Fisher's z", 2};
  const std::string svg = screen_svg(ws, 2, 12, panels, pic);
  std::vector<Element> all;
  std::string fault;
  ASSERT_TRUE(well_formed(svg, all, fault)) << fault;
  ASSERT_TRUE(valid_utf8(svg));
  EXPECT_EQ(all.front().name, "svg");
  const std::vector<Element> cells = of_class(all, "cell");
  ASSERT_EQ(cells.size(), 2 * ws.size());
  const double limit = colour_limit(panels);
  int dots_expected = 0;
  for (std::size_t p = 0; p < 2; ++p) {
    for (std::size_t i = 0; i < ws.size(); ++i) {
      const Element& cell = cells[p * ws.size() + i];
      const Correlation& c = panels[p].results[i];
      EXPECT_EQ(cell.attributes.at("fill"), colour_of(c.r, limit)) << ws[i].name;
      // across by the last month, up by the length
      EXPECT_EQ(std::stoi(cell.attributes.at("x")), 36 + 12 * ws[i].last());
      EXPECT_EQ(std::stoi(cell.attributes.at("y")), 40 + 12 * (12 - ws[i].length));
      EXPECT_NE(cell.text.find(ws[i].name), std::string::npos);
      dots_expected += !std::isnan(c.r) && (c.low > 0 || c.high < 0);
    }
  }
  EXPECT_EQ(of_class(all, "sig").size(), static_cast<std::size_t>(dots_expected));
  EXPECT_GT(dots_expected, 0);
  // the best window of each panel outlined where its cell is
  const std::vector<Element> best = of_class(all, "best");
  ASSERT_EQ(best.size(), 2u);
  for (std::size_t p = 0; p < 2; ++p) {
    const ScreenWindow& w = ws[static_cast<std::size_t>(best_window(panels[p].results))];
    EXPECT_EQ(std::stoi(best[p].attributes.at("x")), 36 + 12 * w.last());
  }
  // the names as written, markup escaped, bad bytes as "?"
  bool station_seen = false, title_seen = false;
  for (const Element& e : all) {
    station_seen |= e.text == "Fir <ridge> & \"M\xC3\xBCnchen\" ? ?? end";
    title_seen |= e.text.find("CAN001 Big Bend & co") != std::string::npos;
  }
  EXPECT_TRUE(station_seen);
  EXPECT_TRUE(title_seen);
  EXPECT_EQ(svg.find("more station"), std::string::npos);
}

TEST(ScreenSvg, TwelvePanelsAndTheCountOfTheRest) {
  const std::vector<ScreenWindow> ws = screen_windows(3, 18);
  const std::vector<ScreenPanel> panels = made_up_panels(ws, 14);
  ScreenPicture pic{"X", "Spearman", "1000 bootstrap resamples", 40};
  const std::string svg = screen_svg(ws, 3, 18, panels, pic);
  std::vector<Element> all;
  std::string fault;
  ASSERT_TRUE(well_formed(svg, all, fault)) << fault;
  EXPECT_EQ(of_class(all, "cell").size(), kScreenPanels * ws.size());
  EXPECT_EQ(of_class(all, "best").size(), kScreenPanels);
  EXPECT_NE(svg.find("28 more stations in the csv"), std::string::npos);
  ScreenPicture one{"X", "Pearson", "Fisher's z", 13};
  EXPECT_NE(
      screen_svg(ws, 3, 18, std::vector<ScreenPanel>(panels.begin(), panels.begin() + 13), one)
          .find("1 more station in the csv"),
      std::string::npos);
}

TEST(ScreenSvg, PanelsWithoutAnyR) {
  const std::vector<ScreenWindow> ws = screen_windows(1, 6);
  ScreenPanel p{"EMPTY", std::vector<Correlation>(ws.size())};
  const std::string svg = screen_svg(ws, 1, 6, {p}, ScreenPicture{"X", "Pearson", "Fisher's z", 1});
  std::vector<Element> all;
  std::string fault;
  ASSERT_TRUE(well_formed(svg, all, fault)) << fault;
  for (const Element& c : of_class(all, "cell")) EXPECT_EQ(c.attributes.at("fill"), "#d9d9d9");
  EXPECT_TRUE(of_class(all, "best").empty());
  EXPECT_NE(svg.find("no window with enough years in common"), std::string::npos);
}

}  // namespace
}  // namespace versel
