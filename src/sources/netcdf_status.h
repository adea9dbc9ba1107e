// What every user of the netCDF library shares: an open file that closes
// itself, and the one check of a status that turns the library's code into
// a message naming the file and what was being done.
#pragma once

#include <string>
#include <string_view>

namespace versel {

// An open netCDF file (id from nc_open or nc_create), closed when the
// struct goes out of scope or is closed explicitly. Movable, not copyable.
struct NetcdfFile {
  int id = -1;

  NetcdfFile() = default;
  NetcdfFile(const NetcdfFile&) = delete;
  NetcdfFile& operator=(const NetcdfFile&) = delete;
  NetcdfFile(NetcdfFile&& other) noexcept : id(other.id) { other.id = -1; }
  NetcdfFile& operator=(NetcdfFile&& other) noexcept;
  ~NetcdfFile();
};

// Closes the file (nothing when none is open). The status of nc_close: 0
// when it succeeded or nothing was open.
int close_netcdf(NetcdfFile& file);

// True for status 0 (NC_NOERR). Else false with `error` set to
// "FILE: WHAT: the library's reason" (WHAT e.g. "variable 'tmp'", "attribute
// 'units' of 'time'"); an empty WHAT gives "FILE: reason".
bool netcdf_ok(int status, std::string_view file, std::string_view what, std::string& error);

// The library's reason for a status.
std::string netcdf_reason(int status);

}  // namespace versel
