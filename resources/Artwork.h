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

    /** Decodes the picture; an invalid image only if the embedded file is broken. */
    juce::Image decode (Picture picture);
}
