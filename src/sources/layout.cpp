// The table of layouts.
#include "sources/layout.h"

namespace versel {

const Layout* find_layout(std::string_view name) {
  for (const Layout& l : kLayouts)
    if (l.name == name) return &l;
  return nullptr;
}

}  // namespace versel
