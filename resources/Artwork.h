#pragma once

#include <juce_graphics/juce_graphics.h>

/** The program's embedded pictures.

    The files under resources/ are compiled into the program; each owner decodes
    the pictures it draws when it is constructed and keeps its own copy.
*/
namespace Artwork
{
    enum class Picture
    {
        background,
        windowIcon,
        alertBackground,
        progressTrack,
        progressFill,
        headerConnected,
        headerDisconnected,
        headerRight,
        headerFill,
        headerCap
    };

    inline constexpr Picture allPictures[] = { Picture::background,         Picture::windowIcon,
                                               Picture::alertBackground,    Picture::progressTrack,
                                               Picture::progressFill,       Picture::headerConnected,
                                               Picture::headerDisconnected, Picture::headerRight,
                                               Picture::headerFill,         Picture::headerCap };

    /** The picture's file as it is stored in the program (PNG or JPEG bytes). */
    struct EncodedPicture
    {
        const char* fileName;
        const void* data;
        size_t size;
    };

    EncodedPicture getEncoded (Picture picture);

    /** The same picture drawn at twice its size, for displays that show two pixels per point. */
    EncodedPicture getEncodedDoubled (Picture picture);

    /** Decodes the picture; an invalid image only if the embedded file is broken. */
    juce::Image decode (Picture picture);

    /** A picture at its own size and at twice it. Drawn through tiledFill, the doubled one is
        used where a graphics context puts more than one pixel on a point (a HiDPI display), so
        that the picture is as sharp there as the text and lines the framework scales.
    */
    struct ScaledPicture
    {
        juce::Image normal, doubled;

        /** The picture as a tiled fill with its top-left corner at anchor, in points. */
        juce::FillType tiledFill (const juce::Graphics& g, juce::Point<float> anchor) const;

        /** The one of the two a context with that many pixels per point draws best. */
        const juce::Image& forScale (float pixelsPerPoint) const noexcept
        {
            return pixelsPerPoint > 1.0f && doubled.isValid() ? doubled : normal;
        }
    };

    ScaledPicture decodeScaled (Picture picture);

    /** The factor the doubled pictures are drawn at. */
    inline constexpr int doubledScale = 2;
}
