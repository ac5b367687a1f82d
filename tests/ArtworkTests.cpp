// The embedded pictures: size and file format of each, and the colours the
// drawing code relies on exactly (progress strips, the caption frame).

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <iterator>

#include "resources/Artwork.h"

namespace
{
    using Artwork::Picture;

    enum class Format
    {
        pngRgb,
        pngRgba,
        jpegRgb,
        unknown
    };

    const char* describe (Format format)
    {
        switch (format)
        {
            case Format::pngRgb: return "PNG RGB";
            case Format::pngRgba: return "PNG RGBA";
            case Format::jpegRgb: return "JPEG, 3 components";
            case Format::unknown: break;
        }

        return "something else";
    }

    /** The format as the file's own bytes tell it: the PNG colour type from the
        IHDR chunk, the number of components from a JPEG's SOF marker. */
    Format formatOf (const Artwork::EncodedPicture& encoded)
    {
        const auto* bytes = static_cast<const juce::uint8*> (encoded.data);
        const size_t size = encoded.size;

        static const juce::uint8 pngSignature[] = { 0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n' };

        if (size >= 33 && std::equal (std::begin (pngSignature), std::end (pngSignature), bytes))
        {
            if (std::memcmp (bytes + 12, "IHDR", 4) != 0 || bytes[24] != 8)
                return Format::unknown;

            return bytes[25] == 2 ? Format::pngRgb : bytes[25] == 6 ? Format::pngRgba : Format::unknown;
        }

        if (size >= 4 && bytes[0] == 0xff && bytes[1] == 0xd8)
        {
            // Walk the marker segments up to the frame header.
            for (size_t i = 2; i + 4 <= size && bytes[i] == 0xff;)
            {
                const auto marker = bytes[i + 1];
                const size_t length = (size_t) ((bytes[i + 2] << 8) | bytes[i + 3]);
                const bool startOfFrame =
                    marker >= 0xc0 && marker <= 0xcf && marker != 0xc4 && marker != 0xc8 && marker != 0xcc;

                if (startOfFrame)
                    return i + 9 < size && bytes[i + 9] == 3 ? Format::jpegRgb : Format::unknown;

                i += 2 + length;
            }
        }

        return Format::unknown;
    }

    juce::uint32 rgbAt (const juce::Image& image, int x, int y)
    {
        return image.getPixelAt (x, y).getARGB() & 0xffffffu;
    }

    juce::uint32 argbAt (const juce::Image& image, int x, int y)
    {
        return image.getPixelAt (x, y).getARGB();
    }
}

TEST (Artwork, EveryPictureHasTheSizeAndFormatOfTheTable)
{
    struct Expected
    {
        Picture picture;
        const char* fileName;
        int width, height;
        Format format;
    };

    const Expected table[] = {
        { Picture::background, "background.png", 1356, 836, Format::pngRgb },
        { Picture::windowIcon, "window_icon.jpg", 32, 32, Format::jpegRgb },
        { Picture::alertBackground, "alert_background.png", 928, 270, Format::pngRgba },
        { Picture::progressTrack, "progress_track.png", 278, 20, Format::pngRgb },
        { Picture::progressFill, "progress_fill.png", 1, 20, Format::pngRgb },
        { Picture::headerConnected, "header_connected.png", 288, 44, Format::pngRgba },
        { Picture::headerDisconnected, "header_disconnected.png", 288, 44, Format::pngRgba },
        { Picture::headerRight, "header_right.png", 288, 44, Format::pngRgba },
        { Picture::headerFill, "header_fill.png", 1, 44, Format::pngRgb },
        { Picture::headerCap, "header_cap.png", 7, 44, Format::pngRgba },
    };

    ASSERT_EQ (std::size (table), std::size (Artwork::allPictures));

    for (const auto& expected : table)
    {
        SCOPED_TRACE (expected.fileName);
        const auto encoded = Artwork::getEncoded (expected.picture);

        EXPECT_STREQ (encoded.fileName, expected.fileName);
        ASSERT_NE (encoded.data, nullptr);
        EXPECT_STREQ (describe (formatOf (encoded)), describe (expected.format));

        const auto image = Artwork::decode (expected.picture);
        ASSERT_TRUE (image.isValid());
        EXPECT_EQ (image.getWidth(), expected.width);
        EXPECT_EQ (image.getHeight(), expected.height);
        EXPECT_EQ (image.hasAlphaChannel(), expected.format == Format::pngRgba);
    }
}

TEST (Artwork, FixedColoursAndSeamlessCaptionPieces)
{
    // progress_fill: its twenty fixed rows.
    const juce::uint32 fillRows[] = { 0x999999, 0xf1f0fb, 0xdad9eb, 0xcdcde4, 0xbebedc, 0xafaed4, 0x9f9ecb,
                                      0x908ec3, 0x8583be, 0x7c7abc, 0x5a58ad, 0x4f4eaa, 0x5e5bb3, 0x6966bc,
                                      0x7471c6, 0x7f7ccf, 0x8a87d8, 0x9592e2, 0x9f9ce2, 0x999999 };
    const auto progressFill = Artwork::decode (Picture::progressFill);
    ASSERT_TRUE (progressFill.isValid());

    for (int row = 0; row < 20; ++row)
        EXPECT_EQ (rgbAt (progressFill, 0, row), fillRows[row]) << "progress_fill row " << row;

    // progress_track: the grey frame around it.
    const auto track = Artwork::decode (Picture::progressTrack);
    ASSERT_TRUE (track.isValid());

    for (int x = 0; x < track.getWidth(); ++x)
    {
        EXPECT_EQ (rgbAt (track, x, 0), 0x999999u) << "progress_track top, x " << x;
        EXPECT_EQ (rgbAt (track, x, track.getHeight() - 1), 0x999999u) << "progress_track bottom, x " << x;
    }

    for (int y = 0; y < track.getHeight(); ++y)
    {
        EXPECT_EQ (rgbAt (track, 0, y), 0x999999u) << "progress_track left, y " << y;
        EXPECT_EQ (rgbAt (track, track.getWidth() - 1, y), 0x999999u) << "progress_track right, y " << y;
    }

    // header_fill: the fixed frame rows; the bevel darkens steadily.
    const auto fill = Artwork::decode (Picture::headerFill);
    ASSERT_TRUE (fill.isValid());
    EXPECT_EQ (rgbAt (fill, 0, 0), 0x787777u);
    EXPECT_EQ (rgbAt (fill, 0, 1), 0x9a9a99u);
    EXPECT_EQ (rgbAt (fill, 0, 2), 0x000000u);
    EXPECT_EQ (rgbAt (fill, 0, 3), 0x9c9c9cu);
    EXPECT_EQ (rgbAt (fill, 0, 10), 0x747474u);

    for (int row = 4; row <= 10; ++row)
    {
        const auto colour = fill.getPixelAt (0, row);
        EXPECT_LT (colour.getRed(), fill.getPixelAt (0, row - 1).getRed()) << "bevel row " << row;
        EXPECT_TRUE (colour.getRed() == colour.getGreen() && colour.getGreen() == colour.getBlue())
            << "bevel row " << row << " is grey";
    }

    for (int row = 11; row <= 41; ++row)
        EXPECT_EQ (rgbAt (fill, 0, row), 0x000000u) << "header_fill row " << row;

    EXPECT_EQ (rgbAt (fill, 0, 42), 0xc6c6c5u);
    EXPECT_EQ (rgbAt (fill, 0, 43), 0xb5b4b4u);

    // header_cap: transparent outer corners; its left column continues the fill,
    // and each caption's right column runs into the fill without a seam.
    const auto cap = Artwork::decode (Picture::headerCap);
    ASSERT_TRUE (cap.isValid());
    EXPECT_EQ (cap.getPixelAt (6, 0).getAlpha(), 0);
    EXPECT_EQ (cap.getPixelAt (6, 43).getAlpha(), 0);

    for (int row = 0; row < 44; ++row)
        EXPECT_EQ (argbAt (cap, 0, row), argbAt (fill, 0, row)) << "header_cap column 0, row " << row;

    for (auto picture : { Picture::headerConnected, Picture::headerDisconnected, Picture::headerRight })
    {
        const auto caption = Artwork::decode (picture);
        ASSERT_TRUE (caption.isValid());
        SCOPED_TRACE (Artwork::getEncoded (picture).fileName);

        for (int row = 0; row < 44; ++row)
            EXPECT_EQ (argbAt (caption, caption.getWidth() - 1, row), argbAt (fill, 0, row))
                << "last column, row " << row;
    }
}
