#include <gtest/gtest.h>
#include "records/format.h"
TEST(Smoke, Builds) { EXPECT_TRUE(versel::translate("(i4)", versel::FormatOrigin::fixed).error.empty()); }
