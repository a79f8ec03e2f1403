// Stored properties: a control reads its settings from a property bag when it is loaded and
// writes them back when it is saved, each under a name and with a default.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <variant>
#include <vector>

#include "controls/std_objects.h"
#include "controls/control_state.h"

namespace arkstash::controls {

// Booleans, 16- and 32-bit integers, colours, singles, texts, fonts and pictures.
using PropertyValue = std::variant<bool, std::int16_t, std::int32_t, Colour, float, std::string,
                                   StdFont, StdPicture>;

class PropertyBag {
  public:
    virtual ~PropertyBag() = default;
    // The value stored under `name`, or `defaultValue` when nothing is stored there.
    virtual PropertyValue ReadProperty(const std::string& name,
                                       const PropertyValue& defaultValue) = 0;
    // Stores a value; a value equal to its default may be left out.
    virtual void WriteProperty(const std::string& name, const PropertyValue& value,
                               const PropertyValue& defaultValue) = 0;
};

// Reads a property as a given type. Numbers and booleans convert into each other the way the
// runtime converts them (integers round halves to even and fail on overflow); any other
// mismatch fails with "Type mismatch".
template <typename T>
T readAs(PropertyBag& bag, const std::string& name, const T& defaultValue);

// Converts a stored value to a given type by the same rules.
template <typename T>
T convertProperty(const PropertyValue& value);

// A bag kept in memory that also records every access in order: a designer's store, and what
// tests read the load and save order from.
class MemoryPropertyBag : public PropertyBag {
  public:
    struct Access {
        std::string name;
        PropertyValue value;  // the value answered (read) or given (write)
        PropertyValue defaultValue;
    };

    std::map<std::string, PropertyValue> values;
    std::vector<Access> reads;
    std::vector<Access> writes;

    PropertyValue ReadProperty(const std::string& name, const PropertyValue& defaultValue) override;
    // A value equal to its default is not kept (and a value kept before is dropped).
    void WriteProperty(const std::string& name, const PropertyValue& value,
                       const PropertyValue& defaultValue) override;
};

}  // namespace arkstash::controls
