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

    for (auto piece : { Picture::headerDisconnected, Picture::headerRight, Picture::headerFill, Picture::headerCap })
        EXPECT_EQ (Artwork::decode (piece).getHeight(), captionHeight) << Artwork::getEncoded (piece).fileName;

    EXPECT_EQ (Artwork::decode (Picture::progressFill).getHeight(), Artwork::decode (Picture::progressTrack).getHeight());
}
