// EncodableValue: the dynamically typed value of all method-channel traffic, and its list and map
// forms. Handlers test the alternative (std::get_if, std::holds_alternative) before they read it;
// std::get of the wrong alternative throws std::bad_variant_access.
//
// The alternative's index is the wire tag's order and the first key of the ordering below, so the
// order of the alternatives must never change.
#pragma once

#include <compare>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <typeinfo>
#include <utility>
#include <variant>
#include <vector>

class EncodableValue;

using EncodableValueList = std::vector<EncodableValue>;
using EncodableValueMap = std::map<EncodableValue, EncodableValue>;

// An application object carried inside a value. The standard codec cannot encode it (it writes
// null) and never produces it. Copies share the object, so a copied map key keeps its place:
// opaque values are ordered by the object's address.
class OpaqueValue {
 public:
  template <typename T>
  explicit OpaqueValue(std::shared_ptr<T> object) : object_(std::move(object)), type_(&typeid(T)) {}

  const std::type_info& Type() const { return *type_; }

  // The object when it was stored as a T, else null.
  template <typename T>
  T* Get() const {
    return *type_ == typeid(T) ? static_cast<T*>(object_.get()) : nullptr;
  }

  const void* Address() const { return object_.get(); }

 private:
  std::shared_ptr<void> object_;
  const std::type_info* type_;
};

using EncodableValueVariant =
    std::variant<std::monostate, bool, int32_t, int64_t, double, std::string, std::vector<uint8_t>,
                 std::vector<int32_t>, std::vector<int64_t>, std::vector<double>,
                 EncodableValueList, EncodableValueMap, OpaqueValue, std::vector<float>>;

class EncodableValue : public EncodableValueVariant {
 public:
  using EncodableValueVariant::EncodableValueVariant;
  using EncodableValueVariant::operator=;

  EncodableValue() = default;
  // Without this a string literal would have to be wrapped in std::string by every caller.
  EncodableValue(const char* text) : EncodableValueVariant(std::string(text)) {}  // NOLINT

  bool IsNull() const { return std::holds_alternative<std::monostate>(*this); }

  // Values order first by alternative index, then within the alternative: numbers by their
  // less-than, except that NaNs come after every number and are equivalent to one another
  // (-0.0 and +0.0 are equivalent too), so doubles are safe map keys; strings and byte lists over
  // unsigned bytes, lists lexicographically, maps over their (key, value) pairs in key order,
  // opaque values by address. A proper prefix comes first.
  //
  // Declaring the three-way comparison here also keeps std::variant's own one out of overload
  // resolution, whose constraint on the recursive list and map alternatives cannot be satisfied.
  friend std::weak_ordering operator<=>(const EncodableValue& left, const EncodableValue& right);
  // Same alternative and equal contents (so a NaN double is not equal to itself).
  friend bool operator==(const EncodableValue& left, const EncodableValue& right);
};
