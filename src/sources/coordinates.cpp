// Reading the coordinates files: the inventory's fixed columns, a table's
// rows and titles, and the lookup by code.
#include "sources/coordinates.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include "records/message_text.h"
#include "sources/fields.h"
#include "sources/layout_messages.h"

namespace versel {
namespace {

bool fail_at(std::int64_t line, std::string_view message, std::string& error) {
  error = compose(kMsgLineFault, {std::to_string(line), message});
  return false;
}

// Latitude and longitude as the files write them; false with the message.
bool read_position(std::string_view lat, std::string_view lon, Place& p, std::string& message) {
  if (read_number(lat, p.latitude) != NumberRead::ok || p.latitude < -90.0f || p.latitude > 90.0f) {
    message = compose(kMsgCoordsNotLatitude, {quoted(lat)});
    return false;
  }
  if (read_number(lon, p.longitude) != NumberRead::ok || p.longitude < -180.0f ||
      p.longitude > 360.0f) {
    message = compose(kMsgCoordsNotLongitude, {quoted(lon)});
    return false;
  }
  return true;
}

// Adds a place under its code. A code listed twice is a fault when the
// coordinates differ: which of the two is right cannot be told.
bool add_place(CoordinateTable& t, std::string_view code, Place p, std::string& error) {
  std::string_view key = place_key(code);
  if (key.empty()) return fail_at(p.line, kMsgCoordsNoCode, error);
  auto it = t.places.find(key);
  if (it == t.places.end()) {
    t.places.emplace(std::string(key), std::move(p));
    return true;
  }
  const Place& first = it->second;
  if (first.latitude != p.latitude || first.longitude != p.longitude)
    return fail_at(p.line, compose(kMsgCoordsTwice, {quoted(code), std::to_string(first.line)}),
                   error);
  return true;
}

// The fields of a table row, split on `separator` (0: runs of blanks and
// tabs) by the rules of split_cells: trimmed, out of their double quotes, a
// separator inside quotes belonging to the field and a doubled quote being
// one.
void split_row(std::string_view line, char separator, Cells& cells,
               std::vector<std::string_view>& fields) {
  split_cells(line, separator, cells);
  fields.clear();
  for (const Cell& cell : cells.at) fields.push_back(cell.text);
}

// The separator of a table: the first of tab, semicolon and comma that its
// first row holds; 0 (blanks) when it holds none.
char separator_of(std::string_view first_row) {
  for (char c : {'\t', ';', ','})
    if (first_row.find(c) != std::string_view::npos) return c;
  return 0;
}

bool is_number(std::string_view field) {
  float v = 0.0f;
  return read_number(field, v) == NumberRead::ok;
}

bool holds_name(std::string_view title) {
  std::string lower(title);
  for (char& c : lower)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return lower.find("name") != std::string::npos;
}

// Where a table keeps each thing; name -1 when it has none.
struct Columns {
  int code = 0;
  int lat = 1;
  int lon = 2;
  int name = 3;
  bool titled = false;
  int count = 0;  // titles of a titled table
};

// The columns a first row names; false with the message when it names
// lat or latitude but not the rest, or when it is neither titles nor data.
bool columns_of(const std::vector<std::string_view>& row, Columns& c, std::string& message) {
  c = Columns{};
  c.lat = c.lon = c.name = c.code = -1;
  for (std::size_t i = 0; i < row.size(); ++i) {
    int col = static_cast<int>(i);
    std::string_view t = trim_blanks(row[i]);
    if (c.lat < 0 && (equals_lower(t, "lat") || equals_lower(t, "latitude"))) c.lat = col;
    else if (c.lon < 0 && (equals_lower(t, "lon") || equals_lower(t, "long") ||
                           equals_lower(t, "longitude")))
      c.lon = col;
    else if (c.name < 0 && holds_name(t)) c.name = col;
    else if (c.code < 0) c.code = col;
  }
  if (c.lat >= 0) {
    c.titled = true;
    c.count = static_cast<int>(row.size());
    if (c.lon < 0) message = kMsgCoordsNoLongitude;
    else if (c.code < 0) message = kMsgCoordsNoCodeColumn;
    return message.empty();
  }
  c = Columns{};
  if (row.size() >= 3 && is_number(row[1]) && is_number(row[2])) return true;
  message = kMsgCoordsFirstRow;
  return false;
}

// The rest of the line from an unquoted field (a view into the line) on.
std::string_view rest_of_line(std::string_view line, std::string_view field) {
  std::size_t at = static_cast<std::size_t>(field.data() - line.data());
  std::string_view rest = line.substr(at);
  return rest.substr(0, rest.find_last_not_of(" \t") + 1);
}

// A field with its decimal comma made a point (tables separated by semicolons).
std::string_view with_point(std::string_view field, char separator, std::string& scratch) {
  if (separator != ';' || field.find(',') == std::string_view::npos) return field;
  scratch.assign(field);
  for (char& c : scratch)
    if (c == ',') c = '.';
  return scratch;
}

}  // namespace

std::string_view place_key(std::string_view code) {
  code = unquoted(trim_blanks(code));
  std::size_t zeros = code.find_first_not_of('0');
  if (zeros == std::string_view::npos) return code.empty() ? code : code.substr(code.size() - 1);
  return code.substr(zeros);
}

const Place* find_place(const CoordinateTable& t, std::string_view code) {
  auto it = t.places.find(place_key(code));
  return it == t.places.end() ? nullptr : &it->second;
}

bool read_inventory(std::string_view text, CoordinateTable& t, std::string& error) {
  LineWalk walk{text};
  std::string_view line;
  std::string message;
  while (walk.next(line)) {
    if (passed_over(line)) continue;
    if (line.size() < 30)
      return fail_at(walk.number, compose(kMsgCoordsInventoryShort, {std::to_string(line.size())}),
                     error);
    Place p;
    p.line = walk.number;
    if (!read_position(trim_blanks(line.substr(12, 8)), trim_blanks(line.substr(21, 9)), p, message))
      return fail_at(walk.number, message, error);
    if (line.size() > 38) p.name = trim_blanks(line.substr(38, 30));
    if (!add_place(t, line.substr(0, 11), std::move(p), error)) return false;
  }
  return true;
}

bool read_coordinate_table(std::string_view text, CoordinateTable& t, std::string& error) {
  LineWalk walk{text};
  std::string_view line;
  Cells cells;
  std::vector<std::string_view> row;
  std::string message, lat_text, lon_text;
  Columns c;
  char separator = 0;
  bool first = true;
  while (walk.next(line)) {
    if (passed_over(line)) continue;
    if (first) {
      separator = separator_of(line);
      split_row(line, separator, cells, row);
      if (!columns_of(row, c, message)) return fail_at(walk.number, message, error);
      first = false;
      if (c.titled) continue;
    } else {
      split_row(line, separator, cells, row);
    }
    const int needed = std::max({c.code, c.lat, c.lon}) + 1;
    if (static_cast<int>(row.size()) < needed)
      return fail_at(walk.number, compose(kMsgCoordsFewFields, {std::to_string(row.size()),
                                                                std::to_string(needed)}),
                     error);
    Place p;
    p.line = walk.number;
    if (!read_position(with_point(row[static_cast<std::size_t>(c.lat)], separator, lat_text),
                       with_point(row[static_cast<std::size_t>(c.lon)], separator, lon_text), p,
                       message))
      return fail_at(walk.number, message, error);
    if (c.name >= 0 && static_cast<int>(row.size()) > c.name) {
      std::string_view name = row[static_cast<std::size_t>(c.name)];
      // a name of several words in a table separated by blanks: the rest of
      // the line, when the name is the last column and not in quotes
      if (separator == 0 && (!c.titled || c.name == c.count - 1) &&
          !cells.at[static_cast<std::size_t>(c.name)].quoted)
        name = rest_of_line(line, name);
      p.name = name;
    }
    if (!add_place(t, row[static_cast<std::size_t>(c.code)], std::move(p), error)) return false;
  }
  return true;
}

bool load_coordinates(const std::string& path, CoordinateTable& t, std::string& error) {
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec)) {
    error = compose(kMsgCoordsOpen, {std::strerror(EISDIR)});
    return false;
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = compose(kMsgCoordsOpen, {std::strerror(errno)});
    return false;
  }
  std::ostringstream text;
  text << in.rdbuf();
  if (in.bad()) {
    error = compose(kMsgCoordsOpen, {std::strerror(errno)});
    return false;
  }
  const std::string s = text.str();
  const bool inventory = path.size() >= 4 && equals_lower(std::string_view(path).substr(path.size() - 4), ".inv");
  return inventory ? read_inventory(s, t, error) : read_coordinate_table(s, t, error);
}

}  // namespace versel
