#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace orvanto {

// The "TPF0" property records that the language file and the archive
// container store: a type name, an empty object name, named typed values,
// and two closing zero bytes. One reader and one writer serve every record
// type; a type is just the list of its properties.

enum class TPropertyKind { Integer, Text };

struct TPropertyDecl {
    std::string Name;
    TPropertyKind Kind;
};

struct TRecordType {
    std::string TypeName;
    std::vector<TPropertyDecl> Properties;
};

using TPropertyValue = std::variant<std::int32_t, std::string>;

// Writes one record. values holds one entry per declared property, in the
// declared order; an integer is always written in its smallest tag, a text
// only when it is not empty.
std::string WriteRecord(const TRecordType& type, const std::vector<TPropertyValue>& values);

// Called for each declared property as soon as it is read, with its index in
// the type's declaration, so a property may depend on those before it.
using TApplyProperty = std::function<void(std::size_t index, TPropertyValue value)>;

// Reads one record starting at position and moves position past it. The
// base properties "Name" and "Tag" are accepted and ignored. False for a
// missing signature (the end of a sequence), data that ends inside the
// record, an unknown property, a tag that does not fit the property, or a
// bad end-of-children byte; position is then undefined.
bool ReadRecord(std::string_view data, std::size_t& position, const TRecordType& type,
                const TApplyProperty& apply);

} // namespace orvanto
