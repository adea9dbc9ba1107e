// A data file read as records through a window of its bytes: memory is the
// window and the longest line, whatever the size of the file. Stepping back
// and rewinding move a file offset; the bytes are read again when needed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace versel {

// Bytes of a data file held at a time.
inline constexpr std::size_t kReadBuffer = std::size_t{1} << 20;

struct InputFile {
  int fd = -1;
  std::unique_ptr<char[]> window;
  std::size_t capacity = 0;  // bytes the window can hold
  std::int64_t start = 0;    // file offset of window[0]
  std::size_t filled = 0;    // bytes of the file in the window
  bool reaches_end = false;  // the file ends at start + filled
  std::int64_t pos = 0;      // file offset of the next record
  std::int64_t records = 0;  // records before pos
  std::int64_t size = 0;     // bytes of the file at its open (for the progress line)
};

// What a read does with the tabs of a record: expands them to stops every 8
// columns, as the columns of a record format need, or keeps them, as the
// layouts need, whose fields tabs separate. Carriage returns are dropped
// either way.
enum class Tabs : std::uint8_t { expanded, kept };

// Drops every carriage return and expands tabs to stops every 8 columns
// (keeps them with Tabs::kept).
void edit_line(std::string_view raw, std::string& out, Tabs tabs = Tabs::expanded);
// The same, appended to `out`: the columns of the tab stops count from the
// start of `out`, so a line edited in pieces is the line edited whole.
void append_edited(std::string_view raw, std::string& out, Tabs tabs = Tabs::expanded);

enum class LineRead : std::uint8_t { line, end, failed };

// Opens `path` for reading with a window of `capacity` bytes; false with
// errno set when it cannot be opened.
bool open_input(InputFile& f, const char* path, std::size_t capacity = kReadBuffer);
void close_input(InputFile& f);

// The next record: the bytes up to the next line feed or the end of the
// file, carriage returns dropped and tabs expanded or kept (edit_line). A line that
// lies whole in the window and needs no editing is a view of the window,
// valid until the next call on `f`; any other is edited into `scratch`.
// `failed` leaves the system's error in errno.
LineRead next_line(InputFile& f, std::string_view& line, std::string& scratch,
                   Tabs tabs = Tabs::expanded);

// Back to the start of the record read last: the end of the data is no
// record of its own, so after the last record it steps back over that one.
// At the start of the file nothing moves. False with errno set on a read
// error.
bool step_back(InputFile& f);

// Back to the first record.
void restart(InputFile& f);

}  // namespace versel
