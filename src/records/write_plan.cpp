// Output records laid out by a plan of fixed fields.
#include "records/write_plan.h"

#include <bit>
#include <cstring>

#include "records/edit_output.h"
#include "records/format_walk.h"

namespace versel {
namespace {

// Fields beyond this are written by the walk: a plan is kept for each format
// used, and the longest record of a run, a matrix row, has 2004.
constexpr std::size_t kMaxOutputFields = 4096;
constexpr std::int32_t kMaxPlannedColumn = 1 << 20;

}  // namespace

bool make_write_plan(const Format& format, WritePlan& plan) {
  plan = WritePlan{};
  if (!format.error.empty()) return false;
  Walker w = start_walk(format);
  std::int32_t pos = 0;
  bool plus = false;
  for (long steps = 0; steps < 4 * static_cast<long>(kMaxOutputFields); ++steps) {
    const FormatItem* it = nullptr;
    WalkStep step = next_item(w, it, pos);
    if (step == WalkStep::end) return !plan.fields.empty();
    if (step != WalkStep::item) return false;
    switch (it->kind) {
      case ItemKind::X:
      case ItemKind::TR:
        pos += it->w;
        break;
      case ItemKind::I:
      case ItemKind::F:
        if (it->w <= 0 || plan.fields.size() == kMaxOutputFields) return false;
        plan.fields.push_back(
            {pos, static_cast<std::int16_t>(it->w), static_cast<std::int16_t>(it->d),
             it->kind == ItemKind::F, plus,
             it->kind == ItemKind::F && it->w <= FieldCache::kMaxWidth
                 ? field_edit_key(it->w, it->d, plus)
                 : 0u});
        pos += it->w;
        break;
      case ItemKind::dollar:
        if (plan.dollar_after == kAbsent)
          plan.dollar_after = static_cast<std::int32_t>(plan.fields.size());
        break;
      case ItemKind::S:
      case ItemKind::SS: plus = false; break;
      case ItemKind::SP: plus = true; break;
      case ItemKind::BN:
      case ItemKind::BZ: break;
      default: return false;
    }
    if (pos > kMaxPlannedColumn) return false;
  }
  return false;
}

bool write_by_plan(const WritePlan& plan, std::span<const Value> values, FieldCache& cache,
                   std::string& out) {
  std::size_t total = 0;
  for (const Value& v : values) {
    if (v.kind == ValueKind::text) return false;
    total += static_cast<std::size_t>(v.count > 0 ? v.count : 0);
  }
  if (total > plan.fields.size()) return false;  // the walk goes on with reversion
  // the record ends with its last field: a position move after the last
  // written character adds nothing
  const std::size_t start = out.size();
  const std::size_t end =
      total == 0 ? 0
                 : static_cast<std::size_t>(plan.fields[total - 1].column + plan.fields[total - 1].w);
  out.resize(start + end, ' ');
  char* record = out.data() + start;
  const OutputField* f = plan.fields.data();
  for (const Value& v : values) {
    const char* elements = static_cast<const char*>(v.p);
    if (v.kind == ValueKind::int32) {
      for (std::int32_t e = 0; e < v.count; ++e, ++f) {
        if (f->real) {
          out.resize(start);
          return false;
        }
        std::int32_t iv = v.i;
        if (elements) std::memcpy(&iv, elements + 4 * e, 4);
        edit_integer_out(record + f->column, f->w, f->d, iv, 10, f->plus);
      }
      continue;
    }
    for (std::int32_t e = 0; e < v.count; ++e, ++f) {
      if (!f->real) {
        out.resize(start);
        return false;
      }
      float r = v.r;
      if (elements) std::memcpy(&r, elements + 4 * e, 4);
      char* p = record + f->column;
      if (f->edit == 0) {
        edit_f_out(p, f->w, f->d, r, f->plus);
        continue;
      }
      std::uint32_t bits = std::bit_cast<std::uint32_t>(r);
      FieldCache::Slot& slot = field_slot(cache, bits);
      if (slot.bits != bits || slot.edit != f->edit) {
        edit_f_out(slot.text, f->w, f->d, r, f->plus);
        slot.bits = bits;
        slot.edit = f->edit;
      }
      // the program's fields are 8 wide: a copy of a known size needs no call
      if (f->w == 8) std::memcpy(p, slot.text, 8);
      else std::memcpy(p, slot.text, static_cast<std::size_t>(f->w));
    }
  }
  bool line_end = !(plan.dollar_after != kAbsent && total >= static_cast<std::size_t>(plan.dollar_after));
  if (line_end) out.append("\r\n");
  return true;
}

}  // namespace versel
