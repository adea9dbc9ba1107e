// The scan for values that look like an undeclared missing-value flag.
#include <gtest/gtest.h>

#include <vector>

#include "collect/outliers.h"

namespace versel {
namespace {

constexpr float kFlag = -999.9f;

// Months of a plausible temperature series: -5.0 .. 24.9, none repeated
// often; `extra` months of `value` after them.
std::vector<float> months_with(float value, int extra, int normal = 600) {
  std::vector<float> m;
  for (int i = 0; i < normal; ++i) m.push_back(-5.0f + static_cast<float>((i * 37) % 300) / 10.0f);
  for (int i = 0; i < extra; ++i) m.push_back(value);
  return m;
}

std::vector<Outlier> scan(const std::vector<std::vector<float>>& stations) {
  OutlierScan s;
  s.flag = kFlag;
  for (const auto& m : stations) scan_months(s, m);
  return find_outliers(s);
}

TEST(Outliers, AnUndeclaredFlagIsNamedOnceItStandsInThreeMonths) {
  std::vector<Outlier> found = scan({months_with(999.9f, 3)});
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(found[0].value, 999.9f);
  EXPECT_EQ(found[0].count, 3);
  EXPECT_TRUE(found[0].largest);
  EXPECT_GT(found[0].deviations, 10.0);
  EXPECT_TRUE(scan({months_with(999.9f, 2)}).empty()) << "two months: a typo, not a flag";
  // below the others, across stations
  found = scan({months_with(-888.0f, 2), months_with(-888.0f, 2)});
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(found[0].value, -888.0f);
  EXPECT_EQ(found[0].count, 4);
  EXPECT_FALSE(found[0].largest);
}

TEST(Outliers, NothingStandsOutInPlainOrDryOrDeclaredData) {
  EXPECT_TRUE(scan({months_with(0.0f, 0)}).empty());
  // a dry station: many zeros at the median, a few rainy months
  std::vector<float> dry(500, 0.0f);
  for (int i = 0; i < 60; ++i) dry.push_back(static_cast<float>(i % 30) + 1.0f);
  EXPECT_TRUE(scan({dry}).empty());
  // the flag itself is missing, never an outlier
  EXPECT_TRUE(scan({months_with(kFlag, 50)}).empty());
  // all months alike: no spread to stand out of
  EXPECT_TRUE(scan({std::vector<float>(100, 7.5f)}).empty());
}

TEST(Outliers, TheOnlyNegativeValueOfAFileIsNamed) {
  std::vector<float> rain;
  for (int i = 0; i < 400; ++i) rain.push_back(static_cast<float>((i * 53) % 150));
  for (int i = 0; i < 5; ++i) rain.push_back(-9.0f);
  std::vector<Outlier> found = scan({rain});
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(found[0].value, -9.0f);
  EXPECT_TRUE(found[0].only_negative);
  // among temperatures with other negative values, -9 is a cold month
  EXPECT_TRUE(scan({months_with(-9.0f, 5)}).empty());
}

TEST(Outliers, ASampleOfAFileOfMillionsOfMonthsStillFindsTheFlag) {
  std::vector<std::vector<float>> stations;
  for (int k = 0; k < 40; ++k) stations.push_back(months_with(999.9f, 1, 60000));
  OutlierScan s;
  s.flag = kFlag;
  for (const auto& m : stations) scan_months(s, m);
  EXPECT_LE(s.sample.size(), kSampleLimit);
  EXPECT_GT(s.stride, 1u);
  std::vector<Outlier> found = find_outliers(s);
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(found[0].count, 40);
}

}  // namespace
}  // namespace versel
