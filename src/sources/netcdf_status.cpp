// The open netCDF file and the check of the library's statuses.
#include "sources/netcdf_status.h"

#include <netcdf.h>

#include "records/message_text.h"
#include "sources/netcdf_messages.h"

namespace versel {

NetcdfFile& NetcdfFile::operator=(NetcdfFile&& other) noexcept {
  if (this != &other) {
    close_netcdf(*this);
    id = other.id;
    other.id = -1;
  }
  return *this;
}

NetcdfFile::~NetcdfFile() { close_netcdf(*this); }

int close_netcdf(NetcdfFile& file) {
  if (file.id < 0) return NC_NOERR;
  const int status = nc_close(file.id);
  file.id = -1;
  return status;
}

std::string netcdf_reason(int status) { return nc_strerror(status); }

bool netcdf_ok(int status, std::string_view file, std::string_view what, std::string& error) {
  if (status == NC_NOERR) return true;
  const std::string name = shown_name(file);
  const std::string reason = netcdf_reason(status);
  error = what.empty() ? compose(kMsgNcFileStatus, {name, reason})
                       : compose(kMsgNcStatus, {name, what, reason});
  return false;
}

}  // namespace versel
