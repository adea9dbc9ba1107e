// The stem rule for the output names and the check that no output file is
// the input file.
#include "collect/output_names.h"

#include <filesystem>
#include <string>
#include <system_error>

#include "records/failure.h"
#include "records/io.h"

namespace versel {
namespace {

// A clash between two files of the run ends it on the failure path, named
// after the open that would have overwritten a file.
[[noreturn]] void refuse(std::string_view name, std::string_view what, int unit) {
  std::string message = "output file ";
  message += name;
  message += what;
  fail(Failure{false, message, "OPEN", file_unit(unit)});
}

}  // namespace

std::size_t stem_end(std::string_view name) {
  std::size_t end = name.find_first_of("._ ");
  return end == std::string_view::npos ? name.size() : end;
}

std::int32_t stem_length(std::string_view name) {
  // a shorter name goes on in blanks, which end the stem
  return static_cast<std::int32_t>(stem_end(name.substr(0, kFileNameLength)));
}

FixedText<kFileNameLength> output_name(std::string_view name, std::int32_t stem,
                                       std::string_view suffix) {
  std::string full(name.substr(0, static_cast<std::size_t>(stem)));
  full += suffix;
  FixedText<kFileNameLength> out;
  assign(out, full);
  return out;
}

std::string file_stem(std::string_view file) {
  const std::size_t folder = file.rfind('/');
  const std::size_t name = folder == std::string_view::npos ? 0 : folder + 1;
  const std::size_t dot = file.rfind('.');
  if (dot == std::string_view::npos || dot <= name) return std::string(file);
  return std::string(file.substr(0, dot));
}

OutputFiles output_files(std::string_view stem, std::int32_t kind, OutputRole role) {
  OutputFiles out;
  const std::string_view suffix = role == OutputRole::screen        ? kScreenSuffix
                                  : role == OutputRole::correlation ? kCorrSuffix
                                                                    : kSeaSuffix;
  out.sea = std::string(stem) + std::string(suffix);
  if (kind == kCsv) out.sea += ".csv";
  if (kind == kNc) out.sea += ".nc";
  if (kind == kMat) out.key = std::string(stem) + std::string(kKeySuffix);
  if (role == OutputRole::screen) out.key = std::string(stem) + std::string(kScreenSuffix) + ".svg";
  return out;
}

bool same_file(std::string_view a, std::string_view b) {
  if (a == b) return true;
  std::error_code ec;
  bool same = std::filesystem::equivalent(std::filesystem::path(a), std::filesystem::path(b), ec);
  return !ec && same;
}

void refuse_clashing_outputs(std::string_view infile, std::string_view sea, std::string_view key) {
  if (same_file(sea, infile)) refuse(sea, " is the input file", kSeaUnit);
  if (key.empty()) return;
  if (same_file(key, infile)) refuse(key, " is the input file", kKeyUnit);
  if (same_file(key, sea)) refuse(key, " is also the _sea file", kKeyUnit);
}

}  // namespace versel
