#include "support/records/component_record.h"

#include <cstring>

namespace orvanto {

namespace {

constexpr char Signature[] = "TPF0";
enum : unsigned char { TagInt8 = 2, TagInt16 = 3, TagInt32 = 4, TagShortText = 6, TagLongText = 12 };

void PutShortString(std::string& out, std::string_view text)
{
    out += char(static_cast<unsigned char>(text.size()));
    out.append(text.data(), text.size());
}

void PutLittleEndian(std::string& out, std::uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out += char((value >> (8 * i)) & 0xFF);
}

void PutValue(std::string& out, const TPropertyValue& value)
{
    if (const auto* number = std::get_if<std::int32_t>(&value)) {
        const std::int32_t v = *number;
        if (v >= -128 && v <= 127) {
            out += char(TagInt8);
            PutLittleEndian(out, std::uint32_t(v), 1);
        } else if (v >= -32768 && v <= 32767) {
            out += char(TagInt16);
            PutLittleEndian(out, std::uint32_t(v), 2);
        } else {
            out += char(TagInt32);
            PutLittleEndian(out, std::uint32_t(v), 4);
        }
        return;
    }
    const auto& text = std::get<std::string>(value);
    if (text.size() <= 255) {
        out += char(TagShortText);
        PutShortString(out, text);
    } else {
        out += char(TagLongText);
        PutLittleEndian(out, std::uint32_t(text.size()), 4);
        out += text;
    }
}

bool IsWritten(const TPropertyValue& value)
{
    const auto* text = std::get_if<std::string>(&value);
    return text == nullptr || !text->empty();
}

// Bounds-checked reading over the record bytes.
class TCursor {
public:
    TCursor(std::string_view data, std::size_t& position) : Data(data), Position(position) {}

    bool Byte(unsigned char& value)
    {
        if (Position >= Data.size())
            return false;
        value = static_cast<unsigned char>(Data[Position++]);
        return true;
    }
    bool Bytes(std::size_t count, std::string_view& out)
    {
        if (Position > Data.size() || count > Data.size() - Position)
            return false;
        out = Data.substr(Position, count);
        Position += count;
        return true;
    }
    bool Signed(int bytes, std::int32_t& value)
    {
        std::string_view raw;
        if (!Bytes(std::size_t(bytes), raw))
            return false;
        std::uint32_t v = 0;
        for (int i = bytes - 1; i >= 0; --i)
            v = (v << 8) | static_cast<unsigned char>(raw[i]);
        // Sign-extend from the value's own width.
        const int shift = 32 - 8 * bytes;
        value = static_cast<std::int32_t>(v << shift) >> shift;
        return true;
    }
    bool ShortString(std::string_view& out)
    {
        unsigned char length = 0;
        return Byte(length) && Bytes(length, out);
    }

private:
    std::string_view Data;
    std::size_t& Position;
};

bool ReadValue(TCursor& in, TPropertyKind kind, TPropertyValue& value)
{
    unsigned char tag = 0;
    if (!in.Byte(tag))
        return false;
    if (kind == TPropertyKind::Integer) {
        const int width = tag == TagInt8 ? 1 : tag == TagInt16 ? 2 : tag == TagInt32 ? 4 : 0;
        std::int32_t number = 0;
        if (width == 0 || !in.Signed(width, number))
            return false;
        value = number;
        return true;
    }
    std::string_view text;
    if (tag == TagShortText) {
        if (!in.ShortString(text))
            return false;
    } else if (tag == TagLongText) {
        std::int32_t length = 0;
        if (!in.Signed(4, length) || length < 0 || !in.Bytes(std::size_t(length), text))
            return false;
    } else {
        return false;
    }
    value = std::string(text);
    return true;
}

} // namespace

std::string WriteRecord(const TRecordType& type, const std::vector<TPropertyValue>& values)
{
    std::string out(Signature);
    PutShortString(out, type.TypeName);
    out += '\0'; // empty object name
    for (std::size_t i = 0; i < type.Properties.size() && i < values.size(); ++i) {
        if (!IsWritten(values[i]))
            continue;
        PutShortString(out, type.Properties[i].Name);
        PutValue(out, values[i]);
    }
    out += '\0'; // end of properties
    out += '\0'; // end of children
    return out;
}

bool ReadRecord(std::string_view data, std::size_t& position, const TRecordType& type,
                const TApplyProperty& apply)
{
    TCursor in(data, position);
    std::string_view signature, typeName, objectName;
    if (!in.Bytes(4, signature) || signature != std::string_view(Signature, 4))
        return false;
    if (!in.ShortString(typeName) || !in.ShortString(objectName))
        return false;
    for (;;) {
        std::string_view name;
        if (!in.ShortString(name))
            return false;
        if (name.empty())
            break;
        TPropertyValue value;
        std::size_t index = 0;
        while (index < type.Properties.size() && type.Properties[index].Name != name)
            ++index;
        if (index < type.Properties.size()) {
            if (!ReadValue(in, type.Properties[index].Kind, value))
                return false;
            apply(index, std::move(value));
        } else if (name == "Name") {
            if (!ReadValue(in, TPropertyKind::Text, value))
                return false;
        } else if (name == "Tag") {
            if (!ReadValue(in, TPropertyKind::Integer, value))
                return false;
        } else {
            return false;
        }
    }
    unsigned char endOfChildren = 1;
    return in.Byte(endOfChildren) && endOfChildren == 0;
}

} // namespace orvanto
