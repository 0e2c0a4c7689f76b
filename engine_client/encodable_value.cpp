#include "engine_client/encodable_value.h"

#include <cstdint>
#include <type_traits>

namespace {

// The ordering within one alternative. Scalars go through their less-than, so a NaN ranks
// equivalent instead of unordered and lists step past it as a lexicographic less-than would.
template <typename T>
std::partial_ordering orderOf(const T& left, const T& right) {
  if (left < right) return std::partial_ordering::less;
  if (right < left) return std::partial_ordering::greater;
  return std::partial_ordering::equivalent;
}

std::partial_ordering orderOf(const std::monostate&, const std::monostate&) {
  return std::partial_ordering::equivalent;
}

// char_traits<char>::compare orders the bytes as unsigned char.
std::partial_ordering orderOf(const std::string& left, const std::string& right) {
  return left.compare(right) <=> 0;
}

std::partial_ordering orderOf(const OpaqueValue& left, const OpaqueValue& right) {
  return orderOf(reinterpret_cast<std::uintptr_t>(left.Address()),
                 reinterpret_cast<std::uintptr_t>(right.Address()));
}

std::partial_ordering orderOf(const EncodableValue& left, const EncodableValue& right) {
  return left <=> right;
}

template <typename First, typename Second>
std::partial_ordering orderOf(const std::pair<First, Second>& left,
                              const std::pair<First, Second>& right) {
  const std::partial_ordering first = orderOf(left.first, right.first);
  return first != 0 ? first : orderOf(left.second, right.second);
}

template <typename Range>
std::partial_ordering orderOfRanges(const Range& left, const Range& right) {
  auto l = left.begin();
  auto r = right.begin();
  for (; l != left.end() && r != right.end(); ++l, ++r) {
    const std::partial_ordering element = orderOf(*l, *r);
    if (element != 0) return element;
  }
  if (l != left.end()) return std::partial_ordering::greater;
  if (r != right.end()) return std::partial_ordering::less;
  return std::partial_ordering::equivalent;
}

template <typename T>
std::partial_ordering orderOf(const std::vector<T>& left, const std::vector<T>& right) {
  return orderOfRanges(left, right);
}

std::partial_ordering orderOf(const EncodableValueMap& left, const EncodableValueMap& right) {
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

std::partial_ordering operator<=>(const EncodableValue& left, const EncodableValue& right) {
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
