#include <gtest/gtest.h>

#include <juce_gui_basics/juce_gui_basics.h>

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

    /** The pixel differing most from the background: the core of the glyphs. */
    Colour mostDistinctPixel (const Canvas& canvas, Colour background)
    {
        auto best = background;

        for (auto y = 0; y < canvas.image.getHeight(); ++y)
            for (auto x = 0; x < canvas.image.getWidth(); ++x)
                if (channelDistance (canvas.at (x, y), background) > channelDistance (best, background))
                    best = canvas.at (x, y);

        return best;
    }

    // The progress strip's rows, top to bottom; the rest of the artwork's look is free.
    constexpr uint32 progressFillRows[] = { 0xff999999, 0xfff1f0fb, 0xffdad9eb, 0xffcdcde4, 0xffbebedc,
                                            0xffafaed4, 0xff9f9ecb, 0xff908ec3, 0xff8583be, 0xff7c7abc,
                                            0xff5a58ad, 0xff4f4eaa, 0xff5e5bb3, 0xff6966bc, 0xff7471c6,
                                            0xff7f7ccf, 0xff8a87d8, 0xff9592e2, 0xff9f9ce2, 0xff999999 };
} // namespace

/** Installs the look as the default, as the main window's content does, so
    that components find its colours. */
class LookAndFeelDrawing : public testing::Test
{
protected:
    LookAndFeelDrawing() { LookAndFeel::setDefaultLookAndFeel (&lookAndFeel); }
    ~LookAndFeelDrawing() override { LookAndFeel::setDefaultLookAndFeel (nullptr); }

    TonarelLookAndFeel lookAndFeel;
};

//==============================================================================
TEST_F (LookAndFeelDrawing, ColourTableRoundsAlphaToNearestEven)
{
    // 0.6 × 255 is 153 exactly; 0.7 × 255 is the tie 178.5, which goes down to even.
    EXPECT_EQ (lookAndFeel.findColour (ProgressBar::backgroundColourId).getARGB(), 0x99ffffffu);
    EXPECT_EQ (lookAndFeel.findColour (ProgressBar::foregroundColourId).getARGB(), 0xb2008000u);
    EXPECT_EQ (lookAndFeel.findColour (ListBox::outlineColourId).getARGB(), 0xb2808080u);
    EXPECT_EQ (lookAndFeel.findColour (TextEditor::focusedOutlineColourId).getARGB(), 0xffbbbbffu);
}

TEST_F (LookAndFeelDrawing, ProgressBarTilesTrackAndFillPictures)
{
    const auto track = Artwork::decode (Artwork::Picture::progressTrack);
    ASSERT_EQ (track.getBounds(), Rectangle<int> (0, 0, 278, 20));

    double unused = 0.0;
    ProgressBar progressBar (unused);

    // Both pictures are anchored one pixel in: bar pixel (x, y) shows picture pixel (x - 1, y - 1), wrapped.
    const auto trackAt = [&] (int x, int y) { return track.getPixelAt ((x + 277) % 278, (y + 19) % 20); };
    const auto fillAt = [] (int y) { return Colour (progressFillRows[(y - 1) % 20]); };

    {
        SCOPED_TRACE ("at 0 %, a bar wider than the track picture repeats it unstretched");
        Canvas bar (600, 20, Colours::red);
        lookAndFeel.drawProgressBar (bar.g, progressBar, 600, 20, 0.0, "0%");

        for (auto y = 0; y < 20; ++y)
            for (auto x = 0; x < 600; ++x)
                ASSERT_TRUE (isNear (bar.at (x, y), trackAt (x, y))) << x << ", " << y;
    }

    for (const auto progress : { 1.0, 1.5 })
    {
        SCOPED_TRACE ("full (" + std::to_string (progress) + "): the fill stays one pixel inside");
        Canvas bar (200, 23, Colours::red);
        lookAndFeel.drawProgressBar (bar.g, progressBar, 200, 23, progress, {});

        for (auto y = 0; y < 23; ++y)
        {
            for (auto x = 0; x < 200; ++x)
            {
                const auto inside = x >= 1 && x <= 198 && y >= 1 && y <= 21;
                ASSERT_TRUE (isNear (bar.at (x, y), inside ? fillAt (y) : trackAt (x, y))) << x << ", " << y;
            }
        }
    }

    {
        SCOPED_TRACE ("30 % of a 200-pixel inner width fills 60 columns");
        Canvas bar (202, 20, Colours::red);
        lookAndFeel.drawProgressBar (bar.g, progressBar, 202, 20, 0.3, {});

        for (auto y = 1; y <= 18; ++y)
        {
            EXPECT_TRUE (isNear (bar.at (60, y), fillAt (y)));
            EXPECT_TRUE (isNear (bar.at (61, y), trackAt (61, y)));
        }
    }
}

TEST_F (LookAndFeelDrawing, TextButtonLookDependsOnlyOnItsState)
{
    TextButton button ("HHHH");
    button.setSize (120, 30);
    button.setColour (TextButton::textColourOffId, Colours::red);

    struct State
    {
        const char* name;
        bool enabled, over, down;
        uint32 lozenge, text;
    };

    for (const auto& state : { State { "enabled", true, false, false, 0xffe9e9ed, 0xff000000 },
                               State { "mouse over", true, true, false, 0xff847bc2, 0xffffffff },
                               State { "down", true, true, true, 0xff776fb0, 0xffffffff },
                               State { "disabled", false, true, true, 0xffa6a6a9, 0xff808080 } })
    {
        SCOPED_TRACE (state.name);
        button.setEnabled (state.enabled);

        // Four tenths down the lozenge its gradient shows the base colour itself.
        Canvas lozenge (120, 30, Colour (0xff808080));
        lookAndFeel.drawButtonBackground (lozenge.g, button, Colours::green, state.over, state.down);
        EXPECT_TRUE (isNear (lozenge.at (60, 12), Colour (state.lozenge), 4));

        Canvas text (120, 30, Colours::blue);
        lookAndFeel.drawButtonText (text.g, button, state.over, state.down);
        EXPECT_TRUE (isNear (mostDistinctPixel (text, Colours::blue), Colour (state.text), 12));
    }

    {
        SCOPED_TRACE ("the button's own colours and toggle state do not show");
        TextButton plain ("Save >"), coloured ("Save >");
        plain.setSize (100, 26);
        coloured.setSize (100, 26);
        coloured.setColour (TextButton::buttonColourId, Colours::red);
        coloured.setColour (TextButton::buttonOnColourId, Colours::green);
        coloured.setColour (TextButton::textColourOnId, Colours::yellow);
        coloured.setToggleState (true, dontSendNotification);

        const auto plainImage = plain.createComponentSnapshot (plain.getLocalBounds());
        const auto colouredImage = coloured.createComponentSnapshot (coloured.getLocalBounds());

        for (auto y = 0; y < 26; ++y)
            for (auto x = 0; x < 100; ++x)
                ASSERT_TRUE (isNear (colouredImage.getPixelAt (x, y), plainImage.getPixelAt (x, y)));
    }
}

TEST_F (LookAndFeelDrawing, ScrollbarDrawsGripsOnlyOnThumbsLongerThan16)
{
    ScrollBar scrollbar (true);

    // A vertical bar 16 wide with the thumb from y 40: column 7 is the thumb's middle.
    const auto drawThumb = [&] (int thumbSize)
    {
        auto canvas = std::make_unique<Canvas> (16, 120, Colour (0xff404040));
        lookAndFeel.drawScrollbar (canvas->g, scrollbar, 0, 0, 16, 120, true, 40, thumbSize, false, false);
        return canvas;
    };

    {
        SCOPED_TRACE ("a 16-pixel thumb is plain");
        const auto bar = drawThumb (16);

        for (auto y = 41; y < 55; ++y)
            EXPECT_TRUE (isNear (bar->at (7, y), bar->at (7, 41))) << y;
    }

    {
        SCOPED_TRACE (
            "a 17-pixel thumb has a dark line with a light one above at its middle and 4 either side");
        const auto bar = drawThumb (17);
        const auto brightness = [&] (int y) { return bar->at (7, y).getBrightness(); };

        for (const auto grip : { 44, 48, 52 })
        {
            EXPECT_LT (brightness (grip), brightness (41)) << grip;
            EXPECT_GT (brightness (grip - 1), brightness (41)) << grip;
        }
    }
}

TEST_F (LookAndFeelDrawing, ComboBoxArrowsFollowEnabledAndPressedState)
{
    ComboBox box;
    box.setSize (150, 24);
    const auto background = Colours::white, buttonColour = Colour (0xff3060c0);
    box.setColour (ComboBox::backgroundColourId, background);
    box.setColour (ComboBox::buttonColourId, buttonColour);

    // The button is the 24-pixel square on the right: (138, 8) and (138, 16)
    // are inside its up and down arrows, (128, 2) beside them.
    const auto draw = [&] (bool buttonDown)
    {
        auto canvas = std::make_unique<Canvas> (150, 24, Colours::black);
        lookAndFeel.drawComboBox (canvas->g, 150, 24, buttonDown, 126, 0, 24, 24, box);
        return canvas;
    };

    auto image = draw (false);
    EXPECT_TRUE (isNear (image->at (138, 8), buttonColour, 2));
    EXPECT_TRUE (isNear (image->at (138, 16), buttonColour, 2));
    EXPECT_TRUE (isNear (image->at (128, 2), background));

    image = draw (true);
    EXPECT_TRUE (isNear (image->at (138, 8), background, 2)) << "pressed: the colours swap";
    EXPECT_TRUE (isNear (image->at (128, 2), buttonColour)) << "pressed: the colours swap";

    box.setEnabled (false);
    image = draw (false);
    EXPECT_TRUE (isNear (image->at (138, 8), background)) << "disabled: no arrows";
    EXPECT_TRUE (isNear (image->at (138, 16), background)) << "disabled: no arrows";
}

TEST_F (LookAndFeelDrawing, AlertBoxIconShrinksOnCrowdedAlertsAndTextMakesRoomForIt)
{
    constexpr int width = 400, height = 200;
    const auto iconColour = Colour (0xfff4fff2);
    Component extraComponent;
    extraComponent.setSize (100, 20);

    const auto makeAlert = [&] (MessageBoxIconType icon, int numButtons, bool withExtraComponent)
    {
        auto alert = std::make_unique<AlertWindow> ("Title", "Message", icon);

        for (auto i = 0; i < numButtons; ++i)
            alert->addButton ("Button " + String (i), i);

        if (withExtraComponent)
            alert->addCustomComponent (&extraComponent);

        alert->setSize (width, height);
        return alert;
    };

    const auto draw = [&] (AlertWindow& alert, Rectangle<int> textArea, TextLayout layout = {})
    {
        auto canvas = std::make_unique<Canvas> (width, height, Colours::black);
        lookAndFeel.drawAlertBox (canvas->g, alert, textArea, layout);
        return canvas;
    };

    Canvas background (width, height, Colours::black);
    background.g.setTiledImageFill (Artwork::decode (Artwork::Picture::alertBackground), 0, 0, 1.0f);
    background.g.fillAll();

    // A 70-pixel icon's triangle reaches down to y 80, a 55-pixel one to y 65:
    // (30, 62) is inside both, (30, 76) only inside the larger.
    const Rectangle<int> lowTextArea (10, 10, 380, 5), highTextArea (10, 10, 380, 100);

    {
        SCOPED_TRACE ("two buttons: full-size icon");
        const auto alert = makeAlert (MessageBoxIconType::WarningIcon, 2, false);
        const auto image = draw (*alert, lowTextArea);
        EXPECT_TRUE (isNear (image->at (30, 76), iconColour));
        EXPECT_TRUE (isNear (image->at (30, 84), background.at (30, 84)));
    }

    for (const auto& [numButtons, withExtra] : { std::pair { 3, false }, std::pair { 2, true } })
    {
        SCOPED_TRACE (std::to_string (numButtons) + " buttons, extra component " +
                      std::to_string (withExtra));
        const auto alert = makeAlert (MessageBoxIconType::QuestionIcon, numButtons, withExtra);

        const auto low = draw (*alert, lowTextArea);
        EXPECT_TRUE (isNear (low->at (30, 62), iconColour));
        EXPECT_TRUE (isNear (low->at (30, 76), background.at (30, 76)))
            << "icon higher than the text area + 50";
        EXPECT_TRUE (isNear (draw (*alert, highTextArea)->at (30, 76), iconColour));
    }

    // The text sits in rows 100..140; returns the columns where it shows.
    const Rectangle<int> textArea (10, 100, 380, 40);

    const auto drawTextColumns = [&] (AlertWindow& alert, Justification justification)
    {
        AttributedString text;
        text.append ("Some message text", Font (15.0f));
        text.setJustification (justification);

        TextLayout layout;
        layout.createLayout (text, (float) textArea.getWidth());
        const auto image = draw (alert, textArea, layout);

        Range<int> columns;

        for (auto y = textArea.getY(); y < textArea.getBottom(); ++y)
            for (auto x = 1; x < width - 1; ++x)
                if (channelDistance (image->at (x, y), background.at (x, y)) > 60)
                    columns = columns.isEmpty() ? Range<int> (x, x + 1) : columns.getUnionWith (x);

        return columns;
    };

    {
        SCOPED_TRACE ("with an icon the text starts 100 pixels in");
        const auto alert = makeAlert (MessageBoxIconType::InfoIcon, 1, false);
        const auto columns = drawTextColumns (*alert, Justification::topLeft);
        EXPECT_GE (columns.getStart(), 110);
        EXPECT_LE (columns.getStart(), 114);
    }

    {
        SCOPED_TRACE ("without an icon: no triangle, text centred over the full area, outline all round");
        const auto alert = makeAlert (MessageBoxIconType::NoIcon, 3, false);
        const auto image = draw (*alert, lowTextArea);

        for (auto y = 20; y < 85; ++y)
            for (auto x = 15; x < 95; ++x)
                ASSERT_TRUE (isNear (image->at (x, y), background.at (x, y))) << x << ", " << y;

        const auto columns = drawTextColumns (*alert, Justification::centredTop);
        EXPECT_NEAR ((columns.getStart() + columns.getEnd()) / 2, textArea.getCentreX(), 3);

        for (const auto& [x, y] :
             { std::pair { 0, 150 }, std::pair { width - 1, 150 }, std::pair { 200, 0 } })
            EXPECT_TRUE (isNear (image->at (x, y), Colour (0xff666666)));
    }
}

TEST_F (LookAndFeelDrawing, TitleBarButtonsArePlacedFromTheOutsideIn)
{
    DocumentWindow window ("Window", Colours::grey, DocumentWindow::allButtons, false);
    TextButton minimise, maximise, close;

    // Title bar 400 × 30 at y 5: buttons 23 square (30 − 30/4), 8 from the top
    // (5 + 30/8), the close button set apart by 23 + 23/5 = 27.
    lookAndFeel.positionDocumentWindowButtons (window, 0, 5, 400, 30, &minimise, &maximise, &close, false);
    EXPECT_EQ (close.getBounds(), Rectangle<int> (373, 8, 23, 23));
    EXPECT_EQ (maximise.getBounds(), Rectangle<int> (346, 6, 23, 23));
    EXPECT_EQ (minimise.getBounds(), Rectangle<int> (323, 6, 23, 23));

    lookAndFeel.positionDocumentWindowButtons (window, 0, 5, 400, 30, &minimise, &maximise, &close, true);
    EXPECT_EQ (close.getBounds(), Rectangle<int> (4, 8, 23, 23)) << "on the left";
    EXPECT_EQ (minimise.getBounds(), Rectangle<int> (31, 6, 23, 23)) << "on the left";
    EXPECT_EQ (maximise.getBounds(), Rectangle<int> (54, 6, 23, 23)) << "on the left";

    lookAndFeel.positionDocumentWindowButtons (window, 0, 5, 400, 30, &minimise, &maximise, nullptr, false);
    EXPECT_EQ (maximise.getBounds(), Rectangle<int> (373, 6, 23, 23)) << "no close button, no gap";
    EXPECT_EQ (minimise.getBounds(), Rectangle<int> (350, 6, 23, 23)) << "no close button, no gap";
}
