// The extent a classic netCDF file (CDF-1, the 64-bit offset CDF-2, CDF-5)
// claims: the byte where its header says its data end. The library reads a
// cut file without a word (zeros past the end), so a reader compares this
// with the file's size. Nothing but the header's sizes and offsets is read;
// the values stay the library's.
//
// The header is walked as the format lays it out: magic and version, the
// number of records, the dimensions, the global attributes, then each
// variable's name, dimension ids, attributes, type, size and begin. The data
// end at the largest of
//   begin + size                                 for a fixed-size variable
//   begin + (records - 1) * record size + size   for a record variable
// with `size` the product of the variable's dimension lengths (the record
// dimension left out) times its type's size, and the record size the sum of
// the record variables' sizes each rounded up to 4 bytes (a single record
// variable: its size as it is). A file that is still being written
// ("streaming" record count) has its records left out.
#pragma once

#include <cstdint>
#include <string>

namespace versel {

struct ClassicExtent {
  std::uint64_t header_end = 0;  // the first byte after the header
  std::uint64_t data_end = 0;    // the first byte after the last byte of data
};

// Whether the file at `path` starts as a classic file does: "CDF" and
// version byte 1, 2 or 5.
bool is_classic_file(const std::string& path);

// Whether the file at `path` starts as a netCDF file does: a classic file,
// or an HDF5 file (netCDF-4), whose signature sits at byte 0, 512, 1024,
// 2048, ... (checked up to 1 MiB). For refusing a netCDF file given to a
// text layout; false when the file cannot be read.
bool is_netcdf_file(const std::string& path);

// Walks the header of the classic file at `path`. False with `stop` at the
// byte where the header stops making sense (cut, an unknown tag or type, a
// dimension id out of range, sizes past 2^63) or `system_error` set (the
// file could not be read; `stop` is then 0).
bool classic_extent(const std::string& path, ClassicExtent& extent, std::uint64_t& stop,
                    std::string& system_error);

// The header walk itself, on the bytes of a file held in memory (`size`
// bytes from `bytes`). As classic_extent.
bool classic_extent_of(const unsigned char* bytes, std::uint64_t size, ClassicExtent& extent,
                       std::uint64_t& stop);

}  // namespace versel
