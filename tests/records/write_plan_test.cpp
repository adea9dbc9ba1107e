// Records written by a plan of fixed fields are those of the format walk:
// random formats of position items, I and F fields, groups, "$" and sign
// modes, with random lists of integers and reals, written both ways.
#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "records/format.h"
#include "records/statements.h"
#include "records/write_plan.h"

namespace versel {
namespace {

// The records of the format walk alone: a copy of the format whose plan is
// marked as tried and absent.
std::string walked(const Format& f, std::span<const Value> values) {
  Format walk_only = f;
  walk_only.write_plan.reset();
  walk_only.write_plan_tried = true;
  std::string out;
  std::string_view message;
  if (!write_records(walk_only, values, out, message)) return "error: " + std::string(message);
  return out;
}

std::string planned(const Format& f, std::span<const Value> values) {
  std::string out;
  std::string_view message;
  if (!write_records(f, values, out, message)) return "error: " + std::string(message);
  return out;
}

std::string random_items(std::mt19937& rng, int depth) {
  std::uniform_int_distribution<int> pick(0, 9), small(1, 4), width(1, 12), decimals(0, 4);
  std::string s;
  char item[32];
  int n = small(rng);
  for (int i = 0; i < n; ++i) {
    if (i) s += ',';
    item[0] = '\0';
    switch (pick(rng)) {
      case 0: std::snprintf(item, sizeof item, "%dx", small(rng)); break;
      case 1: std::snprintf(item, sizeof item, "i%d", width(rng)); break;
      case 2: std::snprintf(item, sizeof item, "i%d.%d", width(rng), decimals(rng)); break;
      case 3:
      case 4:
        std::snprintf(item, sizeof item, "%df%d.%d", small(rng), width(rng) + 2, decimals(rng));
        break;
      case 5: std::snprintf(item, sizeof item, "f8.2"); break;
      case 6: std::snprintf(item, sizeof item, "%s", pick(rng) < 5 ? "sp" : "ss"); break;
      case 7:
        if (depth < 2) {
          std::snprintf(item, sizeof item, "%d(", small(rng));
          s += item;
          s += random_items(rng, depth + 1);
          std::snprintf(item, sizeof item, ")");
        } else {
          std::snprintf(item, sizeof item, "1x");
        }
        break;
      case 8: std::snprintf(item, sizeof item, "tr%d", small(rng)); break;
      default: std::snprintf(item, sizeof item, "%s", pick(rng) < 2 ? "$" : "2x"); break;
    }
    s += item;
  }
  return s;
}

TEST(WritePlan, RecordsAreThoseOfTheFormatWalk) {
  std::mt19937 rng(4711u);
  std::uniform_int_distribution<int> count(0, 14), coin(0, 3), integer(-99999, 99999);
  std::uniform_int_distribution<std::uint32_t> bits;
  int planned_formats = 0, failures = 0;
  for (int n = 0; n < 20000 && failures < 20; ++n) {
    std::string text(1, '(');
    text += random_items(rng, 0);
    text += ')';
    Format f = translate(text, FormatOrigin::fixed);
    if (!f.error.empty()) continue;
    WritePlan plan;
    if (make_write_plan(f, plan)) ++planned_formats;
    // values: scalars and arrays of integers and reals, mostly in the order
    // of the fields, sometimes not
    std::vector<std::int32_t> int_array(4);
    std::vector<float> real_array(12);
    for (auto& i : int_array) i = integer(rng);
    for (auto& r : real_array)
      r = coin(rng) ? static_cast<float>(integer(rng)) / 100.0f : std::bit_cast<float>(bits(rng));
    std::vector<Value> values;
    int k = count(rng);
    for (int i = 0; i < k; ++i) {
      switch (coin(rng)) {
        case 0: values.emplace_back(integer(rng)); break;
        case 1: values.emplace_back(static_cast<float>(integer(rng)) / 10.0f); break;
        case 2: values.push_back(reals(std::span<const float>(real_array).first(
                    static_cast<std::size_t>(count(rng) % 13)))); break;
        default: values.push_back(versel::ints(std::span<const std::int32_t>(int_array))); break;
      }
    }
    std::string want = walked(f, values), got = planned(f, values);
    if (got != want) {
      ++failures;
      ADD_FAILURE() << text << " with " << values.size() << " values:\n  walk \"" << want
                    << "\"\n  plan \"" << got << "\"";
    }
  }
  EXPECT_GT(planned_formats, 1000) << "most random formats have a plan";
}

TEST(WritePlan, OnlyFormatsOfFixedFieldsHaveOne) {
  WritePlan plan;
  EXPECT_TRUE(make_write_plan(translate("(i5,30f8.2)", FormatOrigin::fixed), plan));
  EXPECT_EQ(plan.fields.size(), 31u);
  EXPECT_EQ(plan.fields[1].column, 5);
  EXPECT_TRUE(make_write_plan(translate("(1x,i4,2x,i2,2000(1x,f8.2))", FormatOrigin::fixed), plan));
  EXPECT_EQ(plan.fields.size(), 2002u);
  EXPECT_EQ(plan.fields[2].column, 10);
  EXPECT_TRUE(make_write_plan(translate("(2000(1x,f8.2),$)", FormatOrigin::fixed), plan));
  EXPECT_EQ(plan.dollar_after, 2000);
  for (const char* other : {"(1x,'reading in:',1x,a)", "(i4/f8.2)", "(t10,f8.2)", "(e12.4)",
                            "(1x,2(f8.2),30a)"})
    EXPECT_FALSE(make_write_plan(translate(other, FormatOrigin::fixed), plan)) << other;
}

}  // namespace
}  // namespace versel
