// The fields of an output format laid out once: for a format of position
// items and I and F fields only, such as "(i5,30f8.2)" or
// "(1x,i4,2x,i2,2000(1x,f8.2))", the column, width and decimals of each
// field in the order the walk hands them out, so that a record is written
// field by field without walking the format again.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "records/field_cache.h"
#include "records/format.h"
#include "records/values.h"

namespace versel {

struct OutputField {
  std::int32_t column;  // from 0
  std::int16_t w;
  std::int16_t d;       // decimals of F, least digits m of I (kAbsent: none)
  bool real;            // F, else I
  bool plus;            // under SP
  std::uint32_t edit;   // an F field's key in the field cache; 0 when too wide for it
};

struct WritePlan {
  std::vector<OutputField> fields;
  // "$" stands after this many fields: a statement of at least as many
  // values ends without a line end (kAbsent: no "$")
  std::int32_t dollar_after = kAbsent;
};

// The plan of a format, or false when the format holds anything else (text,
// T, "/", other descriptors, ...) or is too long to lay out.
bool make_write_plan(const Format& format, WritePlan& plan);

// Appends the record of `values` by the plan: true when every value met a
// field of its own kind (an integer an I field, a real an F field) and no
// value was left over. False, with `out` as it was, otherwise: the format
// walk then writes the statement.
bool write_by_plan(const WritePlan& plan, std::span<const Value> values, FieldCache& cache,
                   std::string& out);

}  // namespace versel
