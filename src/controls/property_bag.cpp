#include "controls/property_bag.h"

#include <cmath>
#include <type_traits>

#include "controls/runtime_numbers.h"

namespace arkstash::controls {

namespace {

template <typename T>
constexpr bool isNumber =
    std::is_same_v<T, bool> || std::is_same_v<T, std::int16_t> || std::is_same_v<T, std::int32_t> ||
    std::is_same_v<T, Colour> || std::is_same_v<T, float>;

// A stored boolean is -1 (True) or 0 to the runtime.
template <typename T>
double numberOf(T v) {
    if constexpr (std::is_same_v<T, bool>)
        return v ? -1.0 : 0.0;
    else
        return static_cast<double>(v);
}

template <typename T>
T numberAs(double d) {
    if constexpr (std::is_same_v<T, bool>) {
        return d != 0;
    } else if constexpr (std::is_same_v<T, std::int16_t>) {
        return toInteger(d);
    } else if constexpr (std::is_same_v<T, std::int32_t>) {
        return toLong(d);
    } else if constexpr (std::is_same_v<T, Colour>) {
        // Colours are 32-bit patterns: a negative long is a system colour index.
        if (d < 0) return static_cast<Colour>(toLong(d));
        double r = roundHalfEven(d);
        if (!(r <= 4294967295.0)) throw runtimeError(kErrOverflow);
        return static_cast<Colour>(r);
    } else {
        return toSingle(d);
    }
}

}  // namespace

template <typename T>
T convertProperty(const PropertyValue& value) {
    if (const T* exact = std::get_if<T>(&value)) return *exact;
    if constexpr (isNumber<T>) {
        return std::visit(
            [](const auto& v) -> T {
                using V = std::decay_t<decltype(v)>;
                if constexpr (isNumber<V>)
                    return numberAs<T>(numberOf(v));
                else
                    throw runtimeError(kErrTypeMismatch);
            },
            value);
    } else {
        throw runtimeError(kErrTypeMismatch);
    }
}

template <typename T>
T readAs(PropertyBag& bag, const std::string& name, const T& defaultValue) {
    return convertProperty<T>(bag.ReadProperty(name, PropertyValue(defaultValue)));
}

#define ARKSTASH_PROPERTY_TYPE(T)                        \
    template T convertProperty<T>(const PropertyValue&); \
    template T readAs<T>(PropertyBag&, const std::string&, const T&);
ARKSTASH_PROPERTY_TYPE(bool)
ARKSTASH_PROPERTY_TYPE(std::int16_t)
ARKSTASH_PROPERTY_TYPE(std::int32_t)
ARKSTASH_PROPERTY_TYPE(Colour)
ARKSTASH_PROPERTY_TYPE(float)
ARKSTASH_PROPERTY_TYPE(std::string)
ARKSTASH_PROPERTY_TYPE(StdFont)
ARKSTASH_PROPERTY_TYPE(StdPicture)
#undef ARKSTASH_PROPERTY_TYPE

PropertyValue MemoryPropertyBag::ReadProperty(const std::string& name,
                                              const PropertyValue& defaultValue) {
    auto it = values.find(name);
    PropertyValue answer = it != values.end() ? it->second : defaultValue;
    reads.push_back({name, answer, defaultValue});
    return answer;
}

void MemoryPropertyBag::WriteProperty(const std::string& name, const PropertyValue& value,
                                      const PropertyValue& defaultValue) {
    writes.push_back({name, value, defaultValue});
    if (value == defaultValue)
        values.erase(name);
    else
        values[name] = value;
}

}  // namespace arkstash::controls
