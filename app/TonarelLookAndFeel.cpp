#include "app/TonarelLookAndFeel.h"

#include "app/PathElision.h"
#include "librarian/FocusRing.h"

#include "resources/Artwork.h"

using namespace juce;

namespace
{
    // Buttons: a pale glass lozenge that turns violet under the mouse.
    const Colour paleGlass (0xffe9e9ed);
    const Colour violetGlass (0xff847bc2);
    constexpr float buttonCornerSize = 6.0f;
    constexpr float connectedEdgeIndent = 0.1f;
    constexpr float buttonFontHeight = 14.0f;
    constexpr int maxButtonTextLines = 2;
    constexpr float minButtonTextScale = 0.7f;

    // Alert boxes: a rounded triangle holding the icon's character.
    constexpr int alertIconInset = 20;
    constexpr int maxAlertIconSize = 70;
    constexpr int alertTextIndentForIcon = 100;
    constexpr float alertIconCornerRadius = 5.0f;
    const Colour alertIconColour (0xfff4fff2);
    const Colour alertIconCharacterColour (0xff6363cf);

    // Scrollbars: thumbs smaller than this have no room for grip lines.
    constexpr int minThumbSizeForGrips = 16;
    constexpr int gripSpacing = 4;

    constexpr float sliderPointerLength = 7.0f;

    // JUCE's drop shadow takes a whole-pixel radius: the 2.2 pixels the look was
    // designed with round to 2.
    constexpr float shadowRadius = 2.2f;
    constexpr float shadowOpacity = 0.5f;

    Path triangle (float x1, float y1, float x2, float y2, float x3, float y3)
    {
        Path path;
        path.addTriangle (x1, y1, x2, y2, x3, y3);
        return path;
    }

    /** The icon shrinks on crowded alerts so that it never pushes into the
        components and buttons below the text. */
    Rectangle<int> getAlertIconArea (const AlertWindow& alert, const Rectangle<int>& textArea)
    {
        auto iconSize = jmin (alert.getHeight() + 20, maxAlertIconSize);

        if (alert.containsAnyExtraComponents() || alert.getNumButtons() > 2)
            iconSize = jmin (iconSize, textArea.getHeight() + 50);

        return { alertIconInset, alertIconInset, iconSize, iconSize - 10 };
    }

    juce_wchar getAlertIconCharacter (MessageBoxIconType type)
    {
        switch (type)
        {
            case MessageBoxIconType::QuestionIcon: return '?';
            case MessageBoxIconType::WarningIcon: return '!';
            case MessageBoxIconType::InfoIcon: return 'i';
            case MessageBoxIconType::NoIcon: break;
        }

        return 0;
    }

    void drawAlertIcon (Graphics& g, MessageBoxIconType type, Rectangle<int> area)
    {
        const auto box = area.toFloat();

        g.setColour (alertIconColour);
        g.fillPath (triangle (box.getCentreX(), box.getY(), box.getRight(), box.getBottom(), box.getX(),
                              box.getBottom())
                        .createPathWithRoundedCorners (alertIconCornerRadius));

        // The character sits a little low, where the triangle is wide enough for it.
        g.setColour (alertIconCharacterColour);
        g.setFont (Font ((float) area.getHeight() * 0.9f, Font::bold));
        g.drawText (String::charToString (getAlertIconCharacter (type)),
                    area.withHeight (area.getHeight() + area.getHeight() / 8), Justification::centred, false);
    }

    void drawScrollbarGrips (Graphics& g, int x, int y, int width, int height, bool isScrollbarVertical,
                             int thumbStartPosition, int thumbSize)
    {
        const auto centre = (float) thumbStartPosition + (float) thumbSize * 0.5f;
        const auto thickness = (float) (isScrollbarVertical ? width : height);
        const auto across =
            Range<float> (0.2f * thickness, 0.8f * thickness) + (float) (isScrollbarVertical ? x : y);

        const auto drawGrip = [&] (int position)
        {
            if (isScrollbarVertical)
                g.drawHorizontalLine (position, across.getStart(), across.getEnd());
            else
                g.drawVerticalLine (position, across.getStart(), across.getEnd());
        };

        for (const auto offset : { gripSpacing, 0, -gripSpacing })
        {
            const auto position = (int) (centre + (float) offset);

            g.setColour (Colours::black.withAlpha (0.15f));
            drawGrip (position);
            g.setColour (Colours::white.withAlpha (0.15f));
            drawGrip (position - 1);
        }
    }

    Path lineShape (std::initializer_list<Line<float>> lines, float thickness)
    {
        Path shape;

        for (const auto& line : lines)
            shape.addLineSegment (line, thickness);

        return shape;
    }

    Button* createTitleBarDrawableButton (const String& name, const Path& shape)
    {
        DrawablePath image;
        image.setPath (shape);
        image.setFill (Colours::black.withAlpha (0.3f));

        auto* button = new DrawableButton (name, DrawableButton::ImageFitted);
        button->setImages (&image);
        return button;
    }
} // namespace

//==============================================================================
TonarelLookAndFeel::TonarelLookAndFeel()
{
    setColour (TextButton::buttonColourId, Colour (0xffbbbbff));
    setColour (ListBox::outlineColourId, findColour (ComboBox::outlineColourId));
    setColour (ScrollBar::thumbColourId, Colour (0xffbbbbdd));
    setColour (ScrollBar::backgroundColourId, Colours::transparentBlack);
    setColour (Slider::thumbColourId, Colour (0xffffffff));
    setColour (Slider::trackColourId, Colour (0x7f000000));
    setColour (Slider::textBoxOutlineColourId, Colour (0xff808080));
    setColour (ProgressBar::backgroundColourId, Colours::white.withAlpha (0.6f));
    setColour (ProgressBar::foregroundColourId, Colour (0xff008000).withAlpha (0.7f));
    setColour (PopupMenu::backgroundColourId, Colour (0xffeef5f8));
    setColour (PopupMenu::highlightedBackgroundColourId, Colour (0xbfa4c2ce));
    setColour (PopupMenu::highlightedTextColourId, Colour (0xff000000));
    setColour (TextEditor::focusedOutlineColourId, findColour (TextButton::buttonColourId));

    alertBackgroundImage = Artwork::decodeScaled (Artwork::Picture::alertBackground);
    progressTrackImage = Artwork::decodeScaled (Artwork::Picture::progressTrack);
    progressFillImage = Artwork::decodeScaled (Artwork::Picture::progressFill);

    // Only a broken build can embed a picture the decoder rejects.
    jassert (alertBackgroundImage.normal.isValid() && progressTrackImage.normal.isValid() &&
             progressFillImage.normal.isValid());

    dropShadow.setShadowProperties (
        DropShadow (Colours::black.withAlpha (shadowOpacity), roundToInt (shadowRadius), {}));
}

TonarelLookAndFeel::~TonarelLookAndFeel() = default;

//==============================================================================
// The button's own colours and toggle state are deliberately ignored: every text button of the
// program looks the same. The one that has the keyboard wears the focus ring.
void TonarelLookAndFeel::drawButtonBackground (Graphics& g, Button& button, const Colour&,
                                               bool shouldDrawButtonAsHighlighted,
                                               bool shouldDrawButtonAsDown)
{
    const auto enabled = button.isEnabled();
    const auto outlineThickness =
        ! enabled ? 0.4f : (shouldDrawButtonAsHighlighted || shouldDrawButtonAsDown ? 1.2f : 0.7f);
    const auto halfThickness = outlineThickness * 0.5f;

    const auto indentL = button.isConnectedOnLeft() ? connectedEdgeIndent : halfThickness;
    const auto indentR = button.isConnectedOnRight() ? connectedEdgeIndent : halfThickness;
    const auto indentT = button.isConnectedOnTop() ? connectedEdgeIndent : halfThickness;
    const auto indentB = button.isConnectedOnBottom() ? connectedEdgeIndent : halfThickness;

    const auto colour = ! enabled                       ? paleGlass.darker (0.4f)
                        : shouldDrawButtonAsDown        ? violetGlass.darker (0.1f)
                        : shouldDrawButtonAsHighlighted ? violetGlass
                                                        : paleGlass;

    drawGlassLozenge (g, indentL, indentT, (float) button.getWidth() - indentL - indentR,
                      (float) button.getHeight() - indentT - indentB, colour, outlineThickness,
                      buttonCornerSize, button.isConnectedOnLeft(), button.isConnectedOnRight(),
                      button.isConnectedOnTop(), button.isConnectedOnBottom());

    if (button.hasKeyboardFocus (false))
    {
        g.setColour (FocusRing::colour);
        g.drawRoundedRectangle (button.getLocalBounds().toFloat().reduced (FocusRing::thickness * 0.5f),
                                buttonCornerSize, (float) FocusRing::thickness);
    }
}

void TonarelLookAndFeel::drawButtonText (Graphics& g, TextButton& button, bool shouldDrawButtonAsHighlighted,
                                         bool shouldDrawButtonAsDown)
{
    const Font font (buttonFontHeight, Font::bold);
    g.setFont (font);
    g.setColour (! button.isEnabled()                                      ? Colour (0xff808080)
                 : shouldDrawButtonAsHighlighted || shouldDrawButtonAsDown ? Colours::white
                                                                           : Colours::black);

    const auto yIndent = jmin (4, button.proportionOfHeight (0.3f));
    const auto cornerSize = jmin (button.getHeight(), button.getWidth()) / 2;
    const auto fontHeight = roundToInt (font.getHeight() * 0.6f);
    const auto leftIndent = jmin (fontHeight, 2 + cornerSize / (button.isConnectedOnLeft() ? 4 : 2));
    const auto rightIndent = jmin (fontHeight, 2 + cornerSize / (button.isConnectedOnRight() ? 4 : 2));

    g.drawFittedText (button.getButtonText(), leftIndent, yIndent,
                      button.getWidth() - leftIndent - rightIndent, button.getHeight() - yIndent * 2,
                      Justification::centred, maxButtonTextLines, minButtonTextScale);
}

//==============================================================================
void TonarelLookAndFeel::drawAlertBox (Graphics& g, AlertWindow& alert, const Rectangle<int>& textArea,
                                       TextLayout& textLayout)
{
    g.setFillType (alertBackgroundImage.tiledFill (g, { 0.0f, 0.0f }));
    g.fillRect (alert.getLocalBounds());

    auto textBounds = textArea;

    if (alert.getAlertType() != MessageBoxIconType::NoIcon)
    {
        drawAlertIcon (g, alert.getAlertType(), getAlertIconArea (alert, textArea));
        textBounds = textArea.withTrimmedLeft (alertTextIndentForIcon);
    }

    // The alert builds its layout aligned top-left when it has an icon and
    // centred at the top when it has none; the layout carries its own colour.
    g.setColour (alert.findColour (AlertWindow::textColourId));
    textLayout.draw (g, textBounds.toFloat());

    g.setColour (alert.findColour (AlertWindow::outlineColourId));
    g.drawRect (alert.getLocalBounds());
}

// The bar is drawn from pictures only; its colours and its text are not used.
void TonarelLookAndFeel::drawProgressBar (Graphics& g, ProgressBar&, int width, int height, double progress,
                                          const String&)
{
    g.setFillType (progressTrackImage.tiledFill (g, { 1.0f, 1.0f }));
    g.fillRect (0, 0, width, height);

    const auto innerWidth = jmax (0, width - 2);
    const auto filledWidth = jlimit (0, innerWidth, roundToInt ((double) innerWidth * progress));

    g.setFillType (progressFillImage.tiledFill (g, { 1.0f, 1.0f }));
    g.fillRect (1, 1, filledWidth, height - 2);
}

//==============================================================================
void TonarelLookAndFeel::drawScrollbarButton (Graphics& g, ScrollBar& scrollbar, int width, int height,
                                              int buttonDirection, bool isScrollbarVertical,
                                              bool shouldDrawButtonAsHighlighted, bool shouldDrawButtonAsDown)
{
    const auto w = (float) (isScrollbarVertical ? width - 2 : width);
    const auto h = (float) (isScrollbarVertical ? height : height - 2);

    Path arrow;

    switch (buttonDirection)
    {
        case 0: arrow = triangle (w * 0.5f, h * 0.2f, w * 0.1f, h * 0.7f, w * 0.9f, h * 0.7f); break;
        case 1: arrow = triangle (w * 0.8f, h * 0.5f, w * 0.3f, h * 0.1f, w * 0.3f, h * 0.9f); break;
        case 2: arrow = triangle (w * 0.5f, h * 0.8f, w * 0.1f, h * 0.3f, w * 0.9f, h * 0.3f); break;
        case 3: arrow = triangle (w * 0.2f, h * 0.5f, w * 0.7f, h * 0.1f, w * 0.7f, h * 0.9f); break;
        default: jassertfalse; return;
    }

    g.setColour (shouldDrawButtonAsDown ? Colours::white
                 : shouldDrawButtonAsHighlighted
                     ? Colours::white.withAlpha (0.7f)
                     : scrollbar.findColour (ScrollBar::thumbColourId).withAlpha (0.5f));
    g.fillPath (arrow);

    g.setColour (Colours::black.withAlpha (0.5f));
    g.strokePath (arrow, PathStrokeType (0.5f));
}

void TonarelLookAndFeel::drawScrollbar (Graphics& g, ScrollBar& scrollbar, int x, int y, int width,
                                        int height, bool isScrollbarVertical, int thumbStartPosition,
                                        int thumbSize, bool isMouseOver, bool isMouseDown)
{
    g.fillAll (scrollbar.findColour (ScrollBar::backgroundColourId));

    if (thumbSize <= 0)
        return;

    const auto active = isMouseOver || isMouseDown;
    const auto thumbColour = scrollbar.findColour (ScrollBar::thumbColourId);
    Rectangle<int> thumb;

    // A thin track line through the middle of the bar, then the thumb over it.
    g.setColour (thumbColour.withAlpha (active ? 0.4f : 0.15f));

    if (isScrollbarVertical)
    {
        const auto across = (float) (width - 2);
        g.fillRect (x + roundToInt (0.35f * across), y, roundToInt (0.3f * across), height);
        thumb = { x + 1, thumbStartPosition, width - 4, thumbSize };
        width -= 2;
    }
    else
    {
        const auto across = (float) (height - 2);
        g.fillRect (x, y + roundToInt (0.35f * across), width, roundToInt (0.3f * across));
        thumb = { thumbStartPosition, y + 1, thumbSize, height - 4 };
        height -= 2;
    }

    g.setColour (thumbColour.withAlpha (active ? 0.95f : 0.7f));
    g.fillRect (thumb);
    g.setColour (Colours::black.withAlpha (active ? 0.4f : 0.25f));
    g.drawRect (thumb);

    if (thumbSize > minThumbSizeForGrips)
        drawScrollbarGrips (g, x, y, width, height, isScrollbarVertical, thumbStartPosition, thumbSize);
}

ImageEffectFilter* TonarelLookAndFeel::getScrollbarEffect()
{
    return &dropShadow;
}

//==============================================================================
// Focus and read-only state do not change the outline.
void TonarelLookAndFeel::drawTextEditorOutline (Graphics& g, int width, int height, TextEditor& textEditor)
{
    if (! textEditor.isEnabled())
        return;

    g.setColour (textEditor.findColour (TextEditor::outlineColourId));
    g.drawRect (0, 0, width, height);
}

void TonarelLookAndFeel::drawPopupMenuBackground (Graphics& g, int width, int height)
{
    g.fillAll (findColour (PopupMenu::backgroundColourId));
    g.setColour (Colours::black.withAlpha (0.6f));
    g.drawRect (0, 0, width, height);
}

void TonarelLookAndFeel::drawMenuBarBackground (Graphics& g, int, int, bool, MenuBarComponent& menuBar)
{
    g.fillAll (menuBar.findColour (PopupMenu::backgroundColourId));
}

void TonarelLookAndFeel::drawLabel (Graphics& g, Label& label)
{
    auto* box = dynamic_cast<ComboBox*> (label.getParentComponent());
    const auto isFolderLine =
        box != nullptr && dynamic_cast<FilenameComponent*> (box->getParentComponent()) != nullptr;

    if (! isFolderLine || label.isBeingEdited())
    {
        LookAndFeel_V2::drawLabel (g, label);
        return;
    }

    // The framework would squash a long path and cut off its end, and the end is the folder's
    // own name: the middle goes instead.
    g.fillAll (label.findColour (Label::backgroundColourId));
    const auto font = getLabelFont (label);
    const auto textArea = getLabelBorderSize (label).subtractedFrom (label.getLocalBounds());
    g.setColour (
        label.findColour (Label::textColourId).withMultipliedAlpha (label.isEnabled() ? 1.0f : 0.5f));
    g.setFont (font);
    g.drawText (elideMiddleOfPath (label.getText(), font, (float) textArea.getWidth()), textArea,
                label.getJustificationType(), false);
}

void TonarelLookAndFeel::drawComboBox (Graphics& g, int width, int height, bool isMouseButtonDown,
                                       int buttonX, int buttonY, int buttonW, int buttonH, ComboBox& box)
{
    const auto background = box.findColour (ComboBox::backgroundColourId);
    const auto buttonColour = box.findColour (ComboBox::buttonColourId);

    g.fillAll (background);
    g.setColour (isMouseButtonDown ? buttonColour : background);
    g.fillRect (buttonX, buttonY, buttonW, buttonH);
    g.setColour (box.findColour (ComboBox::outlineColourId));
    g.drawRect (0, 0, width, height);

    if (! box.isEnabled())
        return;

    const auto bx = (float) buttonX, by = (float) buttonY, bw = (float) buttonW, bh = (float) buttonH;

    Path arrows;
    arrows.addTriangle (bx + 0.5f * bw, by + 0.15f * bh, bx + 0.8f * bw, by + 0.45f * bh, bx + 0.2f * bw,
                        by + 0.45f * bh);
    arrows.addTriangle (bx + 0.5f * bw, by + 0.85f * bh, bx + 0.8f * bw, by + 0.55f * bh, bx + 0.2f * bw,
                        by + 0.55f * bh);

    g.setColour (isMouseButtonDown ? background : buttonColour);
    g.fillPath (arrows);
}

Font TonarelLookAndFeel::getComboBoxFont (ComboBox& box)
{
    Font font (jmin ((float) box.getHeight() * 0.85f, 15.0f));
    font.setHorizontalScale (0.9f);
    return font;
}

//==============================================================================
void TonarelLookAndFeel::drawLinearSlider (Graphics& g, int x, int y, int width, int height, float sliderPos,
                                           float minSliderPos, float maxSliderPos, Slider::SliderStyle style,
                                           Slider& slider)
{
    g.fillAll (slider.findColour (Slider::backgroundColourId));

    if (style == Slider::LinearBar || style == Slider::LinearBarVertical)
    {
        // A vertical bar fills from its position down to the bottom.
        const auto bar =
            style == Slider::LinearBar
                ? Rectangle<float> ((float) x, (float) y, sliderPos - (float) x, (float) height)
                : Rectangle<float> ((float) x, sliderPos, (float) width, (float) (y + height) - sliderPos);

        g.setColour (slider.findColour (Slider::thumbColourId));
        g.fillRect (bar);
        g.setColour (slider.findColour (Slider::textBoxTextColourId).withMultipliedAlpha (0.5f));
        g.drawRect (bar, 1.0f);
        return;
    }

    g.setColour (
        slider.findColour (Slider::trackColourId).withMultipliedAlpha (slider.isEnabled() ? 1.0f : 0.3f));

    if (slider.isHorizontal())
        g.fillRect (x, y + roundToInt (0.6f * (float) height), width, roundToInt (0.2f * (float) height));
    else
        g.fillRect (x + roundToInt (0.5f * (float) width - jmin (0.1f * (float) width, 3.0f)), y,
                    jmin (roundToInt (0.2f * (float) width), 4), height);

    drawSliderPointers (g, x, y, width, height, sliderPos, minSliderPos, maxSliderPos, style, slider);
}

void TonarelLookAndFeel::drawSliderPointers (Graphics& g, int x, int y, int width, int height,
                                             float sliderPos, float minSliderPos, float maxSliderPos,
                                             Slider::SliderStyle style, Slider& slider)
{
    const auto enabled = slider.isEnabled();
    const auto fill = slider.findColour (Slider::thumbColourId)
                          .withAlpha (! enabled ? 0.35f : (slider.isMouseOverOrDragging() ? 1.0f : 0.7f));
    const auto outline = Colours::black.withAlpha (enabled ? 0.7f : 0.35f);

    const auto drawPointer = [&] (const Path& pointer)
    {
        g.setColour (fill);
        g.fillPath (pointer);
        g.setColour (outline);
        g.strokePath (pointer, PathStrokeType (0.3f));
    };

    const auto w = (float) width, h = (float) height;
    const auto cx = (float) x + 0.5f * w;
    const auto a = jmin (0.4f * w, 8.0f), b = jmin (0.3f * w, 4.0f), c = jmin (0.3f * h, 4.0f);
    const auto top = (float) y + 0.2f * h, upper = (float) y + 0.6f * h - c, bottom = (float) y + 0.9f * h;
    const auto len = sliderPointerLength;

    if (style == Slider::TwoValueVertical || style == Slider::ThreeValueVertical)
    {
        drawPointer (triangle (cx + b, minSliderPos, cx - a, minSliderPos - len, cx - a, minSliderPos));
        drawPointer (triangle (cx + b, maxSliderPos, cx - a, maxSliderPos, cx - a, maxSliderPos + len));
    }

    if (style == Slider::TwoValueHorizontal || style == Slider::ThreeValueHorizontal)
    {
        drawPointer (triangle (minSliderPos, upper, minSliderPos - len, bottom, minSliderPos, bottom));
        drawPointer (triangle (maxSliderPos, upper, maxSliderPos, bottom, maxSliderPos + len, bottom));
    }

    if (style == Slider::LinearHorizontal || style == Slider::ThreeValueHorizontal)
        drawPointer (triangle (sliderPos, bottom, sliderPos - len, top, sliderPos + len, top));

    if (style == Slider::LinearVertical || style == Slider::ThreeValueVertical)
        drawPointer (triangle (cx - b, sliderPos, cx + a, sliderPos - len, cx + a, sliderPos + len));
}

int TonarelLookAndFeel::getSliderThumbRadius (Slider&)
{
    return 8;
}

Button* TonarelLookAndFeel::createSliderButton (Slider&, bool isIncrement)
{
    const auto arrowColour = Colours::white.withAlpha (0.8f);

    return isIncrement ? new ArrowButton ("u", 0.75f, arrowColour)
                       : new ArrowButton ("d", 0.25f, arrowColour);
}

ImageEffectFilter* TonarelLookAndFeel::getSliderEffect (Slider&)
{
    return &dropShadow;
}

//==============================================================================
void TonarelLookAndFeel::drawCornerResizer (Graphics& g, int w, int h, bool isMouseOver, bool isMouseDragging)
{
    const auto width = (float) w, height = (float) h;

    g.setColour (Colour (isMouseOver || isMouseDragging ? 0xffd3d3d3 : 0xff555555));

    for (const auto t : { 0.0f, 0.3f, 0.6f, 0.9f })
        g.drawLine (width * t, height + 1.0f, width + 1.0f, height * t, jmin (width, height) * 0.1f);
}

Button* TonarelLookAndFeel::createDocumentWindowButton (int buttonType)
{
    if (buttonType == DocumentWindow::closeButton)
    {
        auto* button =
            new ShapeButton ("close", Colour (0x7fff3333), Colour (0xd7ff3333), Colour (0xf7ff3333));
        button->setShape (lineShape ({ { 0.0f, 0.0f, 1.0f, 1.0f }, { 1.0f, 0.0f, 0.0f, 1.0f } }, 0.35f),
                          false, true, true);
        return button;
    }

    if (buttonType == DocumentWindow::minimiseButton)
        return createTitleBarDrawableButton ("minimise", lineShape ({ { 0.0f, 0.5f, 1.0f, 0.5f } }, 0.25f));

    if (buttonType == DocumentWindow::maximiseButton)
        return createTitleBarDrawableButton (
            "maximise", lineShape ({ { 0.5f, 0.0f, 0.5f, 1.0f }, { 0.0f, 0.5f, 1.0f, 0.5f } }, 0.25f));

    return nullptr;
}

// The close button sits outermost, a little lower than the other two and set
// apart from them by a fifth of a button.
void TonarelLookAndFeel::positionDocumentWindowButtons (DocumentWindow&, int titleBarX, int titleBarY,
                                                        int titleBarW, int titleBarH, Button* minimiseButton,
                                                        Button* maximiseButton, Button* closeButton,
                                                        bool positionTitleBarButtonsOnLeft)
{
    const auto size = titleBarH - titleBarH / 4;
    const auto top = titleBarY + titleBarH / 8;
    const auto direction = positionTitleBarButtonsOnLeft ? 1 : -1;

    auto x = positionTitleBarButtonsOnLeft ? titleBarX + 4 : titleBarX + titleBarW - size - 4;

    if (closeButton != nullptr)
    {
        closeButton->setBounds (x, top, size, size);
        x += direction * (size + size / 5);
    }

    if (positionTitleBarButtonsOnLeft)
        std::swap (minimiseButton, maximiseButton);

    for (auto* button : { maximiseButton, minimiseButton })
    {
        if (button != nullptr)
        {
            button->setBounds (x, top - 2, size, size);
            x += direction * size;
        }
    }
}
