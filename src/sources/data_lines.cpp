// Lines of the data unit as the layouts take them: with their tabs.
#include "sources/data_lines.h"

#include "records/io.h"

namespace versel {

bool read_data_line(std::string& line) {
  return read_line(file_unit(kDataUnit), line, kOnEnd, Tabs::kept) == IoStatus::ok;
}

void skip_lines(std::int64_t n) {
  std::string line;
  for (std::int64_t i = 0; i < n; ++i)
    if (read_line(file_unit(kDataUnit), line, kOnEnd) == IoStatus::end) return;
}

}  // namespace versel
