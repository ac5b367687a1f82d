#include "resources/Artwork.h"

#include "TonarelArtwork.h"

namespace Artwork
{
    EncodedPicture getEncoded (Picture picture)
    {
        using namespace TonarelArtwork;

        switch (picture)
        {
            case Picture::background: return { "background.png", background_png, background_pngSize };
            case Picture::windowIcon: return { "window_icon.jpg", window_icon_jpg, window_icon_jpgSize };
            case Picture::alertBackground:
                return { "alert_background.png", alert_background_png, alert_background_pngSize };
            case Picture::progressTrack:
                return { "progress_track.png", progress_track_png, progress_track_pngSize };
            case Picture::progressFill:
                return { "progress_fill.png", progress_fill_png, progress_fill_pngSize };
            case Picture::headerConnected:
                return { "header_connected.png", header_connected_png, header_connected_pngSize };
            case Picture::headerDisconnected:
                return { "header_disconnected.png", header_disconnected_png, header_disconnected_pngSize };
            case Picture::headerRight: return { "header_right.png", header_right_png, header_right_pngSize };
            case Picture::headerFill: return { "header_fill.png", header_fill_png, header_fill_pngSize };
            case Picture::headerCap: return { "header_cap.png", header_cap_png, header_cap_pngSize };
        }

        jassertfalse;
        return { "", nullptr, 0 };
    }

    juce::Image decode (Picture picture)
    {
        const auto encoded = getEncoded (picture);
        return juce::ImageFileFormat::loadFrom (encoded.data, encoded.size);
    }
}
