#include "support/text/concealment.h"

#include "support/text/concealment_keys.h"
#include "support/text/text_conversion.h"

#include <random>

namespace orvanto {

namespace {

// Seeded once, the first time a key is drawn.
std::mt19937& RandomSource()
{
    static std::mt19937 source{std::random_device{}()};
    return source;
}

} // namespace

std::string Scramble(const std::string& data, const std::string& key, int mode)
{
    if (key.empty() || mode < 0 || mode > 3)
        return data;
    std::string out(data.size(), '\0');
    std::size_t keyIndex = 0;
    for (std::size_t i = 0; i < data.size(); ++i) {
        const int d = static_cast<unsigned char>(data[i]);
        const int k = static_cast<unsigned char>(key[keyIndex]);
        keyIndex = keyIndex + 1 == key.size() ? 0 : keyIndex + 1;
        int s = 0;
        switch (mode) {
        case 0: s = d + k > 255 ? d + k - 256 : d + k; break;
        case 1: s = d - k < 0 ? d - k + 256 : d - k; break;
        case 2: s = d + k > 255 ? d + k - 242 : d + k; break;
        default: s = d - k < 14 ? d - k + 242 : d - k; break;
        }
        out[i] = static_cast<char>(static_cast<unsigned char>(s & 0xFF));
    }
    return out;
}

std::string RandomKey()
{
    std::uniform_int_distribution<int> length(10, 50);
    std::uniform_int_distribution<int> pick(0, ConcealmentKeys::AlphabetDrawn - 1);
    auto& source = RandomSource();
    std::string key(static_cast<std::size_t>(length(source)), ' ');
    for (char& c : key)
        c = ConcealmentKeys::Alphabet[pick(source)];
    return key;
}

std::string HideText(const std::string& plain)
{
    const std::string key = RandomKey();
    std::string result(1, static_cast<char>(key.size() + 14));
    result += Scramble(key, ConcealmentKeys::Master, 3);
    result += Scramble(plain, key, 2);
    ReplaceAll(result, "'", "''");
    return result;
}

std::string RevealText(const std::string& concealed)
{
    if (concealed.empty())
        return {};
    std::string text = concealed;
    ReplaceAll(text, "''", "'");
    const int b = static_cast<unsigned char>(text[0]);
    // A key of 1..241 characters that the text actually holds; anything
    // else is damage, not a concealed text.
    if (b <= 14 || static_cast<std::size_t>(b - 14) > text.size() - 1)
        return {};
    const std::size_t keyLength = static_cast<std::size_t>(b - 14);
    const std::string key = Scramble(text.substr(1, keyLength), ConcealmentKeys::Master, 2);
    return Scramble(text.substr(1 + keyLength), key, 3);
}

} // namespace orvanto
