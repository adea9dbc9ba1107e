// Filling and quoting the texts of messages.
#include "records/message_text.h"

namespace versel {
namespace {

constexpr std::size_t kShownLength = 80;  // characters of a value a message shows

}  // namespace

std::string escaped(std::string_view value, std::size_t limit, bool keep_tabs) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (std::size_t i = 0; i < value.size(); ++i) {
    if (i == limit) {
      out += "...";
      break;
    }
    auto c = static_cast<unsigned char>(value[i]);
    if ((c >= 0x20 && c != 0x7f) || (keep_tabs && c == '\t')) {  // UTF-8 bytes pass, control bytes do not
      out += static_cast<char>(c);
    } else {
      out += "\\x";
      out += kHex[c >> 4];
      out += kHex[c & 0xf];
    }
  }
  return out;
}

std::string compose(std::string_view text, std::initializer_list<std::string_view> args) {
  std::string out;
  const std::string_view* next = args.begin();
  std::size_t from = 0;
  for (std::size_t at = text.find("{}"); at != std::string_view::npos && next != args.end();
       at = text.find("{}", from)) {
    out += text.substr(from, at - from);
    out += *next++;
    from = at + 2;
  }
  out += text.substr(from);
  return out;
}

std::string quoted(std::string_view value) {
  std::string text(1, '\'');
  text += escaped(value, kShownLength);
  text += '\'';
  return text;
}

std::string shown_name(std::string_view name) { return escaped(name, std::string_view::npos); }

}  // namespace versel
