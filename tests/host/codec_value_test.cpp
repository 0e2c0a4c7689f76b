// The value model: construction picks the intended alternative, and the ordering that decides
// the write order of map keys.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <vector>

#include "engine_client/encodable_value.h"

namespace {

TEST(EncodableValue, ConstructorsPickTheIntendedAlternative) {
  EXPECT_TRUE(EncodableValue().IsNull());
  EXPECT_TRUE(std::holds_alternative<std::string>(EncodableValue("text")));
  EXPECT_TRUE(std::holds_alternative<bool>(EncodableValue(true)));
  EXPECT_TRUE(std::holds_alternative<int32_t>(EncodableValue(7)));
  EXPECT_TRUE(std::holds_alternative<int64_t>(EncodableValue(int64_t{7})));
  EXPECT_TRUE(std::holds_alternative<double>(EncodableValue(0.5)));
  EXPECT_TRUE(std::holds_alternative<std::vector<float>>(EncodableValue(std::vector<float>{1})));
  EXPECT_EQ(EncodableValue(EncodableValueList{}).index(), 10u);
  EXPECT_EQ(EncodableValue(EncodableValueMap{}).index(), 11u);
  EXPECT_EQ(EncodableValue(OpaqueValue(std::make_shared<int>(1))).index(), 12u);
  EXPECT_THROW(std::get<int32_t>(EncodableValue("x")), std::bad_variant_access);
}

TEST(EncodableValue, CopiesAreDeepAndCompareEqual) {
  EncodableValue original = EncodableValueList{EncodableValue("a"), EncodableValueMap{{1, 2}}};
  EncodableValue copy = original;
  std::get<EncodableValueList>(copy)[0] = "b";
  EXPECT_EQ(std::get<std::string>(std::get<EncodableValueList>(original)[0]), "a");
  EXPECT_NE(original, copy);
  std::get<EncodableValueList>(copy)[0] = "a";
  EXPECT_EQ(original, copy);
}

TEST(EncodableValue, OrdersByAlternativeFirst) {
  EXPECT_LT(EncodableValue(), EncodableValue(false));
  EXPECT_LT(EncodableValue(true), EncodableValue(int32_t{-5}));
  EXPECT_LT(EncodableValue(int32_t{100}), EncodableValue(int64_t{1}));
  EXPECT_LT(EncodableValue(1e9), EncodableValue(""));
  EXPECT_LT(EncodableValue(EncodableValueMap{}), EncodableValue(std::vector<float>{}));
  EXPECT_FALSE(EncodableValue() < EncodableValue());
}

TEST(EncodableValue, OrdersWithinAnAlternative) {
  EXPECT_LT(EncodableValue(false), EncodableValue(true));
  EXPECT_LT(EncodableValue(int64_t{-2}), EncodableValue(int64_t{1}));
  // Bytes compare unsigned: 0x7F before 0x80, in strings and byte lists alike.
  EXPECT_LT(EncodableValue("\x7f"), EncodableValue("\x80"));
  EXPECT_LT(EncodableValue(std::vector<uint8_t>{0x7F}), EncodableValue(std::vector<uint8_t>{0x80}));
  EXPECT_LT(EncodableValue("ab"), EncodableValue("abc"));
  EXPECT_LT(EncodableValue(std::vector<int32_t>{1, 2}), EncodableValue(std::vector<int32_t>{1, 3}));
  EXPECT_LT(EncodableValue(std::vector<double>{1}), EncodableValue(std::vector<double>{1, 0}));
  EXPECT_LT(EncodableValue(EncodableValueList{1, "z"}), EncodableValue(EncodableValueList{2}));
  EXPECT_LT(EncodableValue(EncodableValueList{}),
            EncodableValue(EncodableValueList{EncodableValue()}));
  // Maps compare their pairs in key order: equal keys, then the values decide.
  EXPECT_LT(EncodableValue(EncodableValueMap{{"a", 1}}),
            EncodableValue(EncodableValueMap{{"a", 2}}));
  EXPECT_LT(EncodableValue(EncodableValueMap{{"a", 9}}),
            EncodableValue(EncodableValueMap{{"b", 0}}));
}

// NaN under a plain less-than is equivalent to every number, which is no strict weak ordering:
// a map holding it misplaces keys. NaNs rank last and as one key; -0.0 and +0.0 are one key too.
TEST(EncodableValue, DoubleKeysIncludingNanAndSignedZeroKeepAStrictWeakOrder) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  EncodableValueMap map;
  for (double key : {nan, 1.0, -inf, -0.0, inf, 0.0, -nan, -1.0}) {
    map.emplace(key, key);
  }
  std::vector<double> keys;
  for (const auto& [key, value] : map) keys.push_back(std::get<double>(key));
  ASSERT_EQ(keys.size(), 6u);
  EXPECT_EQ(keys[0], -inf);
  EXPECT_EQ(keys[1], -1.0);
  EXPECT_TRUE(std::signbit(keys[2]));  // -0.0 came first and stays the key of 0.0
  EXPECT_EQ(keys[3], 1.0);
  EXPECT_EQ(keys[4], inf);
  EXPECT_TRUE(std::isnan(keys[5]));
  EXPECT_EQ(map.count(EncodableValue(-nan)), 1u);
  EXPECT_EQ(map.count(EncodableValue(0.0)), 1u);
  // Equality stays the floating-point one.
  EXPECT_NE(EncodableValue(nan), EncodableValue(nan));
  EXPECT_EQ(EncodableValue(-0.0), EncodableValue(0.0));

  // The same rule inside typed lists, element by element.
  EXPECT_LT(EncodableValue(std::vector<double>{inf}), EncodableValue(std::vector<double>{nan}));
  EXPECT_LT(EncodableValue(std::vector<double>{nan, 1}),
            EncodableValue(std::vector<double>{nan, 2}));
  EXPECT_LT(EncodableValue(std::vector<float>{1, std::nanf("")}),
            EncodableValue(std::vector<float>{std::nanf(""), 0}));
  EXPECT_FALSE(EncodableValue(std::vector<float>{-0.0f}) < EncodableValue(std::vector<float>{0}));
}

TEST(EncodableValue, OpaqueValuesOrderByAddressAndKeepTheirObject) {
  auto first = std::make_shared<int>(1);
  auto second = std::make_shared<int>(2);
  const EncodableValue a = OpaqueValue(first);
  const EncodableValue b = OpaqueValue(second);
  EXPECT_EQ(a < b, first.get() < second.get());
  const EncodableValue copy = a;
  EXPECT_EQ(copy, a);
  const auto& opaque = std::get<OpaqueValue>(copy);
  EXPECT_EQ(opaque.Get<int>(), first.get());
  EXPECT_EQ(opaque.Get<double>(), nullptr);
  EXPECT_EQ(opaque.Type(), typeid(int));
}

TEST(EncodableValue, MapKeysLookUpAsStringValues) {
  EncodableValueMap map{{"enabled", true}, {int32_t{1}, "one"}};
  EXPECT_EQ(map.count(EncodableValue("enabled")), 1u);
  EXPECT_EQ(map.count(EncodableValue(int64_t{1})), 0u);
  EXPECT_EQ(map.begin()->first, EncodableValue(int32_t{1}));
}

}  // namespace
