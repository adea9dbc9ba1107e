// The lines of the data file as the layouts take them: from the data unit
// (kDataUnit), with their tabs, which separate the fields of the free layout.
// The record formats read lines with their tabs expanded to blanks;
// read_data_line gives the line with its tabs as the file holds them.
#pragma once

#include <cstdint>
#include <string>

namespace versel {

// The next line of the data unit, its line end and carriage returns dropped,
// tabs kept. False at the end of the file. record_number(kDataUnit) is its
// line number, and backspace(kDataUnit) steps back over it, as after
// read_line.
bool read_data_line(std::string& line);

// --skip N: the next `n` lines of the data unit are read and passed over (all
// of them when the file is shorter). Called right after the open, and after
// every rewind that must come back to the same start.
void skip_lines(std::int64_t n);

}  // namespace versel
