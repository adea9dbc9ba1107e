// Translation of a format text into items, left to right in one pass.
// Blanks outside quoted texts are ignored everywhere, inside numbers too;
// commas between items may be left out; text after the outer ")" is ignored.
#include <cctype>
#include <vector>

#include "capacities.h"
#include "records/format.h"

namespace versel {
namespace {

struct Scanner {
  std::string_view s;
  std::size_t pos = 0;

  bool at_end() const { return pos >= s.size(); }
  char peek() const { return at_end() ? '\0' : s[pos]; }
  char upper() const { return static_cast<char>(std::toupper(static_cast<unsigned char>(peek()))); }
  void skip_blanks() {
    while (!at_end() && (s[pos] == ' ' || s[pos] == '\t')) ++pos;
  }
  static bool is_digit(char c) { return c >= '0' && c <= '9'; }

  // An optional number: a sign, then digits with blanks between them
  // ignored. Values are capped far above every limit, so they never overflow.
  bool number(long& value) {
    skip_blanks();
    bool negative = false;
    std::size_t start = pos;
    if (peek() == '+' || peek() == '-') {
      negative = peek() == '-';
      ++pos;
      skip_blanks();
    }
    if (!is_digit(peek())) {
      pos = start;
      return false;
    }
    value = 0;
    while (!at_end()) {
      if (is_digit(s[pos])) {
        if (value < 1000000000L) value = value * 10 + (s[pos] - '0');
        ++pos;
      } else if (s[pos] == ' ' || s[pos] == '\t') {
        std::size_t look = pos;
        while (look < s.size() && (s[look] == ' ' || s[look] == '\t')) ++look;
        if (look < s.size() && is_digit(s[look])) pos = look;
        else break;
      } else {
        break;
      }
    }
    if (negative) value = -value;
    return true;
  }
};

struct Translator {
  Scanner sc;
  Format f;
  std::vector<std::int32_t> open_stack;  // indexes of open groups
  std::vector<bool> group_has_content;   // a data item or "/" inside
  std::string_view error;

  bool fail(std::string_view msg) {
    error = msg;
    return false;
  }

  void mark_content() {
    if (!group_has_content.empty()) group_has_content.back() = true;
  }

  bool in_range(long v, long lo, long hi) const { return v >= lo && v <= hi; }

  // A required or optional number after a letter, 0..max.
  bool field_number(bool required, long max, std::int32_t& out) {
    long v = 0;
    if (!sc.number(v)) return !required || fail(kMsgFormatError);
    if (!in_range(v, 0, max)) return fail(kMsgFormatError);
    out = static_cast<std::int32_t>(v);
    return true;
  }

  bool point_then(std::int32_t& out) {
    sc.skip_blanks();
    if (sc.peek() != '.') return fail(kMsgFormatError);
    ++sc.pos;
    return field_number(true, kMaxFieldWidth, out);
  }

  // Optional "E" and exponent digits after Ew.d, Gw.d and Dw.d.
  bool exponent_digits(FormatItem& it) {
    sc.skip_blanks();
    if (sc.upper() != 'E') return true;
    std::size_t save = sc.pos;
    ++sc.pos;
    long v = 0;
    if (!sc.number(v)) {  // an E that starts the next item
      sc.pos = save;
      return true;
    }
    if (!in_range(v, 1, kMaxFieldWidth)) return fail(kMsgFormatError);
    it.e = static_cast<std::int32_t>(v);
    return true;
  }

  bool integer_field(FormatItem& it) {
    if (!field_number(false, kMaxFieldWidth, it.w)) return false;
    if (it.w == kAbsent) {
      it.w = 12;
      return true;
    }
    sc.skip_blanks();
    if (sc.peek() == '.') {
      ++sc.pos;
      if (!field_number(true, kMaxFieldWidth, it.d)) return false;
    }
    return true;
  }

  bool real_field(FormatItem& it) {
    if (!field_number(false, kMaxFieldWidth, it.w)) return false;
    if (it.w == kAbsent) {
      // "(f)" of the program reads in free width without implied decimals;
      // a format held as text reads F15.6
      it.w = 15;
      it.d = f.origin == FormatOrigin::held ? 6 : 0;
      it.e = 2;
      return true;
    }
    if (!point_then(it.d)) return false;
    if (it.kind != ItemKind::F && !exponent_digits(it)) return false;
    return true;
  }

  bool quoted(char quote) {
    ++sc.pos;
    std::string text;
    for (;;) {
      if (sc.at_end()) return fail(kMsgUnmatchedQuotes);
      char c = sc.s[sc.pos++];
      if (c == quote) {
        if (sc.peek() == quote) {  // a doubled quote stands for one
          text += quote;
          ++sc.pos;
          continue;
        }
        break;
      }
      text += c;
    }
    add_text(text);
    return true;
  }

  void add_text(std::string_view text) {
    FormatItem it{ItemKind::text};
    it.text_pos = static_cast<std::int32_t>(f.texts.size());
    it.text_len = static_cast<std::int32_t>(text.size());
    f.texts.append(text);
    f.items.push_back(it);
  }

  // One item after its optional number; false on a fault.
  bool item(bool has_number, long number) {
    auto repeatable = [&](FormatItem& it) {
      if (!has_number) return true;
      if (!in_range(number, 1, kMaxRepeat)) return fail(kMsgRepeatCount);
      it.repeat = static_cast<std::int32_t>(number);
      return true;
    };
    auto non_repeatable = [&]() { return !has_number || fail(kMsgNonRepeatable); };

    char c = sc.upper();
    if (c == '\'' || c == '"') return non_repeatable() && quoted(sc.peek());
    ++sc.pos;
    FormatItem it{ItemKind::X};
    switch (c) {
      case '(': {
        it.kind = ItemKind::open;
        if (!repeatable(it)) return false;
        if (open_stack.empty()) f.revert_to = static_cast<std::int32_t>(f.items.size());
        open_stack.push_back(static_cast<std::int32_t>(f.items.size()));
        group_has_content.push_back(false);
        f.items.push_back(it);
        return true;
      }
      case 'H': {
        if (!has_number || number < 1) return fail(kMsgFormatError);
        if (static_cast<std::size_t>(number) > sc.s.size() - sc.pos) return fail(kMsgHollerith);
        add_text(sc.s.substr(sc.pos, static_cast<std::size_t>(number)));
        sc.pos += static_cast<std::size_t>(number);
        return true;
      }
      case 'X':
        if (has_number && !in_range(number, 1, kMaxCount)) return fail(kMsgRepeatCount);
        it.w = has_number ? static_cast<std::int32_t>(number) : 1;
        break;
      case 'P':
        if (!has_number) return fail(kMsgFormatError);
        if (!in_range(number, -kMaxScale, kMaxScale)) return fail(kMsgFormatError);
        it.kind = ItemKind::P;
        it.w = static_cast<std::int32_t>(number);
        break;
      case '/':
        it.kind = ItemKind::slash;
        if (!repeatable(it)) return false;
        mark_content();
        break;
      case ':':
        it.kind = ItemKind::colon;
        if (!non_repeatable()) return false;
        break;
      case '$':
      case '\\':
        it.kind = ItemKind::dollar;
        if (!non_repeatable()) return false;
        break;
      case 'Q':
        it.kind = ItemKind::Q;
        if (!non_repeatable()) return false;
        mark_content();
        break;
      case 'S':
        if (!non_repeatable()) return false;
        sc.skip_blanks();
        it.kind = ItemKind::S;
        if (sc.upper() == 'S') it.kind = ItemKind::SS, ++sc.pos;
        else if (sc.upper() == 'P') it.kind = ItemKind::SP, ++sc.pos;
        break;
      case 'T':
        if (!non_repeatable()) return false;
        sc.skip_blanks();
        it.kind = ItemKind::T;
        if (sc.upper() == 'L') it.kind = ItemKind::TL, ++sc.pos;
        else if (sc.upper() == 'R') it.kind = ItemKind::TR, ++sc.pos;
        if (!field_number(true, kMaxCount, it.w)) return false;
        break;
      case 'B':
        sc.skip_blanks();
        if (sc.upper() == 'N' || sc.upper() == 'Z') {
          if (has_number) return fail(kMsgRepeatCount);
          it.kind = sc.upper() == 'N' ? ItemKind::BN : ItemKind::BZ;
          ++sc.pos;
          break;
        }
        it.kind = ItemKind::B;
        if (!repeatable(it) || !integer_field(it)) return false;
        mark_content();
        break;
      case 'I':
      case 'O':
      case 'Z':
        it.kind = c == 'I' ? ItemKind::I : c == 'O' ? ItemKind::O : ItemKind::Z;
        if (!repeatable(it) || !integer_field(it)) return false;
        mark_content();
        break;
      case 'E':
        sc.skip_blanks();
        it.kind = ItemKind::E;
        if (sc.upper() == 'N') it.kind = ItemKind::EN, ++sc.pos;
        else if (sc.upper() == 'S') it.kind = ItemKind::ES, ++sc.pos;
        if (!repeatable(it) || !real_field(it)) return false;
        mark_content();
        break;
      case 'F':
      case 'D':
      case 'G':
        it.kind = c == 'F' ? ItemKind::F : c == 'D' ? ItemKind::D : ItemKind::G;
        if (!repeatable(it) || !real_field(it)) return false;
        mark_content();
        break;
      case 'L':
        it.kind = ItemKind::L;
        if (!repeatable(it) || !field_number(false, kMaxFieldWidth, it.w)) return false;
        if (it.w == 0) return fail(kMsgFormatError);
        if (it.w == kAbsent) it.w = 2;
        mark_content();
        break;
      case 'A':
        it.kind = ItemKind::A;
        if (!repeatable(it) || !field_number(false, kMaxCount, it.w)) return false;
        mark_content();
        break;
      default:
        return fail(kMsgFormatError);
    }
    f.items.push_back(it);
    return true;
  }

  // Closes the innermost group; true when it was the outer parenthesis.
  bool close_group() {
    if (open_stack.empty()) return true;
    std::int32_t open = open_stack.back();
    bool content = group_has_content.back();
    open_stack.pop_back();
    group_has_content.pop_back();
    if (content) mark_content();
    FormatItem it{ItemKind::close};
    it.match = open;
    f.items[static_cast<std::size_t>(open)].match = static_cast<std::int32_t>(f.items.size());
    f.items[static_cast<std::size_t>(open)].control_only = !content;
    f.items.push_back(it);
    return false;
  }

  bool run() {
    sc.skip_blanks();
    if (sc.peek() != '(') return fail(kMsgMissingOpen);
    ++sc.pos;
    for (;;) {
      sc.skip_blanks();
      long number = 0;
      bool has_number = sc.number(number);
      sc.skip_blanks();
      if (sc.at_end()) return fail(kMsgUnmatchedParens);
      if (sc.peek() == ')') {
        if (has_number) return fail(kMsgRepeatCount);
        ++sc.pos;
        if (close_group()) return true;
      } else if (!item(has_number, number)) {
        return false;
      }
      sc.skip_blanks();
      if (sc.peek() == ',') ++sc.pos;
    }
  }
};

}  // namespace

Format translate(std::string_view text, FormatOrigin origin) {
  Translator t;
  t.sc.s = text;
  t.f.origin = origin;
  if (!t.run()) {
    Format bad;
    bad.origin = origin;
    bad.error = std::string(t.error);
    return bad;
  }
  return std::move(t.f);
}

}  // namespace versel
