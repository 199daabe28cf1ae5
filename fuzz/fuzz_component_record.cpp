// Reads a sequence of records of a type with both kinds of property, as the
// language file and archive readers do.
#include "support/records/component_record.h"

#include <cstddef>
#include <cstdint>

using namespace orvanto;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const TRecordType type{"TBoxItem",
                                  {{"pName", TPropertyKind::Text},
                                   {"pSize", TPropertyKind::Integer},
                                   {"pData", TPropertyKind::Text}}};
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    std::size_t position = 0;
    std::size_t total = 0;
    while (position < bytes.size()
           && ReadRecord(bytes, position, type, [&](std::size_t, TPropertyValue value) {
                  if (auto* text = std::get_if<std::string>(&value))
                      total += text->size();
              })) {
    }
    return total > bytes.size() ? 1 : 0; // a value can never be longer than its record
}
