// The lists a statement transfers: destinations of a read, values of a write.
// An entry is one scalar or a contiguous array of like elements; an array
// serves one field per element, as "(60a1)" fills the 60 cells of a mask.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>

namespace versel {

enum class ValueKind : std::uint8_t { int32, real32, text };

// A destination of a read: `count` elements of `kind`; text elements are
// `len` characters each, blank-padded by the read.
struct Dest {
  ValueKind kind;
  void* p;
  std::int32_t len = 0;
  std::int32_t count = 1;
};

inline Dest to(std::int32_t& v) { return {ValueKind::int32, &v, 4, 1}; }
inline Dest to(float& v) { return {ValueKind::real32, &v, 4, 1}; }
inline Dest to(std::span<char> t) {
  return {ValueKind::text, t.data(), static_cast<std::int32_t>(t.size()), 1};
}
// `cells` split into elements of `cell_len` characters each.
inline Dest to_cells(std::span<char> cells, std::int32_t cell_len) {
  return {ValueKind::text, cells.data(), cell_len,
          static_cast<std::int32_t>(cells.size()) / cell_len};
}
inline Dest to(std::span<float> v) {
  return {ValueKind::real32, v.data(), 4, static_cast<std::int32_t>(v.size())};
}
inline Dest to(std::span<std::int32_t> v) {
  return {ValueKind::int32, v.data(), 4, static_cast<std::int32_t>(v.size())};
}

// A value of a write.
struct Value {
  ValueKind kind;
  std::int32_t i = 0;
  float r = 0.0f;
  const void* p = nullptr;  // array elements or text characters
  std::int32_t len = 0;     // text length (per element)
  std::int32_t count = 1;   // elements; 1 for a scalar held in i or r

  Value(std::int32_t v) : kind(ValueKind::int32), i(v) {}
  Value(float v) : kind(ValueKind::real32), r(v) {}
  Value(std::string_view t)
      : kind(ValueKind::text), p(t.data()), len(static_cast<std::int32_t>(t.size())) {}
  Value(const char* t) : Value(std::string_view(t)) {}
  Value(const std::string& t) : Value(std::string_view(t)) {}
  Value(ValueKind k, const void* elems, std::int32_t elem_len, std::int32_t n)
      : kind(k), p(elems), len(elem_len), count(n) {}
};

inline Value reals(std::span<const float> v) {
  return {ValueKind::real32, v.data(), 4, static_cast<std::int32_t>(v.size())};
}
inline Value ints(std::span<const std::int32_t> v) {
  return {ValueKind::int32, v.data(), 4, static_cast<std::int32_t>(v.size())};
}
inline Value cells(std::string_view t, std::int32_t cell_len) {
  return {ValueKind::text, t.data(), cell_len, static_cast<std::int32_t>(t.size()) / cell_len};
}

using DestList = std::initializer_list<Dest>;
using ValueList = std::initializer_list<Value>;

}  // namespace versel
