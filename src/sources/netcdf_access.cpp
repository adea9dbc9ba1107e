// Reading a netCDF file's names and attributes for the grid reader, every
// status of the library checked and turned into a message naming the file
// and the variable or attribute.
#include <netcdf.h>

#include <cctype>
#include <cstdio>

#include "records/message_text.h"
#include "sources/netcdf_grid_parts.h"
#include "sources/netcdf_messages.h"

namespace versel {

std::string lower_trimmed(std::string_view s) {
  std::string out;
  for (char c : s) out += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  while (!out.empty() && std::isspace(static_cast<unsigned char>(out.back()))) out.pop_back();
  std::size_t i = 0;
  while (i < out.size() && std::isspace(static_cast<unsigned char>(out[i]))) ++i;
  return out.substr(i);
}

std::string number_shown(double v) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.10g", v);
  return buf;
}

std::string variable_name(int ncid, int varid) {
  if (varid == NC_GLOBAL) return "global attributes";
  char name[NC_MAX_NAME + 1] = {};
  if (nc_inq_varname(ncid, varid, name) != NC_NOERR) return "?";
  return name;
}

std::string dimension_name(int ncid, int dimid) {
  char name[NC_MAX_NAME + 1] = {};
  if (nc_inq_dimname(ncid, dimid, name) != NC_NOERR) return "?";
  return name;
}

bool var_fault(Ctx& x, int varid, std::string_view why) {
  x.error = compose(kMsgVariableFault, {shown_name(x.path), quoted(variable_name(x.ncid, varid)), why});
  return false;
}

bool status_of_var(Ctx& x, int status, int varid) {
  return netcdf_ok(status, x.path, compose(kMsgWhatVariable, {quoted(variable_name(x.ncid, varid))}),
                   x.error);
}

bool status_of_att(Ctx& x, int status, int varid, const char* att) {
  return netcdf_ok(status, x.path,
                   compose(kMsgWhatAttribute, {quoted(att), quoted(variable_name(x.ncid, varid))}),
                   x.error);
}

// A text attribute (char or string); false when absent or of another type.
bool text_attribute(int ncid, int varid, const char* name, std::string& out) {
  nc_type type = NC_NAT;
  std::size_t len = 0;
  if (nc_inq_att(ncid, varid, name, &type, &len) != NC_NOERR) return false;
  if (type == NC_CHAR) {
    out.assign(len, '\0');
    if (len > 0 && nc_get_att_text(ncid, varid, name, out.data()) != NC_NOERR) return false;
    while (!out.empty() && out.back() == '\0') out.pop_back();
    return true;
  }
  if (type == NC_STRING && len >= 1) {
    std::vector<char*> strings(len, nullptr);
    if (nc_get_att_string(ncid, varid, name, strings.data()) != NC_NOERR) return false;
    out = strings[0] ? strings[0] : "";
    nc_free_string(len, strings.data());
    return true;
  }
  return false;
}

// A numeric attribute's values as doubles. `present` false when the
// variable has no such attribute; false (with the error) when it holds text.
bool number_attribute(Ctx& x, int varid, const char* name, std::vector<double>& values, bool& present) {
  values.clear();
  nc_type type = NC_NAT;
  std::size_t len = 0;
  present = nc_inq_att(x.ncid, varid, name, &type, &len) == NC_NOERR;
  if (!present) return true;
  if (type == NC_CHAR || type == NC_STRING || type > NC_STRING || len == 0) {
    return var_fault(x, varid, compose(kMsgBadAttribute, {quoted(name)}));
  }
  values.resize(len);
  return status_of_att(x, nc_get_att_double(x.ncid, varid, name, values.data()), varid, name);
}

bool numeric_type(int t) {
  switch (t) {
    case NC_BYTE: case NC_UBYTE: case NC_SHORT: case NC_USHORT: case NC_INT: case NC_UINT:
    case NC_INT64: case NC_UINT64: case NC_FLOAT: case NC_DOUBLE:
      return true;
    default:
      return false;
  }
}

bool read_doubles(Ctx& x, int varid, std::size_t count, std::vector<double>& out) {
  nc_type type = NC_NAT;
  if (!status_of_var(x, nc_inq_vartype(x.ncid, varid, &type), varid)) return false;
  if (!numeric_type(type)) return var_fault(x, varid, compose(kMsgNotNumeric, {quoted(variable_name(x.ncid, varid))}));
  out.assign(count, 0.0);
  if (count == 0) return true;
  return status_of_var(x, nc_get_var_double(x.ncid, varid, out.data()), varid);
}

}  // namespace versel
