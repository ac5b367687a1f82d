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

    EncodedPicture getEncodedDoubled (Picture picture)
    {
        using namespace TonarelArtwork;

        switch (picture)
        {
            case Picture::background:
                return { "background_2x.png", background_2x_png, background_2x_pngSize };
            case Picture::windowIcon:
                return { "window_icon_2x.jpg", window_icon_2x_jpg, window_icon_2x_jpgSize };
            case Picture::alertBackground:
                return { "alert_background_2x.png", alert_background_2x_png, alert_background_2x_pngSize };
            case Picture::progressTrack:
                return { "progress_track_2x.png", progress_track_2x_png, progress_track_2x_pngSize };
            case Picture::progressFill:
                return { "progress_fill_2x.png", progress_fill_2x_png, progress_fill_2x_pngSize };
            case Picture::headerConnected:
                return { "header_connected_2x.png", header_connected_2x_png, header_connected_2x_pngSize };
            case Picture::headerDisconnected:
                return { "header_disconnected_2x.png", header_disconnected_2x_png,
                         header_disconnected_2x_pngSize };
            case Picture::headerRight:
                return { "header_right_2x.png", header_right_2x_png, header_right_2x_pngSize };
            case Picture::headerFill:
                return { "header_fill_2x.png", header_fill_2x_png, header_fill_2x_pngSize };
            case Picture::headerCap: return { "header_cap_2x.png", header_cap_2x_png, header_cap_2x_pngSize };
        }

        jassertfalse;
        return { "", nullptr, 0 };
    }

    ScaledPicture decodeScaled (Picture picture)
    {
        const auto doubled = getEncodedDoubled (picture);
        return { decode (picture), juce::ImageFileFormat::loadFrom (doubled.data, doubled.size) };
    }

    juce::FillType ScaledPicture::tiledFill (const juce::Graphics& g, juce::Point<float> anchor) const
    {
        // The doubled picture is drawn at half its size: one of its pixels on each pixel of the
        // display, with no resampling, where the context scales points by two.
        const auto pixelsPerPoint = g.getInternalContext().getPhysicalPixelScaleFactor();
        const auto& image = forScale (pixelsPerPoint);
        const auto scale = &image == &doubled ? 1.0f / (float) doubledScale : 1.0f;
        return juce::FillType (image, juce::AffineTransform::scale (scale).translated (anchor));
    }

    juce::Image decode (Picture picture)
    {
        const auto encoded = getEncoded (picture);
        return juce::ImageFileFormat::loadFrom (encoded.data, encoded.size);
    }
}
