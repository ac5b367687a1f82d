// The embedded pictures: each one the drawing code asks for has to decode, and the pieces that
// are drawn side by side or tiled have to fit each other. Their looks are left to the eye.

#include <gtest/gtest.h>

#include "resources/Artwork.h"

TEST (Artwork, EveryPictureDecodesAndTheTiledPiecesFitEachOther)
{
    using Artwork::Picture;

    for (auto picture : Artwork::allPictures)
    {
        const auto encoded = Artwork::getEncoded (picture);
        SCOPED_TRACE (encoded.fileName);
        ASSERT_NE (encoded.data, nullptr);
        EXPECT_FALSE (Artwork::decode (picture).getBounds().isEmpty());
    }

    // The caption is drawn from five pieces in one row, and the progress fill is tiled inside
    // the track's one-pixel frame.
    const auto captionHeight = Artwork::decode (Picture::headerConnected).getHeight();

    for (auto piece :
         { Picture::headerDisconnected, Picture::headerRight, Picture::headerFill, Picture::headerCap })
        EXPECT_EQ (Artwork::decode (piece).getHeight(), captionHeight)
            << Artwork::getEncoded (piece).fileName;

    EXPECT_EQ (Artwork::decode (Picture::progressFill).getHeight(),
               Artwork::decode (Picture::progressTrack).getHeight());
}

TEST (Artwork, DoubledPicturesAreTwiceTheSizeAndDrawnPixelForPixelWhereAPointIsTwoPixels)
{
    for (auto picture : Artwork::allPictures)
    {
        const auto scaled = Artwork::decodeScaled (picture);
        SCOPED_TRACE (Artwork::getEncodedDoubled (picture).fileName);
        ASSERT_TRUE (scaled.doubled.isValid());
        EXPECT_EQ (scaled.doubled.getBounds(), scaled.normal.getBounds() * Artwork::doubledScale)
            << "a doubled piece of another size would not tile with the others";
    }

    // A caption filled into a context of two pixels per point, as a HiDPI display paints: each
    // pixel is the doubled picture's own, not the normal one enlarged.
    const auto caption = Artwork::decodeScaled (Artwork::Picture::headerConnected);
    const auto width = caption.normal.getWidth(), height = caption.normal.getHeight();

    for (const auto scale : { 1, 2 })
    {
        SCOPED_TRACE ("scale " + std::to_string (scale));
        juce::Image screen (juce::Image::ARGB, (width + 10) * scale, (height + 10) * scale, true);
        {
            juce::Graphics g (screen);
            g.addTransform (juce::AffineTransform::scale ((float) scale));
            g.setFillType (caption.tiledFill (g, { 5.0f, 5.0f }));
            g.fillRect (5, 5, width, height);
        }

        const auto& expected = scale == 1 ? caption.normal : caption.doubled;
        auto differing = 0;

        for (int y = 0; y < expected.getHeight(); ++y)
            for (int x = 0; x < expected.getWidth(); ++x)
                differing +=
                    screen.getPixelAt (5 * scale + x, 5 * scale + y) != expected.getPixelAt (x, y) ? 1 : 0;

        EXPECT_EQ (differing, 0);
    }
}
