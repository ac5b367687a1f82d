// The look's drawing where a fault would show to the user: a progress fill that spills out of
// its track or lies about how far a job has got, button text that cannot be read, and the
// combo box's arrows on a disabled box. Colours and positions as such are left to the eye.

#include <gtest/gtest.h>

#include <juce_gui_basics/juce_gui_basics.h>

#include "app/PathElision.h"
#include "app/TonarelLookAndFeel.h"
#include "resources/Artwork.h"

using namespace juce;

namespace
{
    /** An off-screen image with a graphics context drawing straight into it. */
    struct Canvas
    {
        Canvas (int width, int height, Colour background)
            : image (Image::ARGB, width, height, true), g (image)
        {
            g.fillAll (background);
        }

        Colour at (int x, int y) const { return image.getPixelAt (x, y); }

        Image image;
        Graphics g;
    };

    int channelDistance (Colour a, Colour b)
    {
        return jmax (std::abs (a.getAlpha() - b.getAlpha()), std::abs (a.getRed() - b.getRed()),
                     std::abs (a.getGreen() - b.getGreen()), std::abs (a.getBlue() - b.getBlue()));
    }

    testing::AssertionResult isNear (Colour actual, Colour expected, int tolerance = 0)
    {
        if (channelDistance (actual, expected) <= tolerance)
            return testing::AssertionSuccess();

        return testing::AssertionFailure() << actual.toDisplayString (true) << " is not "
                                           << expected.toDisplayString (true) << " within " << tolerance;
    }
} // namespace

/** Installs the look as the default, as the main window's content does, so that components find
    its colours.
*/
class LookAndFeelDrawing : public testing::Test
{
protected:
    LookAndFeelDrawing() { LookAndFeel::setDefaultLookAndFeel (&lookAndFeel); }
    ~LookAndFeelDrawing() override { LookAndFeel::setDefaultLookAndFeel (nullptr); }

    TonarelLookAndFeel lookAndFeel;
};

TEST_F (LookAndFeelDrawing, ProgressFillStaysInsideTheTrackAndShowsTheTrueShare)
{
    const auto track = Artwork::decode (Artwork::Picture::progressTrack);
    const auto fill = Artwork::decode (Artwork::Picture::progressFill);
    double unused = 0.0;
    ProgressBar progressBar (unused);

    // Both pictures are tiled from one pixel in: bar pixel (x, y) shows picture pixel (x - 1, y - 1).
    const auto pictureAt = [] (const Image& picture, int x, int y)
    {
        const auto w = picture.getWidth(), h = picture.getHeight();
        return picture.getPixelAt ((x - 1 + w) % w, (y - 1 + h) % h);
    };

    for (const auto progress : { 0.0, 0.3, 1.0, 1.5 })
    {
        SCOPED_TRACE ("progress " + std::to_string (progress));
        Canvas bar (202, 23, Colours::red);
        lookAndFeel.drawProgressBar (bar.g, progressBar, 202, 23, progress, {});
        const auto filledColumns = roundToInt (200 * jmin (progress, 1.0));

        for (auto y = 0; y < 23; ++y)
            for (auto x = 0; x < 202; ++x)
            {
                const auto filled = x >= 1 && x <= filledColumns && y >= 1 && y <= 21;
                ASSERT_TRUE (isNear (bar.at (x, y), pictureAt (filled ? fill : track, x, y)))
                    << x << ", " << y;
            }
    }
}

TEST_F (LookAndFeelDrawing, ButtonTextIsReadableInEveryStateWhateverTheButtonsOwnColours)
{
    TextButton button ("HHHH");
    button.setSize (120, 30);
    button.setColour (TextButton::textColourOffId, Colours::red);
    button.setColour (TextButton::buttonColourId, Colours::red);

    for (const auto& [enabled, over, down] : { std::tuple { true, false, false },
                                               { true, true, false },
                                               { true, true, true },
                                               { false, true, true } })
    {
        SCOPED_TRACE (std::to_string (enabled) + std::to_string (over) + std::to_string (down));
        button.setEnabled (enabled);
        Canvas lozenge (120, 30, Colour (0xff808080));
        lookAndFeel.drawButtonBackground (lozenge.g, button, Colours::green, over, down);
        const auto background = lozenge.at (60, 15);

        lookAndFeel.drawButtonText (lozenge.g, button, over, down);
        auto strongest = 0.0f;

        for (auto y = 0; y < 30; ++y)
            for (auto x = 0; x < 120; ++x)
                strongest = jmax (strongest, std::abs (lozenge.at (x, y).getPerceivedBrightness() -
                                                       background.getPerceivedBrightness()));

        EXPECT_GT (strongest, 0.25f) << "the text hardly stands out from its lozenge";
        EXPECT_FALSE (isNear (background, Colours::red, 40)) << "the button's own colour shows";
    }
}

TEST_F (LookAndFeelDrawing, DisabledComboBoxShowsNoArrows)
{
    ComboBox box;
    box.setSize (150, 24);
    const auto background = Colours::white, buttonColour = Colour (0xff3060c0);
    box.setColour (ComboBox::backgroundColourId, background);
    box.setColour (ComboBox::buttonColourId, buttonColour);

    // The button is the 24-pixel square on the right: (138, 8) and (138, 16) are inside its
    // up and down arrows.
    const auto draw = [&]
    {
        auto canvas = std::make_unique<Canvas> (150, 24, Colours::black);
        lookAndFeel.drawComboBox (canvas->g, 150, 24, false, 126, 0, 24, 24, box);
        return canvas;
    };

    EXPECT_TRUE (isNear (draw()->at (138, 8), buttonColour, 2));
    box.setEnabled (false);
    const auto disabled = draw();
    EXPECT_TRUE (isNear (disabled->at (138, 8), background));
    EXPECT_TRUE (isNear (disabled->at (138, 16), background));
}

TEST (FolderLine, KeepsTheEndOfAPathAndLeavesOutTheMiddle)
{
    const Font font (14.0f);
    const String path ("/home/singer/Documents/Tonarel Librarian Files/Spring Tour 2026/Set 2");
    const auto fullWidth = font.getStringWidthFloat (path);
    const String ellipsis (CharPointer_UTF8 ("\xe2\x80\xa6"));

    EXPECT_EQ (elideMiddleOfPath (path, font, fullWidth + 1.0f), path) << "a path that fits stays whole";

    for (const auto share : { 0.8f, 0.5f, 0.3f })
    {
        const auto width = fullWidth * share;
        const auto shown = elideMiddleOfPath (path, font, width);
        EXPECT_TRUE (shown.endsWith (ellipsis + "/Set 2")) << shown;
        EXPECT_TRUE (shown.startsWith ("/home")) << shown;
        EXPECT_LE (font.getStringWidthFloat (shown), width) << shown;
    }

    SCOPED_TRACE ("a name too long by itself keeps its end");
    const auto longName = String ("/a/") + String::repeatedString ("Rehearsal ", 10) + "Final";
    const auto shown = elideMiddleOfPath (longName, font, font.getStringWidthFloat ("Rehearsal Final"));
    EXPECT_TRUE (shown.startsWith (ellipsis) && shown.endsWith ("Final")) << shown;
    EXPECT_LE (font.getStringWidthFloat (shown), font.getStringWidthFloat ("Rehearsal Final"));
}
