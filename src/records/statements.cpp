// Read and write statements: the format walk against destinations or values.
#include "records/statements.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "capacities.h"
#include "records/edit_input.h"
#include "records/edit_output.h"
#include "records/field_cache.h"
#include "records/format_walk.h"
#include "records/units.h"
#include "records/write_plan.h"

namespace versel {
namespace {

// Safety nets far beyond any real statement (the longest record of a run, a
// matrix row of 2000 values, is some 18,000 characters and 4,000 items): a
// statement that walks this many items, or whose records grow past this many
// characters, has a format that loops on itself, such as
// "(32767(32767(32767('x'))))", and fails with "Error in format string".
constexpr long kMaxWalkSteps = 1L << 20;
constexpr std::size_t kMaxStatementChars = std::size_t{4} << 20;

// Steps through the elements of a destination or value list.
template <typename Entry>
struct ListCursor {
  std::span<const Entry> entries;
  std::size_t index = 0;
  std::int32_t element = 0;

  void settle() {
    while (index < entries.size() && element >= entries[index].count) {
      ++index;
      element = 0;
    }
  }
  bool done() {
    settle();
    return index >= entries.size();
  }
  const Entry& entry() const { return entries[index]; }
  void advance() { ++element; }
};

bool is_numeric_field(ItemKind k) { return k <= ItemKind::G; }
bool is_real_field(ItemKind k) { return k >= ItemKind::F && k <= ItemKind::G; }

int integer_base(ItemKind k) {
  switch (k) {
    case ItemKind::B: return 2;
    case ItemKind::O: return 8;
    case ItemKind::Z: return 16;
    default: return 10;
  }
}

bool is_integer_field(ItemKind k) {
  return k == ItemKind::I || k == ItemKind::B || k == ItemKind::O || k == ItemKind::Z;
}

struct ReadState {
  std::string_view record;
  std::size_t pos = 0;
  bool blanks_zero = false;
  int scale = 0;
  std::uint64_t* digitless = nullptr;  // see read_records
  int element_no = 0;                  // elements of the list filled so far
};

// Marks the element being filled when its numeric field holds no digit.
void mark_digitless(ReadState& st, std::string_view field, ItemKind kind) {
  if (st.digitless && st.element_no < 64 &&
      holds_no_digit(field, integer_base(kind), is_real_field(kind)))
    *st.digitless |= std::uint64_t{1} << st.element_no;
}

// Cuts the field of a data item at the current position: w characters, fewer
// at the end of the record; a numeric field also ends at a comma, which it
// consumes.
std::string_view cut_field(ReadState& st, ItemKind kind, int w) {
  std::size_t avail = st.record.size() - st.pos;
  std::size_t n = w < 0 ? 0 : static_cast<std::size_t>(w);
  if (n > avail) n = avail;
  const char* p = st.record.data() + st.pos;
  if (is_numeric_field(kind)) {
    // fields are a few characters wide: a plain loop beats a library call
    for (std::size_t i = 0; i < n; ++i) {
      if (p[i] == ',') {
        st.pos += i + 1;
        return {p, i};
      }
    }
  }
  st.pos += n;
  return {p, n};
}

// One field into one destination element. False on a bad character.
bool read_element(ReadState& st, const FormatItem& it, const Dest& dest, std::int32_t element) {
  char* base = static_cast<char*>(dest.p);
  if (it.kind == ItemKind::Q) {
    ++st.element_no;
    std::int32_t left = static_cast<std::int32_t>(st.record.size() - st.pos);
    if (dest.kind == ValueKind::int32) std::memcpy(base + 4 * element, &left, 4);
    else if (dest.kind == ValueKind::real32) {
      float f = static_cast<float>(left);
      std::memcpy(base + 4 * element, &f, 4);
    }
    return true;
  }
  int w = it.w;
  if (it.kind == ItemKind::A && w == kAbsent) w = dest.kind == ValueKind::text ? dest.len : 4;
  std::string_view field = cut_field(st, it.kind, w);

  if (dest.kind == ValueKind::text) {
    // a text takes the characters of any field, as an A field would
    edit_text_in(field, w, base + static_cast<std::ptrdiff_t>(dest.len) * element, dest.len);
    ++st.element_no;
    return true;
  }
  if (is_numeric_field(it.kind)) mark_digitless(st, field, it.kind);
  ++st.element_no;
  double v = 0.0;
  bool is_int = false;
  std::int32_t iv = 0;
  if (is_integer_field(it.kind)) {
    if (!edit_integer_in(field, integer_base(it.kind), st.blanks_zero, iv)) return false;
    is_int = true;
  } else if (it.kind == ItemKind::L) {
    bool b = false;
    if (!edit_logical_in(field, b)) return false;
    iv = b ? 1 : 0;
    is_int = true;
  } else if (it.kind == ItemKind::A) {
    // text into a number: the number becomes 0
    is_int = true;
  } else {
    int d = it.d == kAbsent ? 0 : it.d;
    if (!edit_real_in(field, d, st.blanks_zero, st.scale, v)) return false;
  }
  if (dest.kind == ValueKind::int32) {
    std::int32_t out = is_int ? iv : to_int32(v);
    std::memcpy(base + 4 * element, &out, 4);
  } else {
    float out = is_int ? static_cast<float>(iv) : to_real32(v);
    std::memcpy(base + 4 * element, &out, 4);
  }
  return true;
}

}  // namespace

IoStatus read_records(Unit unit, const Format& format, std::span<const Dest> dests,
                      Failure& fail, std::uint64_t* digitless) {
  fail.statement = "READ";
  fail.unit = unit;
  fail.system = false;
  auto error = [&](std::string_view msg) {
    fail.message = msg;
    return IoStatus::error;
  };
  if (!format.error.empty()) return error(format.error);

  ReadState st;
  st.digitless = digitless;
  bool internal_used = false;
  // 0: a record, 1: the end of the data, 2: a failure in `fail`
  auto fetch = [&]() -> int {
    st.pos = 0;
    if (unit.kind == UnitKind::internal) {
      if (internal_used) return 1;
      internal_used = true;
      st.record = unit.text;
      return 0;
    }
    fail.message.clear();
    if (next_record(unit, st.record, fail)) return 0;
    return fail.message.empty() ? 1 : 2;
  };
  auto fetched = [&](int r) { return r == 1 ? IoStatus::end : IoStatus::error; };

  if (int r = fetch(); r != 0) return fetched(r);
  ListCursor<Dest> list{dests};
  Walker w = start_walk(format);
  long steps = 0;
  for (;;) {
    if (++steps > kMaxWalkSteps) return error(kMsgFormatError);
    const FormatItem* it = nullptr;
    WalkStep step = next_item(w, it, static_cast<std::int32_t>(st.pos));
    if (step == WalkStep::overflow) return error(kMsgGroupOverflow);
    if (step == WalkStep::end) {
      if (list.done()) return IoStatus::ok;
      if (!revert(w)) return error(kMsgFormatError);
      if (int r = fetch(); r != 0) return fetched(r);
      continue;
    }
    std::size_t len = st.record.size();
    switch (it->kind) {
      case ItemKind::X:
      case ItemKind::TR:
        st.pos = std::min(len, st.pos + static_cast<std::size_t>(it->w));
        break;
      case ItemKind::T:
        st.pos = std::min(len, static_cast<std::size_t>(it->w > 0 ? it->w - 1 : 0));
        break;
      case ItemKind::TL:
        st.pos = st.pos > static_cast<std::size_t>(it->w) ? st.pos - static_cast<std::size_t>(it->w) : 0;
        break;
      case ItemKind::text:  // a text in a read format skips its length
        st.pos = std::min(len, st.pos + static_cast<std::size_t>(it->text_len));
        break;
      case ItemKind::slash:
        for (int n = 0; n < it->repeat; ++n)
          if (int r = fetch(); r != 0) return fetched(r);
        break;
      case ItemKind::colon:
        if (list.done()) return IoStatus::ok;
        break;
      case ItemKind::BN: st.blanks_zero = false; break;
      case ItemKind::BZ: st.blanks_zero = true; break;
      case ItemKind::P: st.scale = it->w; break;
      case ItemKind::dollar:
      case ItemKind::S:
      case ItemKind::SS:
      case ItemKind::SP:
      case ItemKind::open:
      case ItemKind::close:
        break;
      default:  // a data item
        if (list.done()) return IoStatus::ok;
        if (!read_element(st, *it, list.entry(), list.element)) return error(kMsgIllegalChar);
        list.advance();
        // The rest of a repeated field, such as the twelve of 12f5.2, while
        // the same destination has elements left: the walker would hand out
        // this item again, once per repeat still due.
        if (is_real_field(it->kind) && list.entry().kind == ValueKind::real32) {
          // twelve monthly values: the real fields straight into the array
          const int d = it->d == kAbsent ? 0 : it->d;
          char* base = static_cast<char*>(list.entry().p);
          while (w.repeat_left > 0 && list.element < list.entry().count) {
            double v = 0.0;
            std::string_view field = cut_field(st, it->kind, it->w);
            mark_digitless(st, field, it->kind);
            ++st.element_no;
            if (!edit_real_in(field, d, st.blanks_zero, st.scale, v))
              return error(kMsgIllegalChar);
            float f = to_real32(v);
            std::memcpy(base + 4 * list.element, &f, 4);
            list.advance();
            if (--w.repeat_left == 0) ++w.index;
          }
        }
        while (w.repeat_left > 0 && list.element < list.entry().count) {
          if (!read_element(st, *it, list.entry(), list.element)) return error(kMsgIllegalChar);
          list.advance();
          if (--w.repeat_left == 0) ++w.index;
        }
        break;
    }
  }
}

namespace {

constexpr std::size_t kGrowStep = 64;  // least blanks added when a record outgrows its buffer

struct OutRecord {
  std::string& out;
  std::size_t start;     // where the record begins in `out`
  std::size_t pos = 0;   // the next field's column, from 0
  std::size_t end = 0;   // one past the last character written
  bool plus = false;
  FieldCache& fields;    // F fields edited before

  // Room for a field of w characters at the position; blanks fill any gap
  // after the record end.
  // Characters past the record end are always blanks: `out` grows in steps
  // and is cut back to the record end when the record is finished.
  char* field(std::size_t w) {
    std::size_t need = start + pos + w;
    if (out.size() < need) out.resize(need + std::max(kGrowStep, need - start), ' ');
    char* p = out.data() + start + pos;
    pos += w;
    if (pos > end) end = pos;
    return p;
  }
  void finish(bool line_end) {
    out.resize(start + end);
    if (line_end) out.append("\r\n");
    start = out.size();
    pos = end = 0;
  }
};

void write_text(OutRecord& r, const char* text, std::size_t n) {
  if (n) std::memcpy(r.field(n), text, n);
}

// The program's fields are 8 wide: a copy of a known size needs no call.
inline void copy_field(char* to, const char* from, std::size_t n) {
  if (n == 8) std::memcpy(to, from, 8);
  else std::memcpy(to, from, n);
}

// An F field at p: a copy when the same value was edited so before.
inline void edit_f_field(OutRecord& r, char* p, const FormatItem& it, float f) {
  if (it.w > FieldCache::kMaxWidth) return edit_f_out(p, it.w, it.d, f, r.plus);
  std::uint32_t bits = std::bit_cast<std::uint32_t>(f);
  std::uint32_t edit = field_edit_key(it.w, it.d, r.plus);
  std::size_t n = static_cast<std::size_t>(it.w);
  FieldCache::Slot& slot = field_slot(r.fields, bits);
  if (slot.bits == bits && slot.edit == edit) {
    copy_field(p, slot.text, n);
    return;
  }
  edit_f_out(p, it.w, it.d, f, r.plus);
  copy_field(slot.text, p, n);
  slot.bits = bits;
  slot.edit = edit;
}

void write_element(OutRecord& r, const FormatItem& it, const Value& v, std::int32_t element) {
  // a scalar number is held in the value itself, an array's elements at p
  const char* base = static_cast<const char*>(v.p);
  std::int32_t iv = v.i;
  float rv = v.r;
  if (base && v.kind == ValueKind::int32) std::memcpy(&iv, base + 4 * element, 4);
  if (base && v.kind == ValueKind::real32) std::memcpy(&rv, base + 4 * element, 4);
  std::string_view text;
  if (v.kind == ValueKind::text)
    text = std::string_view(base + static_cast<std::ptrdiff_t>(v.len) * element,
                            static_cast<std::size_t>(v.len));

  if (it.kind == ItemKind::A) {
    if (v.kind != ValueKind::text) {  // a number under A: asterisks
      std::size_t w = it.w == kAbsent ? 4 : static_cast<std::size_t>(it.w);
      std::memset(r.field(w), '*', w);
      return;
    }
    if (it.w == kAbsent) return write_text(r, text.data(), text.size());
    std::size_t w = static_cast<std::size_t>(it.w);
    if (w <= text.size()) return write_text(r, text.data(), w);
    char* p = r.field(w);
    std::memset(p, ' ', w - text.size());
    if (!text.empty()) std::memcpy(p + (w - text.size()), text.data(), text.size());
    return;
  }
  int w = it.w;
  char* p = r.field(static_cast<std::size_t>(w));
  if (v.kind == ValueKind::text) {  // a text under a numeric descriptor
    std::memset(p, '*', static_cast<std::size_t>(w));
    return;
  }
  double real = v.kind == ValueKind::int32 ? static_cast<double>(iv) : static_cast<double>(rv);
  switch (it.kind) {
    case ItemKind::I:
    case ItemKind::B:
    case ItemKind::O:
    case ItemKind::Z:
      edit_integer_out(p, w, it.d, v.kind == ValueKind::int32 ? iv : to_int32(real),
                       integer_base(it.kind), r.plus);
      break;
    case ItemKind::F:
      edit_f_field(r, p, it, static_cast<float>(real));
      break;
    case ItemKind::G:
      edit_g_out(p, w, it.d, it.e, static_cast<float>(real), r.plus);
      break;
    case ItemKind::L:
      edit_logical_out(p, w, real != 0.0);
      break;
    default:  // E, EN, ES, D
      edit_e_out(p, it.kind, w, it.d, it.e, static_cast<float>(real), r.plus);
      break;
  }
}

// A matrix row, "2000(1x,f8.2)", walks a group of a skip and one field
// once per value. When the walk stands at the close of such a group with
// passes left and the same array still holds values, the passes are made
// here at once, leaving the walker where its own passes would have left it.
void write_group_run(Walker& w, OutRecord& r, ListCursor<Value>& list) {
  const std::vector<FormatItem>& items = w.format->items;
  if (w.depth == 0 || w.repeat_left != 0) return;
  WalkFrame& fr = w.frames[static_cast<std::size_t>(w.depth - 1)];
  std::size_t open = static_cast<std::size_t>(fr.open);
  if (static_cast<std::size_t>(w.index) != open + 3) return;
  const FormatItem& skip = items[open + 1];
  const FormatItem& field = items[open + 2];
  if (skip.kind != ItemKind::X || field.kind != ItemKind::F || field.repeat != 1 ||
      items[open + 3].kind != ItemKind::close)
    return;
  if (list.index >= list.entries.size()) return;
  const Value& v = list.entry();
  if (v.kind == ValueKind::real32 && v.p) {  // an array of reals: straight to the fields
    const char* base = static_cast<const char*>(v.p);
    while (fr.remaining > 1 && list.element < v.count && r.start + r.pos <= kMaxStatementChars) {
      --fr.remaining;
      r.pos += static_cast<std::size_t>(skip.w);
      float f;
      std::memcpy(&f, base + 4 * list.element, 4);
      edit_f_field(r, r.field(static_cast<std::size_t>(field.w)), field, f);
      list.advance();
    }
    return;
  }
  while (fr.remaining > 1 && list.element < v.count && r.start + r.pos <= kMaxStatementChars) {
    --fr.remaining;
    r.pos += static_cast<std::size_t>(skip.w);
    write_element(r, field, v, list.element);
    list.advance();
  }
}

}  // namespace

bool write_records(const Format& format, std::span<const Value> values, std::string& out,
                   std::string_view& message) {
  if (!format.error.empty()) {
    message = format.error;
    return false;
  }
  FieldCache& fields = units().fields;
  if (!format.write_plan_tried) {
    format.write_plan_tried = true;
    auto plan = std::make_shared<WritePlan>();
    if (make_write_plan(format, *plan)) format.write_plan = std::move(plan);
  }
  if (format.write_plan && write_by_plan(*format.write_plan, values, fields, out)) return true;
  OutRecord r{out, out.size(), 0, 0, false, fields};
  bool line_end = true;
  bool used_value = false;  // since the start or the last reversion
  ListCursor<Value> list{values};
  Walker w = start_walk(format);
  long steps = 0;
  for (;;) {
    if (++steps > kMaxWalkSteps) {
      message = kMsgFormatError;
      return false;
    }
    // A group of position and text items only that ends a pass where it
    // began has written all it will (each pass writes the same characters at
    // the same columns), so the walker may leave it early.
    const FormatItem* it = nullptr;
    WalkStep step = next_item(w, it, r.start + r.pos <= kMaxStatementChars
                                         ? static_cast<std::int32_t>(r.pos)
                                         : kAbsent);
    if (step == WalkStep::overflow) {
      message = kMsgGroupOverflow;
      return false;
    }
    if (step == WalkStep::item && (it->kind == ItemKind::text || it->kind == ItemKind::slash ||
                                   is_data_item(it->kind)) &&
        r.start + std::max(r.pos, r.end) > kMaxStatementChars) {
      message = kMsgFormatError;
      return false;
    }
    if (step == WalkStep::end) {
      if (list.done()) break;
      if (!used_value || !revert(w)) {
        message = kMsgFormatError;
        return false;
      }
      used_value = false;
      r.finish(true);
      continue;
    }
    bool stop_here = false;
    switch (it->kind) {
      case ItemKind::text:
        write_text(r, format.texts.data() + it->text_pos, static_cast<std::size_t>(it->text_len));
        break;
      case ItemKind::X:
      case ItemKind::TR:
        r.pos += static_cast<std::size_t>(it->w);
        break;
      case ItemKind::T:
        r.pos = it->w > 0 ? static_cast<std::size_t>(it->w - 1) : 0;
        break;
      case ItemKind::TL:
        r.pos = r.pos > static_cast<std::size_t>(it->w) ? r.pos - static_cast<std::size_t>(it->w) : 0;
        break;
      case ItemKind::slash:
        for (int n = 0; n < it->repeat; ++n) r.finish(true);
        break;
      case ItemKind::colon:
        stop_here = list.done();
        break;
      case ItemKind::dollar: line_end = false; break;
      case ItemKind::S:
      case ItemKind::SS: r.plus = false; break;
      case ItemKind::SP: r.plus = true; break;
      case ItemKind::BN:
      case ItemKind::BZ:
      case ItemKind::P:
      case ItemKind::Q:
      case ItemKind::open:
      case ItemKind::close:
        break;
      default:  // a data edit descriptor
        if (list.done()) {
          stop_here = true;
          break;
        }
        write_element(r, *it, list.entry(), list.element);
        list.advance();
        used_value = true;
        // The rest of a repeated field, such as the thirty of 30f8.2, while
        // the same array has values left, as the walker would hand it out.
        if (it->kind == ItemKind::F && list.entry().kind == ValueKind::real32 && list.entry().p) {
          // an array of reals under F: room for all the fields at once
          const Value& v = list.entry();
          std::int32_t n = std::min(w.repeat_left, v.count - list.element);
          if (n > 0 && r.start + r.pos + static_cast<std::size_t>(n) * static_cast<std::size_t>(it->w) <=
                           kMaxStatementChars) {
            const std::size_t fw = static_cast<std::size_t>(it->w);
            char* p = r.field(fw * static_cast<std::size_t>(n));
            const char* base = static_cast<const char*>(v.p) + 4 * static_cast<std::ptrdiff_t>(list.element);
            for (std::int32_t k = 0; k < n; ++k, p += fw) {
              float f;
              std::memcpy(&f, base + 4 * k, 4);
              edit_f_field(r, p, *it, f);
            }
            list.element += n;
            w.repeat_left -= n;
            if (w.repeat_left == 0) ++w.index;
          }
        }
        while (w.repeat_left > 0 && list.element < list.entry().count &&
               r.start + r.pos <= kMaxStatementChars) {
          write_element(r, *it, list.entry(), list.element);
          list.advance();
          if (--w.repeat_left == 0) ++w.index;
        }
        write_group_run(w, r, list);
        break;
    }
    if (stop_here) break;
  }
  r.finish(line_end);
  return true;
}

// The statements of io.h.

IoStatus read(Unit unit, FormatText format, std::span<const Dest> dests, unsigned branches) {
  Failure f;
  IoStatus st = read_records(unit, cached_format(format), dests, f);
  if (st == IoStatus::ok) return st;
  if (st == IoStatus::end) {
    if (branches & kOnEnd) return IoStatus::end;
    if (branches & kOnError) return IoStatus::error;
    f.system = false;
    f.message = kMsgReadPastEnd;
  } else if (branches & kOnError) {
    return IoStatus::error;
  }
  if (unit.kind == UnitKind::internal) f.format = format.text;
  fail(f);
}

IoStatus read_line(Unit unit, std::string& line, unsigned branches, Tabs tabs) {
  Failure f{false, "", "READ", unit};
  std::string_view record;
  if (unit.kind == UnitKind::internal) {
    line.assign(unit.text);
    return IoStatus::ok;
  }
  if (next_record(unit, record, f, tabs)) {
    line.assign(record);
    return IoStatus::ok;
  }
  if (!f.message.empty()) {
    if (branches & kOnError) return IoStatus::error;
    fail(f);
  }
  if (branches & kOnEnd) return IoStatus::end;
  if (branches & kOnError) return IoStatus::error;
  f.message = kMsgReadPastEnd;
  fail(f);
}

void write(Unit unit, FormatText format, std::span<const Value> values) {
  UnitTable& t = units();
  if (unit.kind == UnitKind::console && t.console_output == ConsoleOutput::discarded) return;
  t.out.clear();
  std::string_view message;
  if (!write_records(cached_format(format), values, t.out, message))
    fail(Failure{false, std::string(message), "WRITE", unit});
  Failure f;
  if (!put_records(unit, t.out, f)) fail(f);
}

void free_write(Unit unit, std::string_view text) {
  UnitTable& t = units();
  if (unit.kind == UnitKind::console && t.console_output == ConsoleOutput::discarded) return;
  t.out.clear();
  t.out.push_back(' ');
  t.out.append(text);
  t.out.append("\r\n");
  Failure f;
  if (!put_records(unit, t.out, f)) fail(f);
}

}  // namespace versel
