// The header walk of classic netCDF files, for the extent their data claim.
#include "sources/netcdf_extent.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

namespace versel {
namespace {

constexpr std::uint32_t kTagDimension = 0x0A;
constexpr std::uint32_t kTagVariable = 0x0B;
constexpr std::uint32_t kTagAttribute = 0x0C;
constexpr std::uint64_t kLimit = std::uint64_t{1} << 62;   // sizes beyond this are corrupt
constexpr std::uint64_t kFirstRead = 1 << 16;               // bytes of the header read first
constexpr std::uint64_t kMostHeader = std::uint64_t{64} << 20;  // a header longer is not read

struct Walk {
  const unsigned char* bytes;
  std::uint64_t size;
  std::uint64_t pos = 0;
  int version = 1;  // 1 classic, 2 64-bit offset, 5 64-bit data
  bool ran_out = false;

  bool need(std::uint64_t n) {
    if (n > size || pos > size - n) {
      ran_out = true;
      return false;
    }
    return true;
  }
  bool u32(std::uint32_t& v) {
    if (!need(4)) return false;
    v = (std::uint32_t{bytes[pos]} << 24) | (std::uint32_t{bytes[pos + 1]} << 16) |
        (std::uint32_t{bytes[pos + 2]} << 8) | std::uint32_t{bytes[pos + 3]};
    pos += 4;
    return true;
  }
  bool u64(std::uint64_t& v) {
    std::uint32_t hi = 0;
    std::uint32_t lo = 0;
    if (!u32(hi) || !u32(lo)) return false;
    v = (std::uint64_t{hi} << 32) | lo;
    return true;
  }
  // a count: 32 bits, 64 in CDF-5
  bool count(std::uint64_t& v) {
    if (version == 5) return u64(v) && v < kLimit;
    std::uint32_t w = 0;
    if (!u32(w)) return false;
    v = w;
    return true;
  }
  bool skip(std::uint64_t n) {
    if (!need(n)) return false;
    pos += n;
    return true;
  }
  bool name() {
    std::uint64_t n = 0;
    return count(n) && n < kLimit && skip((n + 3) / 4 * 4);
  }
};

// The size of one value of a netCDF type, 0 for none.
std::uint64_t type_size(std::uint32_t type, int version) {
  switch (type) {
    case 1: case 2: return 1;       // byte, char
    case 3: return 2;               // short
    case 4: case 5: return 4;       // int, float
    case 6: return 8;               // double
    default: break;
  }
  if (version != 5) return 0;
  switch (type) {
    case 7: return 1;               // ubyte
    case 8: return 2;               // ushort
    case 9: return 4;               // uint
    case 10: case 11: return 8;     // int64, uint64
    default: return 0;
  }
}

bool multiply(std::uint64_t a, std::uint64_t b, std::uint64_t& out) {
  if (a != 0 && b > kLimit / a) return false;
  out = a * b;
  return true;
}

bool attributes(Walk& w) {
  std::uint32_t tag = 0;
  std::uint64_t n = 0;
  if (!w.u32(tag) || !w.count(n)) return false;
  if (tag == 0 && n == 0) return true;
  if (tag != kTagAttribute) return false;
  for (std::uint64_t i = 0; i < n; ++i) {
    std::uint32_t type = 0;
    std::uint64_t values = 0;
    std::uint64_t bytes = 0;
    if (!w.name() || !w.u32(type) || !w.count(values)) return false;
    const std::uint64_t size = type_size(type, w.version);
    if (size == 0 || !multiply(values, size, bytes) || !w.skip((bytes + 3) / 4 * 4)) return false;
  }
  return true;
}

struct Variable {
  std::uint64_t begin = 0;
  std::uint64_t size = 0;  // one record's, for a record variable
  bool record = false;
};

bool walk(Walk& w, ClassicExtent& extent) {
  if (!w.need(4) || std::memcmp(w.bytes, "CDF", 3) != 0) return false;
  w.version = w.bytes[3];
  if (w.version != 1 && w.version != 2 && w.version != 5) return false;
  w.pos = 4;
  std::uint64_t records = 0;
  bool streaming = false;
  if (w.version == 5) {
    if (!w.u64(records)) return false;
    streaming = records == ~std::uint64_t{0};
  } else {
    std::uint32_t r = 0;
    if (!w.u32(r)) return false;
    streaming = r == 0xFFFFFFFFu;
    records = r;
  }
  if (streaming) records = 0;
  if (records >= kLimit) return false;

  // dimensions: lengths, 0 for the record dimension
  std::vector<std::uint64_t> dims;
  std::uint32_t tag = 0;
  std::uint64_t n = 0;
  if (!w.u32(tag) || !w.count(n)) return false;
  if (!(tag == 0 && n == 0)) {
    if (tag != kTagDimension) return false;
    for (std::uint64_t i = 0; i < n; ++i) {
      std::uint64_t length = 0;
      if (!w.name() || !w.count(length)) return false;
      dims.push_back(length);
    }
  }
  if (!attributes(w)) return false;

  std::vector<Variable> vars;
  if (!w.u32(tag) || !w.count(n)) return false;
  if (!(tag == 0 && n == 0)) {
    if (tag != kTagVariable) return false;
    for (std::uint64_t i = 0; i < n; ++i) {
      Variable v;
      std::uint64_t rank = 0;
      std::uint64_t product = 1;
      if (!w.name() || !w.count(rank)) return false;
      for (std::uint64_t k = 0; k < rank; ++k) {
        std::uint64_t id = 0;
        if (!w.count(id) || id >= dims.size()) return false;
        if (dims[id] == 0 && k == 0) {
          v.record = true;
        } else if (!multiply(product, dims[id], product)) {
          return false;
        }
      }
      std::uint32_t type = 0;
      std::uint64_t vsize = 0;
      if (!attributes(w) || !w.u32(type) || !w.count(vsize)) return false;
      const std::uint64_t size = type_size(type, w.version);
      if (size == 0 || !multiply(product, size, v.size)) return false;
      if (w.version == 1) {
        std::uint32_t b = 0;
        if (!w.u32(b)) return false;
        v.begin = b;
      } else if (!w.u64(v.begin) || v.begin >= kLimit) {
        return false;
      }
      vars.push_back(v);
    }
  }
  extent.header_end = w.pos;

  std::uint64_t record_size = 0;
  std::size_t record_vars = 0;
  for (const Variable& v : vars) {
    if (!v.record) continue;
    ++record_vars;
    record_size += (v.size + 3) / 4 * 4;
    if (record_size >= kLimit) return false;
  }
  if (record_vars == 1) {
    for (const Variable& v : vars) {
      if (v.record) record_size = v.size;
    }
  }
  std::uint64_t end = w.pos;
  for (const Variable& v : vars) {
    std::uint64_t last = 0;
    if (v.size == 0) continue;
    if (v.record) {
      if (records == 0) continue;
      if (!multiply(records - 1, record_size, last)) return false;
    }
    last += v.begin;
    if (last >= kLimit || v.size >= kLimit - last) return false;
    end = std::max(end, last + v.size);
  }
  extent.data_end = end;
  return true;
}

}  // namespace

bool is_classic_file(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  unsigned char magic[4] = {};
  const ssize_t got = ::pread(fd, magic, sizeof magic, 0);
  ::close(fd);
  return got == 4 && std::memcmp(magic, "CDF", 3) == 0 && (magic[3] == 1 || magic[3] == 2 || magic[3] == 5);
}

bool is_netcdf_file(const std::string& path) {
  if (is_classic_file(path)) return true;
  static constexpr unsigned char kHdf5[8] = {0x89, 'H', 'D', 'F', '\r', '\n', 0x1a, '\n'};
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  bool found = false;
  for (off_t at = 0; at <= (off_t{1} << 20) && !found; at = at == 0 ? 512 : at * 2) {
    unsigned char sig[8] = {};
    if (::pread(fd, sig, sizeof sig, at) != static_cast<ssize_t>(sizeof sig)) break;
    found = std::memcmp(sig, kHdf5, sizeof sig) == 0;
  }
  ::close(fd);
  return found;
}

bool classic_extent_of(const unsigned char* bytes, std::uint64_t size, ClassicExtent& extent,
                       std::uint64_t& stop) {
  Walk w{bytes, size};
  if (walk(w, extent)) return true;
  stop = w.pos;
  return false;
}

bool classic_extent(const std::string& path, ClassicExtent& extent, std::uint64_t& stop,
                    std::string& system_error) {
  stop = 0;
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    system_error = std::strerror(errno);
    return false;
  }
  struct stat st {};
  if (::fstat(fd, &st) != 0) {
    system_error = std::strerror(errno);
    ::close(fd);
    return false;
  }
  const auto file_size = static_cast<std::uint64_t>(st.st_size);
  std::vector<unsigned char> buf;
  std::uint64_t want = std::min(file_size, kFirstRead);
  bool done = false;
  bool ok = false;
  while (!done) {
    const std::uint64_t have = buf.size();
    buf.resize(want);
    std::uint64_t got = have;
    while (got < want) {
      const ssize_t r = ::pread(fd, buf.data() + got, want - got, static_cast<off_t>(got));
      if (r < 0 && errno == EINTR) continue;
      if (r < 0) {
        system_error = std::strerror(errno);
        ::close(fd);
        return false;
      }
      if (r == 0) break;
      got += static_cast<std::uint64_t>(r);
    }
    buf.resize(got);
    Walk w{buf.data(), buf.size()};
    ok = walk(w, extent);
    stop = w.pos;
    // a header longer than what was read: read more, up to the file or the limit
    if (!ok && w.ran_out && got == want && want < std::min(file_size, kMostHeader)) {
      want = std::min({want * 4, file_size, kMostHeader});
    } else {
      done = true;
    }
  }
  ::close(fd);
  return ok;
}

}  // namespace versel
