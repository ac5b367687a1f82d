#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include "resources/Artwork.h"

/** The program's look: glass buttons, brushed-metal alert boxes, picture
    progress bars, thin translucent scrollbars.

    Owned by ContentComp and installed as the default look and feel for the
    content's whole life, so every framework component of the program is drawn
    through it. It derives from LookAndFeel_V2 because that look provides the
    glass lozenge and the default colours the rest of the drawing builds on.
    The colours are set once in the constructor and never change.
*/
class TonarelLookAndFeel : public juce::LookAndFeel_V2
{
public:
    TonarelLookAndFeel();
    ~TonarelLookAndFeel() override;

    //==============================================================================
    void drawButtonBackground (juce::Graphics&, juce::Button&, const juce::Colour& backgroundColour,
                               bool shouldDrawButtonAsHighlighted, bool shouldDrawButtonAsDown) override;

    void drawButtonText (juce::Graphics&, juce::TextButton&, bool shouldDrawButtonAsHighlighted,
                         bool shouldDrawButtonAsDown) override;

    void drawAlertBox (juce::Graphics&, juce::AlertWindow&, const juce::Rectangle<int>& textArea,
                       juce::TextLayout&) override;

    void drawProgressBar (juce::Graphics&, juce::ProgressBar&, int width, int height, double progress,
                          const juce::String& textToShow) override;

    //==============================================================================
    void drawScrollbarButton (juce::Graphics&, juce::ScrollBar&, int width, int height, int buttonDirection,
                              bool isScrollbarVertical, bool shouldDrawButtonAsHighlighted,
                              bool shouldDrawButtonAsDown) override;

    void drawScrollbar (juce::Graphics&, juce::ScrollBar&, int x, int y, int width, int height,
                        bool isScrollbarVertical, int thumbStartPosition, int thumbSize, bool isMouseOver,
                        bool isMouseDown) override;

    juce::ImageEffectFilter* getScrollbarEffect() override;

    //==============================================================================
    void drawTextEditorOutline (juce::Graphics&, int width, int height, juce::TextEditor&) override;
    void drawPopupMenuBackground (juce::Graphics&, int width, int height) override;
    void drawMenuBarBackground (juce::Graphics&, int width, int height, bool isMouseOverBar,
                                juce::MenuBarComponent&) override;

    /** Labels as the framework draws them, but for the folder line (the text of a file name
        chooser), which keeps the end of its path and leaves out the middle.
    */
    void drawLabel (juce::Graphics&, juce::Label&) override;

    void drawComboBox (juce::Graphics&, int width, int height, bool isMouseButtonDown, int buttonX,
                       int buttonY, int buttonW, int buttonH, juce::ComboBox&) override;
    juce::Font getComboBoxFont (juce::ComboBox&) override;

    //==============================================================================
    void drawLinearSlider (juce::Graphics&, int x, int y, int width, int height, float sliderPos,
                           float minSliderPos, float maxSliderPos, juce::Slider::SliderStyle,
                           juce::Slider&) override;
    int getSliderThumbRadius (juce::Slider&) override;
    juce::Button* createSliderButton (juce::Slider&, bool isIncrement) override;
    juce::ImageEffectFilter* getSliderEffect (juce::Slider&) override;

    //==============================================================================
    void drawCornerResizer (juce::Graphics&, int w, int h, bool isMouseOver, bool isMouseDragging) override;

    juce::Button* createDocumentWindowButton (int buttonType) override;
    void positionDocumentWindowButtons (juce::DocumentWindow&, int titleBarX, int titleBarY, int titleBarW,
                                        int titleBarH, juce::Button* minimiseButton,
                                        juce::Button* maximiseButton, juce::Button* closeButton,
                                        bool positionTitleBarButtonsOnLeft) override;

private:
    void drawSliderPointers (juce::Graphics&, int x, int y, int width, int height, float sliderPos,
                             float minSliderPos, float maxSliderPos, juce::Slider::SliderStyle,
                             juce::Slider&);

    juce::DropShadowEffect dropShadow;
    Artwork::ScaledPicture alertBackgroundImage, progressTrackImage, progressFillImage;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (TonarelLookAndFeel)
};
