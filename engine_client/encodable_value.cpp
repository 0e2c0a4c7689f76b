#include "engine_client/encodable_value.h"

#include <cmath>
#include <concepts>
#include <cstdint>
#include <type_traits>

namespace {

// The ordering within one alternative. Scalars go through their less-than.
template <typename T>
std::weak_ordering orderOf(const T& left, const T& right) {
  if (left < right) return std::weak_ordering::less;
  if (right < left) return std::weak_ordering::greater;
  return std::weak_ordering::equivalent;
}

// A NaN is unordered under less-than, which would make it equivalent to every number and break
// the transitivity std::map relies on. NaNs rank after every number and equivalent to each other;
// otherwise less-than decides, so -0.0 and +0.0 stay equivalent.
template <std::floating_point T>
std::weak_ordering orderOf(const T& left, const T& right) {
  const bool leftNan = std::isnan(left);
  const bool rightNan = std::isnan(right);
  if (leftNan || rightNan) return leftNan <=> rightNan;
  if (left < right) return std::weak_ordering::less;
  if (right < left) return std::weak_ordering::greater;
  return std::weak_ordering::equivalent;
}

std::weak_ordering orderOf(const std::monostate&, const std::monostate&) {
  return std::weak_ordering::equivalent;
}

// char_traits<char>::compare orders the bytes as unsigned char.
std::weak_ordering orderOf(const std::string& left, const std::string& right) {
  return left.compare(right) <=> 0;
}

std::weak_ordering orderOf(const OpaqueValue& left, const OpaqueValue& right) {
  return orderOf(reinterpret_cast<std::uintptr_t>(left.Address()),
                 reinterpret_cast<std::uintptr_t>(right.Address()));
}

std::weak_ordering orderOf(const EncodableValue& left, const EncodableValue& right) {
  return left <=> right;
}

template <typename First, typename Second>
std::weak_ordering orderOf(const std::pair<First, Second>& left,
                           const std::pair<First, Second>& right) {
  const std::weak_ordering first = orderOf(left.first, right.first);
  return first != 0 ? first : orderOf(left.second, right.second);
}

template <typename Range>
std::weak_ordering orderOfRanges(const Range& left, const Range& right) {
  auto l = left.begin();
  auto r = right.begin();
  for (; l != left.end() && r != right.end(); ++l, ++r) {
    const std::weak_ordering element = orderOf(*l, *r);
    if (element != 0) return element;
  }
  if (l != left.end()) return std::weak_ordering::greater;
  if (r != right.end()) return std::weak_ordering::less;
  return std::weak_ordering::equivalent;
}

template <typename T>
std::weak_ordering orderOf(const std::vector<T>& left, const std::vector<T>& right) {
  return orderOfRanges(left, right);
}

std::weak_ordering orderOf(const EncodableValueMap& left, const EncodableValueMap& right) {
  return orderOfRanges(left, right);
}

template <typename T>
bool equal(const T& left, const T& right) {
  return left == right;
}

bool equal(const std::monostate&, const std::monostate&) { return true; }

bool equal(const OpaqueValue& left, const OpaqueValue& right) {
  return left.Address() == right.Address();
}

const EncodableValueVariant& variantOf(const EncodableValue& value) { return value; }

}  // namespace

std::weak_ordering operator<=>(const EncodableValue& left, const EncodableValue& right) {
  if (left.index() != right.index()) {
    return orderOf(left.index(), right.index());
  }
  return std::visit(
      [&right](const auto& l) {
        return orderOf(l, *std::get_if<std::decay_t<decltype(l)>>(&variantOf(right)));
      },
      variantOf(left));
}

bool operator==(const EncodableValue& left, const EncodableValue& right) {
  return left.index() == right.index() &&
         std::visit(
             [&right](const auto& l) {
               return equal(l, *std::get_if<std::decay_t<decltype(l)>>(&variantOf(right)));
             },
             variantOf(left));
}
