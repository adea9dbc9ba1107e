// The read and write statements: a translated format walked against a list
// of destinations or values, records taken from or built for a unit.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "records/failure.h"
#include "records/format.h"
#include "records/io.h"

namespace versel {

// Reads through `format`. `ok`, or `end` at the end of the data (or when a
// text held in memory is asked for a second record), or `error` with
// `fail.message` set. Destinations filled before a failure keep their values.
// With `digitless` given, bit i of it is set when element i of the list
// (counted over all its entries, the first 64) was filled from an I, B, O, Z,
// F, E, D or G field that holds no digit (see holds_no_digit); the other bits
// are left as they are. The values read are the same either way.
IoStatus read_records(Unit unit, const Format& format, std::span<const Dest> dests,
                      Failure& fail, std::uint64_t* digitless = nullptr);

// Appends the records of one write statement to `out`, each followed by CR LF
// unless "$" was met. False with `message` set when the format fails.
bool write_records(const Format& format, std::span<const Value> values, std::string& out,
                   std::string_view& message);

}  // namespace versel
