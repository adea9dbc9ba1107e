// Reading a table whole into its stations: the lines of a text or of a file
// read in pieces, the rows gathered by station into their years, and the
// stations handed out.
#include "sources/table_layout.h"

#include <fcntl.h>
#include <sys/sysinfo.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <exception>
#include <unordered_map>

#include "capacities.h"
#include "records/message_text.h"
#include "sources/coordinates.h"
#include "sources/table_messages.h"
#include "sources/table_rows.h"

namespace versel {
namespace {

constexpr std::size_t kPiece = std::size_t{1} << 20;  // bytes read from a file at a time
constexpr std::uint16_t kWholeYear = 0xFFF;
constexpr double kBytesPerYear = 12.0 * sizeof(float) + sizeof(std::uint16_t);

// ---- lines ----------------------------------------------------------------

// A line as the rows take it: without its CR, the first without a byte
// order mark.
std::string_view line_of(std::string_view raw, std::int64_t number) {
  if (!raw.empty() && raw.back() == '\r') raw.remove_suffix(1);
  return number == 1 ? without_bom(raw) : raw;
}

// Calls on_line(number, line) for every line of `text` until it returns
// false; false then.
template <class OnLine>
bool walk_text(std::string_view text, OnLine&& on_line) {
  std::int64_t number = 0;
  std::size_t from = 0;
  while (from < text.size()) {
    std::size_t end = text.find('\n', from);
    if (end == std::string_view::npos) end = text.size();
    ++number;
    if (!on_line(number, line_of(text.substr(from, end - from), number))) return false;
    from = end + 1;
  }
  return true;
}

enum class Walk : std::uint8_t { done, stopped, failed };

// walk_text for the file at `path`, read in pieces; `failed` with the
// system's error number when it cannot be opened or read.
template <class OnLine>
Walk walk_file(const std::string& path, OnLine&& on_line, int& error) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    error = errno;
    return Walk::failed;
  }
  std::vector<char> buffer(kPiece);
  std::size_t begin = 0, end = 0;  // bytes read and not yet walked
  std::int64_t number = 0;
  Walk result = Walk::done;
  for (;;) {
    if (begin > 0) {
      std::memmove(buffer.data(), buffer.data() + begin, end - begin);
      end -= begin;
      begin = 0;
    }
    if (end == buffer.size()) buffer.resize(buffer.size() * 2);  // a line longer than a piece
    const ssize_t got = ::read(fd, buffer.data() + end, buffer.size() - end);
    if (got < 0) {
      if (errno == EINTR) continue;
      error = errno;
      result = Walk::failed;
      break;
    }
    if (got == 0) {  // the last line may have no line end
      if (end > begin) {
        ++number;
        if (!on_line(number, line_of(std::string_view(buffer.data() + begin, end - begin), number)))
          result = Walk::stopped;
      }
      break;
    }
    end += static_cast<std::size_t>(got);
    bool go_on = true;
    while (go_on) {
      const char* at = buffer.data() + begin;
      const void* lf = std::memchr(at, '\n', end - begin);
      if (!lf) break;
      const std::size_t length = static_cast<std::size_t>(static_cast<const char*>(lf) - at);
      ++number;
      go_on = on_line(number, line_of(std::string_view(at, length), number));
      begin += length + 1;
    }
    if (!go_on) {
      result = Walk::stopped;
      break;
    }
  }
  ::close(fd);
  return result;
}

// Where the lines come from: a text, or a file by its path.
struct Source {
  std::string_view text;
  const std::string* path = nullptr;
};

// walk_text or walk_file; a failure to read shows in `error`.
template <class OnLine>
Walk walk(const Source& source, OnLine&& on_line, int& error) {
  if (source.path) return walk_file(*source.path, on_line, error);
  return walk_text(source.text, on_line) ? Walk::done : Walk::stopped;
}

// ---- stations -------------------------------------------------------------

// Bytes of RAM and swap together: no station's months may need more.
double memory_limit() {
  struct sysinfo info {};
  if (sysinfo(&info) != 0) return 1e18;
  return (static_cast<double>(info.totalram) + static_cast<double>(info.totalswap)) *
         static_cast<double>(info.mem_unit);
}

// A float as messages show it: the shortest text that reads back as it.
std::string float_text(float v) {
  char text[32];
  auto [end, ec] = std::to_chars(text, text + sizeof text, v);
  return ec == std::errc() ? std::string(text, end) : number_text(v);
}

// The reading of one table, from line to line.
struct Reading {
  Reading(const Source& src, const TableSettings& s, Table& t) : source(src), settings(s), table(t) {}

  const Source& source;
  const TableSettings& settings;
  Table& table;
  double limit = memory_limit();
  std::unordered_map<std::string, std::uint32_t, CodeHash, std::equal_to<>> index;
  std::size_t last = 0;  // the station of the row before (when there are stations)
  // by station: the station whose row followed its row last time (a table
  // of stations interleaved month by month repeats the order)
  std::vector<std::uint32_t> after;
  std::int64_t titles_line = 0;
  Cells cells;
  TableRow row;
  std::string reason;
  LayoutFault fault;
};

// The station as messages name it.
std::string station_text(const Table& t, const TableStation& st) {
  const bool keyed = t.columns.station != kNoColumn || t.columns.name != kNoColumn;
  return keyed ? compose(kMsgTableStation, {quoted(st.code)}) : std::string(kMsgTableWhole);
}

bool fault_at(Reading& r, std::int64_t number, std::string_view line, std::string reason) {
  r.fault.line = number;
  r.fault.reason = std::move(reason);
  r.fault.text.assign(line);
  return false;
}

// The station of a row's code: the one of the row before, the one that
// followed it last time, one met before, or a new one.
TableStation& station_of(Reading& r, std::string_view code, std::int64_t number) {
  std::vector<TableStation>& all = r.table.stations;
  if (!all.empty()) {
    if (all[r.last].code == code) return all[r.last];
    const std::uint32_t next = r.after[r.last];
    if (next < all.size() && all[next].code == code) {
      r.last = next;
      return all[next];
    }
  }
  std::uint32_t found = 0;
  auto it = r.index.find(code);
  if (it != r.index.end()) {
    found = it->second;
  } else {
    found = static_cast<std::uint32_t>(all.size());
    r.index.emplace(std::string(code), found);
    TableStation& st = all.emplace_back();
    st.code.assign(code);
    st.first_line = number;
    r.after.push_back(UINT32_MAX);
  }
  if (all.size() > 1) r.after[r.last] = found;
  r.last = found;
  return all[found];
}

// Makes room in the station's months for `year`: the years from its first
// slot to `year`, or from `year` to its last slot, and as many again on the
// side that grows (so that rows in any order take linear time), all
// holding the flag. False with `reason` when the years from the first to
// the last would need more memory than the machine holds.
bool cover_year(Reading& r, TableStation& st, std::int32_t year) {
  const auto slots = static_cast<std::int64_t>(st.given.size());
  if (slots > 0 && year >= st.base_year && year < st.base_year + slots) return true;
  std::int64_t lo = year, hi = year;
  if (slots > 0) {
    lo = std::min<std::int64_t>(st.base_year, year);
    hi = std::max<std::int64_t>(st.base_year + slots - 1, year);
  }
  std::int64_t room_lo = lo, room_hi = hi;
  if (slots > 0) {
    const std::int64_t grown = std::max(2 * slots, hi - lo + 1);
    if (year < st.base_year) room_lo = std::max<std::int64_t>(hi - grown + 1, -kMaxYearMagnitude);
    else room_hi = std::min<std::int64_t>(lo + grown - 1, kMaxYearMagnitude);
  }
  if (static_cast<double>(room_hi - room_lo + 1) * kBytesPerYear > r.limit) {
    room_lo = lo;
    room_hi = hi;
  }
  // the years of the station's rows, not the slots, are what it must hold
  const std::int64_t first = std::min<std::int64_t>(slots > 0 ? st.first_year : year, year);
  const std::int64_t last = std::max<std::int64_t>(slots > 0 ? st.last_year : year, year);
  const double bytes = static_cast<double>(room_hi - room_lo + 1) * kBytesPerYear;
  auto too_much = [&] {
    char shown[32];
    std::snprintf(shown, sizeof shown, "%.0f", bytes);
    r.reason = compose(kMsgTableSpan, {station_text(r.table, st), std::to_string(first),
                                       std::to_string(last), shown});
    return false;
  };
  if (bytes > r.limit) return too_much();
  try {
    const auto years = static_cast<std::size_t>(room_hi - room_lo + 1);
    std::vector<float> months(12 * years, r.table.flag);
    std::vector<std::uint16_t> given(years, 0);
    const auto shift = static_cast<std::size_t>(slots > 0 ? st.base_year - room_lo : 0);
    std::copy(st.months.begin(), st.months.end(), months.begin() + 12 * shift);
    std::copy(st.given.begin(), st.given.end(), given.begin() + shift);
    st.months.swap(months);
    st.given.swap(given);
    st.base_year = static_cast<std::int32_t>(room_lo);
  } catch (const std::exception&) {  // bad_alloc, or beyond what a vector holds
    return too_much();
  }
  return true;
}

// The line of the first row of `code` for `year` (and `month` of a long
// table) before line `before`; 0 when none is found (the file changed).
std::int64_t first_row_line(Reading& r, std::string_view code, std::int32_t year, int month,
                            std::int64_t before) {
  const TableColumns& c = r.table.columns;
  const bool keyed = c.station != kNoColumn || c.name != kNoColumn;
  Cells cells;
  TableRow row;
  std::string reason;
  std::int64_t found = 0;
  int error = 0;
  walk(r.source,
       [&](std::int64_t number, std::string_view line) {
         if (number >= before) return false;
         if (number <= r.titles_line ||
             cut_table_row(line, c, r.settings, cells, row, reason) != RowKind::row)
           return true;
         if ((keyed && row.station != code) || row.year != year) return true;
         if (c.shape != TableShape::wide && row.month != month) return true;
         found = number;
         return false;
       },
       error);
  return found;
}

// The row of line `number` into its station; false with the fault when it
// contradicts an earlier row of the station.
bool add_row(Reading& r, std::int64_t number, std::string_view line) {
  const TableColumns& c = r.table.columns;
  const TableRow& row = r.row;
  TableStation& st = station_of(r, row.station, number);
  if (!row.name.empty()) {
    if (st.name.empty()) {
      st.name.assign(row.name);
      st.name_line = number;
    } else if (st.name != row.name) {
      return fault_at(r, number, line,
                      compose(kMsgTableOtherName, {station_text(r.table, st), quoted(row.name),
                                                   quoted(st.name), std::to_string(st.name_line)}));
    }
  }
  if (row.has_position) {
    if (!st.has_coordinates) {
      st.has_coordinates = true;
      st.latitude = row.latitude;
      st.longitude = row.longitude;
      st.coordinates_line = number;
    } else if (st.latitude != row.latitude || st.longitude != row.longitude) {
      return fault_at(r, number, line,
                      compose(kMsgTableOtherPlace,
                              {float_text(row.latitude), float_text(row.longitude),
                               station_text(r.table, st), float_text(st.latitude),
                               float_text(st.longitude), std::to_string(st.coordinates_line)}));
    }
  }
  const bool first_row = st.given.empty();
  if (!cover_year(r, st, row.year)) return fault_at(r, number, line, std::move(r.reason));
  const auto slot = static_cast<std::size_t>(row.year - st.base_year);
  std::uint16_t& given = st.given[slot];
  float* months = st.months.data() + 12 * slot;
  if (c.shape == TableShape::wide) {
    if (given != 0) {
      const std::int64_t other = first_row_line(r, st.code, row.year, 0, number);
      return fault_at(r, number, line,
                      compose(kMsgTableTwiceYear, {std::to_string(row.year),
                                                   station_text(r.table, st),
                                                   std::to_string(other)}));
    }
    given = kWholeYear;
    std::copy(row.months.begin(), row.months.end(), months);
  } else {
    const auto bit = static_cast<std::uint16_t>(1u << row.month);
    if (given & bit) {
      const std::int64_t other = first_row_line(r, st.code, row.year, row.month, number);
      return fault_at(r, number, line,
                      compose(kMsgTableTwiceMonth, {month_text(row.year, row.month),
                                                    station_text(r.table, st),
                                                    std::to_string(other)}));
    }
    given = static_cast<std::uint16_t>(given | bit);
    months[row.month] = row.value;
  }
  if (first_row) {
    st.first_year = st.last_year = row.year;
  } else {
    st.first_year = std::min(st.first_year, row.year);
    st.last_year = std::max(st.last_year, row.year);
  }
  return true;
}

// One line of the table: the titles, a row, or nothing.
bool take_line(Reading& r, std::int64_t number, std::string_view line) {
  TableColumns& c = r.table.columns;
  if (r.titles_line == 0) {
    if (is_passed_over(line)) return true;
    if (!read_table_titles(line, c, r.reason)) return fault_at(r, number, line, std::move(r.reason));
    r.titles_line = number;
    return true;
  }
  if (value_column_open(c) && !is_passed_over(line)) {
    // the first row decides; a row of empty fields is none
    split_cells(line, c.separator, r.cells);
    const bool empty = std::all_of(r.cells.at.begin(), r.cells.at.end(),
                                   [](const Cell& cell) { return cell.text.empty(); });
    if (r.cells.open_quote < 0 && !empty && !choose_value_column(c, r.cells, r.reason))
      return fault_at(r, number, line, std::move(r.reason));
  }
  switch (cut_table_row(line, c, r.settings, r.cells, r.row, r.reason)) {
    case RowKind::nothing: return true;
    case RowKind::bad: return fault_at(r, number, line, std::move(r.reason));
    case RowKind::row: break;
  }
  try {
    return add_row(r, number, line);
  } catch (const std::bad_alloc&) {  // a station's code, name or entry in the index
    return fault_at(r, number, line, std::string(kMsgTableMemory));
  }
}

void start(Table& out, const TableSettings& s) {
  out = Table{};
  out.flag = s.flag;
  out.file_name = s.file_name;
}

}  // namespace

bool read_table(std::string_view text, const TableSettings& s, Table& out, LayoutFault& fault) {
  start(out, s);
  const Source source{text, nullptr};
  Reading r(source, s, out);
  if (walk_text(text, [&](std::int64_t n, std::string_view line) { return take_line(r, n, line); }))
    return true;
  fault = std::move(r.fault);
  return false;
}

bool read_table_file(const std::string& path, const TableSettings& s, Table& out,
                     LayoutFault& fault) {
  start(out, s);
  if (out.file_name.empty()) {
    const std::size_t slash = path.find_last_of('/');
    out.file_name = slash == std::string::npos ? path : path.substr(slash + 1);
  }
  const Source source{{}, &path};
  Reading r(source, s, out);
  int error = 0;
  switch (walk_file(path, [&](std::int64_t n, std::string_view line) { return take_line(r, n, line); },
                    error)) {
    case Walk::done: return true;
    case Walk::stopped: fault = std::move(r.fault); return false;
    case Walk::failed: break;
  }
  fault = LayoutFault{0, compose(kMsgTableOpen, {std::strerror(error)}), {}};
  return false;
}

const std::string& table_station_name(const Table& t, const TableStation& st) {
  return !st.name.empty() ? st.name : !st.code.empty() ? st.code : t.file_name;
}

bool next_table_station(Table& t, StationData& d) {
  if (t.next >= t.stations.size()) return false;
  const TableStation& st = t.stations[t.next++];
  d.has_header = true;
  d.header = table_station_name(t, st);
  std::replace(d.header.begin(), d.header.end(), '\t', ' ');
  d.name = d.header;
  d.first_year = st.first_year;
  const auto from = static_cast<std::ptrdiff_t>(12 * static_cast<std::int64_t>(st.first_year - st.base_year));
  const auto to = static_cast<std::ptrdiff_t>(12 * (static_cast<std::int64_t>(st.last_year) - st.base_year + 1));
  d.months.assign(st.months.begin() + from, st.months.begin() + to);
  d.has_coordinates = st.has_coordinates;
  d.RLAT = st.has_coordinates ? st.latitude : t.flag;
  d.RLON = st.has_coordinates ? st.longitude : t.flag;
  return true;
}

void rewind_table(Table& t) { t.next = 0; }

void table_year_spans(const Table& t, std::vector<std::int32_t>& first,
                      std::vector<std::int32_t>& last) {
  for (const TableStation& st : t.stations) {
    first.push_back(st.first_year);
    last.push_back(st.last_year);
  }
}

}  // namespace versel
