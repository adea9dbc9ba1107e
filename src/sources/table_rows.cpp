// Cutting a table's rows by their columns.
#include "sources/table_rows.h"

#include "records/message_text.h"
#include "sources/layout_messages.h"
#include "sources/table_messages.h"

namespace versel {
namespace {

RowKind bad(std::string& reason, std::string text) {
  reason = std::move(text);
  return RowKind::bad;
}

std::string_view field(const Cells& cells, int column) {
  return cells.at[static_cast<std::size_t>(column)].text;
}

bool all_empty(const Cells& cells) {
  for (const Cell& cell : cells.at)
    if (!cell.text.empty()) return false;
  return true;
}

// The latitude and longitude of a row, when it gives them; false with
// `reason` when it gives one of them only or either is out of range.
bool read_position(const Cells& cells, const TableColumns& c, TableRow& out, std::string& reason) {
  out.has_position = false;
  if (c.latitude == kNoColumn || c.longitude == kNoColumn) return true;
  const std::string_view lat = field(cells, c.latitude);
  const std::string_view lon = field(cells, c.longitude);
  const bool has_lat = !is_missing_text(lat);
  const bool has_lon = !is_missing_text(lon);
  if (!has_lat && !has_lon) return true;
  if (!has_lon) {
    reason = compose(kMsgTableLatitudeAlone, {quoted(lat)});
    return false;
  }
  if (!has_lat) {
    reason = compose(kMsgTableLongitudeAlone, {quoted(lon)});
    return false;
  }
  if (read_table_number(lat, c.separator, out.latitude) != NumberRead::ok ||
      out.latitude < -90.0f || out.latitude > 90.0f) {
    reason = compose(kMsgCoordsNotLatitude, {quoted(lat)});
    return false;
  }
  if (read_table_number(lon, c.separator, out.longitude) != NumberRead::ok ||
      out.longitude < -180.0f || out.longitude > 360.0f) {
    reason = compose(kMsgCoordsNotLongitude, {quoted(lon)});
    return false;
  }
  out.has_position = true;
  return true;
}

bool read_year(std::string_view text, TableRow& out, std::string& reason) {
  bool in_range = true;
  if (!read_table_year(text, out.year, in_range)) {
    reason = compose(kMsgTableYear, {quoted(text)});
    return false;
  }
  if (!in_range) {
    reason = compose(kMsgYearOutOfRange, {text});
    return false;
  }
  return true;
}

}  // namespace

bool is_passed_over(std::string_view line) {
  const std::size_t i = line.find_first_not_of(" \t\r");
  return i == std::string_view::npos || line[i] == '#';
}

RowKind cut_table_row(std::string_view line, const TableColumns& c, const TableSettings& s,
                      Cells& cells, TableRow& out, std::string& reason) {
  if (is_passed_over(line)) return RowKind::nothing;
  split_cells(line, c.separator, cells);
  if (cells.open_quote >= 0)
    return bad(reason, compose(kMsgTableOpenQuote, {std::to_string(cells.open_quote + 1)}));
  if (cells.at.size() < c.needed) {
    if (all_empty(cells)) return RowKind::nothing;
    return bad(reason, compose(kMsgTableFewFields,
                               {std::to_string(cells.at.size()), std::to_string(c.needed)}));
  }
  const int time = c.shape == TableShape::long_by_date ? c.date : c.year;
  if (field(cells, time).empty() && all_empty(cells)) return RowKind::nothing;

  const int key = c.station != kNoColumn ? c.station : c.name;
  out.station = key == kNoColumn ? std::string_view() : field(cells, key);
  if (key != kNoColumn && out.station.empty())
    return bad(reason, compose(kMsgTableNoCode, {quoted(c.titles[static_cast<std::size_t>(key)])}));
  out.name = c.name == kNoColumn ? std::string_view() : field(cells, c.name);
  if (!read_position(cells, c, out, reason)) return RowKind::bad;

  switch (c.shape) {
    case TableShape::wide:
      if (!read_year(field(cells, c.year), out, reason)) return RowKind::bad;
      for (std::size_t m = 0; m < 12; ++m) {
        const std::string_view text = field(cells, c.months[m]);
        switch (read_month_value(text, c.separator, s, out.months[m])) {
          case MonthValue::value:
          case MonthValue::missing: break;
          case MonthValue::not_number:
            return bad(reason, compose(kMsgFreeMonth,
                                       {std::to_string(m + 1), quoted(text), number_text(s.flag)}));
          case MonthValue::out_of_range:
            return bad(reason, compose(kMsgMonthOutOfRange, {std::to_string(m + 1), quoted(text)}));
        }
      }
      return RowKind::row;
    case TableShape::long_by_month: {
      if (!read_year(field(cells, c.year), out, reason)) return RowKind::bad;
      const std::string_view month = field(cells, c.month);
      out.month = month_of_field(month);
      if (out.month < 0) return bad(reason, compose(kMsgTableMonth, {quoted(month)}));
      break;
    }
    case TableShape::long_by_date: {
      const std::string_view date = field(cells, c.date);
      if (!read_table_date(date, out.year, out.month))
        return bad(reason, compose(kMsgTableDate, {quoted(date)}));
      break;
    }
  }
  const std::string_view value = field(cells, c.value);
  switch (read_month_value(value, c.separator, s, out.value)) {
    case MonthValue::value:
    case MonthValue::missing: break;
    case MonthValue::not_number:
      return bad(reason, compose(kMsgTableValue, {quoted(value), number_text(s.flag)}));
    case MonthValue::out_of_range:
      return bad(reason, compose(kMsgTableValueRange, {quoted(value)}));
  }
  return RowKind::row;
}

}  // namespace versel
