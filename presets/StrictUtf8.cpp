#include "presets/StrictUtf8.h"

#include <cstdint>
#include <cstring>

namespace
{
    /** True when the eight bytes are all ASCII and none is zero. */
    bool isPlainAscii (uint64_t eightBytes) noexcept
    {
        constexpr uint64_t highBits = 0x8080808080808080u, lowBits = 0x0101010101010101u;
        const auto hasZeroByte = ((eightBytes - lowBits) & ~eightBytes & highBits) != 0;
        return (eightBytes & highBits) == 0 && ! hasZeroByte;
    }
} // namespace

bool isStrictUtf8 (const void* data, size_t size) noexcept
{
    const auto* bytes = static_cast<const uint8_t*> (data);

    for (size_t at = 0; at < size;)
    {
        // Plain ASCII, which is all of a file this program writes, goes eight bytes at a time.
        if (size - at >= sizeof (uint64_t))
        {
            uint64_t eightBytes;
            std::memcpy (&eightBytes, bytes + at, sizeof (eightBytes));

            if (isPlainAscii (eightBytes))
            {
                at += sizeof (eightBytes);
                continue;
            }
        }

        const auto lead = bytes[at];

        if (lead == 0)
            return false;

        if (lead < 0x80)
        {
            ++at;
            continue;
        }

        // The length of the sequence, and the smallest code point that needs that length.
        size_t length = 0;
        uint32_t codePoint = 0, smallest = 0;

        if ((lead & 0xe0) == 0xc0)
            length = 2, codePoint = lead & 0x1fu, smallest = 0x80;
        else if ((lead & 0xf0) == 0xe0)
            length = 3, codePoint = lead & 0x0fu, smallest = 0x800;
        else if ((lead & 0xf8) == 0xf0)
            length = 4, codePoint = lead & 0x07u, smallest = 0x10000;
        else
            return false;

        if (size - at < length)
            return false;

        for (size_t i = 1; i < length; ++i)
        {
            const auto continuation = bytes[at + i];

            if ((continuation & 0xc0) != 0x80)
                return false;

            codePoint = (codePoint << 6) | (continuation & 0x3fu);
        }

        if (codePoint < smallest || codePoint > 0x10ffff || (codePoint >= 0xd800 && codePoint <= 0xdfff))
            return false;

        at += length;
    }

    return true;
}
