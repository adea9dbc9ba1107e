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
IoStatus read_records(Unit unit, const Format& format, std::span<const Dest> dests,
                      Failure& fail);

// Appends the records of one write statement to `out`, each followed by CR LF
// unless "$" was met. False with `message` set when the format fails.
bool write_records(const Format& format, std::span<const Value> values, std::string& out,
                   std::string_view& message);

}  // namespace versel
