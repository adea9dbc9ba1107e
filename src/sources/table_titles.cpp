// Reading a table's row of titles into its columns.
#include "sources/table_titles.h"

#include <algorithm>
#include <initializer_list>

#include "records/message_text.h"
#include "sources/table_fields.h"
#include "sources/table_messages.h"

namespace versel {
namespace {

constexpr std::array<std::string_view, 12> kMonthAbbreviations{
    "jan", "feb", "mar", "apr", "may", "jun", "jul", "aug", "sep", "oct", "nov", "dec"};

bool is_one_of(std::string_view title, std::initializer_list<std::string_view> words) {
  for (std::string_view w : words)
    if (equals_lower(title, w)) return true;
  return false;
}

bool holds_name(std::string_view title) {
  for (std::size_t i = 0; i + 4 <= title.size(); ++i)
    if (equals_lower(title.substr(i, 4), "name")) return true;
  return false;
}

std::string column_text(const TableColumns& c, int column) {
  return compose(kMsgTableColumn, {std::to_string(column + 1),
                                   quoted(c.titles[static_cast<std::size_t>(column)])});
}

// Gives `slot` the column; false with `reason` when the slot has one.
bool assign(const TableColumns& c, int& slot, int column, std::string_view role,
            std::string& reason) {
  if (slot != kNoColumn) {
    reason = compose(kMsgTableTitleTwice, {role, column_text(c, slot), column_text(c, column)});
    return false;
  }
  slot = column;
  return true;
}

// A field of a row of data rather than a title: a number other than a
// month's 1 to 12, or a date.
bool is_data(std::string_view field) {
  float v = 0.0f;
  std::int32_t year = 0;
  int month = 0;
  if (read_number(field, v) == NumberRead::ok && month_of_field(field) < 0) return true;
  return read_table_date(field, year, month);
}

// The titles of `columns` as a message lists them: 'a', 'b' and 'c'.
std::string listed(const TableColumns& c, const std::vector<int>& columns) {
  std::string text;
  for (std::size_t i = 0; i < columns.size(); ++i) {
    if (i > 0) text += i + 1 == columns.size() ? " and " : ", ";
    text += quoted(c.titles[static_cast<std::size_t>(columns[i])]);
  }
  return text;
}

void count_needed(TableColumns& c) {
  int last = std::max({c.station, c.name, c.latitude, c.longitude, c.year, c.month, c.date,
                       c.value});
  if (c.shape == TableShape::wide) last = std::max(last, *std::max_element(c.months.begin(), c.months.end()));
  c.needed = static_cast<std::size_t>(last + 1);
}

}  // namespace

char table_separator(std::string_view title_row) {
  bool tab = false, semicolon = false, comma = false, inside = false;
  for (char ch : title_row) {
    if (ch == '"') inside = !inside;
    else if (inside) continue;
    else if (ch == '\t') tab = true;
    else if (ch == ';') semicolon = true;
    else if (ch == ',') comma = true;
  }
  return tab ? '\t' : semicolon ? ';' : comma ? ',' : 0;
}

bool read_table_titles(std::string_view line, TableColumns& c, std::string& reason) {
  c = TableColumns{};
  c.months.fill(kNoColumn);
  c.separator = table_separator(line);
  Cells cells;
  split_cells(line, c.separator, cells);
  for (const Cell& cell : cells.at) c.titles.emplace_back(cell.text);
  for (const Cell& cell : cells.at) {
    if (is_data(cell.text)) {
      reason = kMsgTableNoTitles;
      return false;
    }
  }
  std::vector<int> others;
  int months_named = 0;
  for (std::size_t i = 0; i < cells.at.size(); ++i) {
    const std::string_view t = cells.at[i].text;
    const int col = static_cast<int>(i);
    bool ok = true;
    if (is_one_of(t, {"station", "id", "code", "site"}))
      ok = assign(c, c.station, col, kMsgTableRoleStation, reason);
    else if (equals_lower(t, "name")) ok = assign(c, c.name, col, kMsgTableRoleName, reason);
    else if (is_one_of(t, {"lat", "latitude"}))
      ok = assign(c, c.latitude, col, kMsgTableRoleLatitude, reason);
    else if (is_one_of(t, {"lon", "long", "longitude"}))
      ok = assign(c, c.longitude, col, kMsgTableRoleLongitude, reason);
    else if (equals_lower(t, "year")) ok = assign(c, c.year, col, kMsgTableRoleYear, reason);
    else if (equals_lower(t, "month")) ok = assign(c, c.month, col, kMsgTableRoleMonth, reason);
    else if (equals_lower(t, "date")) ok = assign(c, c.date, col, kMsgTableRoleDate, reason);
    else if (equals_lower(t, "value")) ok = assign(c, c.value, col, kMsgTableRoleValue, reason);
    else if (const int m = month_of_field(t); m >= 0) {
      const std::string role = compose(kMsgTableRoleMonthTitle, {std::to_string(m + 1)});
      ok = assign(c, c.months[static_cast<std::size_t>(m)], col, role, reason);
      ++months_named;
    } else {
      others.push_back(col);
    }
    if (!ok) return false;
  }
  // a title that holds "name" names the station when no title is name itself
  if (c.name == kNoColumn) {
    auto it = std::find_if(others.begin(), others.end(), [&](int col) {
      return holds_name(c.titles[static_cast<std::size_t>(col)]);
    });
    if (it != others.end()) {
      c.name = *it;
      others.erase(it);
    }
  }

  if (months_named == 12) {
    if (c.year == kNoColumn) {
      reason = kMsgTableNoTime;
      return false;
    }
    c.shape = TableShape::wide;
    c.month = c.date = c.value = kNoColumn;  // passed over
    count_needed(c);
    return true;
  }
  if (c.year != kNoColumn && c.month != kNoColumn) {
    c.shape = TableShape::long_by_month;
    c.date = kNoColumn;
  } else if (c.date != kNoColumn) {
    c.shape = TableShape::long_by_date;
    c.year = c.month = kNoColumn;
  } else if (months_named > 0 && c.year != kNoColumn) {
    std::string missing;
    for (std::size_t m = 0; m < 12; ++m) {
      if (c.months[m] != kNoColumn) continue;
      if (!missing.empty()) missing += ", ";
      missing += kMonthAbbreviations[m];
    }
    reason = compose(kMsgTableSomeMonths, {std::to_string(months_named), missing});
    return false;
  } else {
    reason = c.year == kNoColumn ? kMsgTableNoTime : kMsgTableNoMonth;
    return false;
  }
  // the month titles of a long table are columns like any other
  for (std::size_t m = 0; m < 12; ++m)
    if (c.months[m] != kNoColumn) others.push_back(c.months[m]);
  c.months.fill(kNoColumn);
  std::sort(others.begin(), others.end());
  if (c.value == kNoColumn) {
    if (others.empty()) {
      reason = kMsgTableNoValue;
      return false;
    }
    if (others.size() == 1) c.value = others.front();
    else c.value_choices = others;
  }
  count_needed(c);
  return true;
}

bool choose_value_column(TableColumns& c, const Cells& first_row, std::string& reason) {
  std::vector<int> holding;
  for (int col : c.value_choices) {
    const auto i = static_cast<std::size_t>(col);
    if (i >= first_row.at.size()) continue;
    float v = 0.0f;
    const std::string_view field = first_row.at[i].text;
    if (read_table_number(field, c.separator, v) == NumberRead::ok || is_missing_text(field))
      holding.push_back(col);
  }
  if (holding.size() != 1) {
    reason = holding.empty() ? std::string(kMsgTableNoValue)
                             : compose(kMsgTableManyValues, {listed(c, holding)});
    return false;
  }
  c.value = holding.front();
  c.value_choices.clear();
  count_needed(c);
  return true;
}

}  // namespace versel
