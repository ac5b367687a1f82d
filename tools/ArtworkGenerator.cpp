// tonarel-artwork: draws the program's ten embedded pictures, each also at twice its size for
// HiDPI displays, and writes them as PNG and JPEG files, and the window icon at the sizes the desktop's icon
// theme installs (icons/hicolor/<size>x<size>/apps/tonarelutil.png).
//
// Regenerate the pictures: build the target and run it with the resources folder,
//     cmake --build <build> --target tonarel-artwork && <build>/tonarel-artwork resources
// (without an argument it writes into the resources/ folder of the source tree it
// was built from). Then rebuild: the pictures are compiled into the program.
//
// Everything is drawn from code: the brushed metal uses a fixed-seed generator,
// the logo is built from geometric strokes and the LCD captions from a 5x7 dot
// font defined below, so no system font is involved and the output is the same
// on every machine. No display is needed.

#include <juce_events/juce_events.h>
#include <juce_graphics/juce_graphics.h>

#include "resources/Artwork.h"

#include <array>
#include <cmath>
#include <functional>
#include <iostream>
#include <vector>

namespace
{
    using namespace juce;

    Colour rgb (uint32 value)
    {
        return Colour (0xff000000u | value);
    }

    /** Draws in points from here on, scale pixels to a point; at 1 the context is left as it is. */
    void drawInPoints (Graphics& g, int scale)
    {
        if (scale > 1)
            g.addTransform (AffineTransform::scale ((float) scale));
    }

    const Colour metalLight = rgb (0xebeae8);
    const Colour metalDark = rgb (0x918f90);

    //==============================================================================
    // Brushed metal: fine horizontal streaks over a gradient. shade (x, y) gives
    // the gradient position, 0 = metalLight, 1 = metalDark.

    Image makeBrushedMetal (int width, int height, Image::PixelFormat format,
                            const std::function<float (int, int)>& shade, int64 seed)
    {
        Image image (format, width, height, false);
        Random random (seed);
        std::vector<float> streak ((size_t) width);
        std::vector<float> lattice;
        float rowLevel = 0.0f;

        const Image::BitmapData pixels (image, Image::BitmapData::writeOnly);

        for (int y = 0; y < height; ++y)
        {
            // Brightness of the whole row, loosely tied to the row above so that
            // the lines gather into slightly wider bands here and there.
            rowLevel = 0.45f * rowLevel + 0.55f * (random.nextFloat() * 2.0f - 1.0f);

            std::fill (streak.begin(), streak.end(), 2.4f * rowLevel);

            // Wandering along the row: value noise with a random period, once
            // slow and once fine for the grain of the brushing.
            const auto addWander = [&] (int period, float amount)
            {
                lattice.resize ((size_t) (width / period + 3));

                for (auto& value : lattice)
                    value = random.nextFloat() * 2.0f - 1.0f;

                const float phase = random.nextFloat() * (float) period;

                for (int x = 0; x < width; ++x)
                {
                    const float position = ((float) x + phase) / (float) period;
                    const int index = (int) position;
                    const float fraction = position - (float) index;
                    const float smooth = fraction * fraction * (3.0f - 2.0f * fraction);
                    streak[(size_t) x] += amount * (lattice[(size_t) index] * (1.0f - smooth) +
                                                    lattice[(size_t) index + 1] * smooth);
                }
            };

            addWander (40 + random.nextInt (220), 1.3f);
            addWander (6 + random.nextInt (18), 0.9f);

            // Now and then a longer, more visible scratch that fades in and out.
            const int scratches = random.nextFloat() < 0.22f ? 1 + random.nextInt (2) : 0;

            for (int i = 0; i < scratches; ++i)
            {
                const int start = random.nextInt (width) - 60;
                const int length = 60 + random.nextInt (jmax (61, width / 2));
                const float amount = (random.nextBool() ? 1.0f : -0.8f) * (2.0f + 3.0f * random.nextFloat());

                for (int x = jmax (0, start); x < jmin (width, start + length); ++x)
                    streak[(size_t) x] +=
                        amount * std::sin (MathConstants<float>::pi * (float) (x - start) / (float) length);
            }

            for (int x = 0; x < width; ++x)
            {
                const auto base = metalLight.interpolatedWith (metalDark, jlimit (0.0f, 1.0f, shade (x, y)));
                const float offset = streak[(size_t) x];
                const auto channel = [offset] (uint8 value)
                { return (uint8) jlimit (0, 255, roundToInt ((float) value + offset)); };

                pixels.setPixelColour (
                    x, y,
                    Colour (channel (base.getRed()), channel (base.getGreen()), channel (base.getBlue())));
            }
        }

        return image;
    }

    //==============================================================================
    // Geometric stroke letters for the logo. Each letter is a centre-line skeleton
    // in a box of the cap height; strokes that end at the cap line or the baseline
    // run past it and are cut flat by clipping to the box.

    struct StrokeLetter
    {
        Path skeleton;
        float width = 0.0f;
    };

    /** The measures all letters of one line share. */
    struct LetterGrid
    {
        float h;      // the cap height
        float stroke; // the stroke's width
        float s;      // centre line of an edge stroke
        float over;   // how far a cut stroke runs past the box
    };

    float evenWidth (float w)
    {
        return 2.0f * std::round (w * 0.5f);
    }

    // A bowl to the right of a stem, from y0 to y1 (centre lines), whose
    // straight part ends at x.
    void addBowl (Path& p, float stemX, float x, float y0, float y1)
    {
        const float radius = (y1 - y0) * 0.5f;
        p.startNewSubPath (stemX, y0);
        p.lineTo (x, y0);
        p.addCentredArc (x, y0 + radius, radius, radius, 0.0f, 0.0f, MathConstants<float>::pi, false);
        p.lineTo (stemX, y1);
    }

    StrokeLetter makeLetterT (const LetterGrid& grid)
    {
        StrokeLetter letter;
        auto& p = letter.skeleton;
        letter.width = evenWidth (0.74f * grid.h);
        p.startNewSubPath (0.0f, grid.s);
        p.lineTo (letter.width, grid.s);
        p.startNewSubPath (letter.width * 0.5f, grid.s);
        p.lineTo (letter.width * 0.5f, grid.h + grid.over);
        return letter;
    }

    StrokeLetter makeLetterO (const LetterGrid& grid)
    {
        StrokeLetter letter;
        letter.width = grid.h;
        letter.skeleton.addEllipse (grid.s, grid.s, grid.h - grid.stroke, grid.h - grid.stroke);
        return letter;
    }

    StrokeLetter makeLetterN (const LetterGrid& grid)
    {
        StrokeLetter letter;
        auto& p = letter.skeleton;
        letter.width = evenWidth (0.8f * grid.h);
        p.startNewSubPath (grid.s, grid.h + grid.over);
        p.lineTo (grid.s, -grid.over * 0.5f);
        p.lineTo (letter.width - grid.s, grid.h + grid.over * 0.5f);
        p.lineTo (letter.width - grid.s, -grid.over);
        return letter;
    }

    StrokeLetter makeLetterA (const LetterGrid& grid)
    {
        StrokeLetter letter;
        auto& p = letter.skeleton;
        const float h = grid.h;
        const float over = grid.over;
        letter.width = evenWidth (0.9f * h);
        const float w = letter.width;
        const float foot = 0.62f * grid.stroke;
        const float apexY = -0.25f * grid.stroke;
        p.startNewSubPath (foot - (w * 0.5f - foot) * over / (h - apexY), h + over);
        p.lineTo (w * 0.5f, apexY);
        p.lineTo (w - foot + (w * 0.5f - foot) * over / (h - apexY), h + over);

        const float barY = 0.66f * h;
        const float t = (barY - apexY) / (h - apexY);
        const float halfSpan = (w * 0.5f - foot) * t;
        p.startNewSubPath (w * 0.5f - halfSpan, barY);
        p.lineTo (w * 0.5f + halfSpan, barY);
        return letter;
    }

    /** R and P: a stem with a bowl at the top, and for R a leg from the bowl. */
    StrokeLetter makeLetterRorP (bool withLeg, const LetterGrid& grid)
    {
        StrokeLetter letter;
        auto& p = letter.skeleton;
        const float h = grid.h;
        const float s = grid.s;
        const float bowlBottom = std::round ((withLeg ? 0.56f : 0.6f) * h) - s;
        const float radius = (bowlBottom - s) * 0.5f;
        letter.width = evenWidth (0.68f * h);
        const float bowlX = letter.width - s - radius;
        p.startNewSubPath (s, h + grid.over);
        p.lineTo (s, s);
        addBowl (p, s, bowlX, s, bowlBottom);

        if (withLeg)
        {
            const float startX = bowlX - 0.15f * radius;
            const float endX = letter.width - s;
            const float slope = (endX - startX) / (h - bowlBottom);
            p.startNewSubPath (startX, bowlBottom);
            p.lineTo (endX + slope * grid.over, h + grid.over);
        }

        return letter;
    }

    StrokeLetter makeLetterB (const LetterGrid& grid)
    {
        StrokeLetter letter;
        auto& p = letter.skeleton;
        const float h = grid.h;
        const float s = grid.s;
        const float middle = std::round (0.5f * h);
        letter.width = evenWidth (0.66f * h);
        const float radius = (h - s - middle) * 0.5f;
        p.startNewSubPath (s, h - s);
        p.lineTo (s, s);
        addBowl (p, s, letter.width - s - radius - 0.1f * h, s, middle); // the upper bowl is narrower
        addBowl (p, s, letter.width - s - radius, middle, h - s);
        return letter;
    }

    StrokeLetter makeLetterE (const LetterGrid& grid)
    {
        StrokeLetter letter;
        auto& p = letter.skeleton;
        const float h = grid.h;
        const float s = grid.s;
        letter.width = evenWidth (0.62f * h);
        p.startNewSubPath (letter.width, s);
        p.lineTo (s, s);
        p.lineTo (s, h - s);
        p.lineTo (letter.width, h - s);
        p.startNewSubPath (s, std::round (0.5f * h));
        p.lineTo (letter.width - 0.1f * h, std::round (0.5f * h));
        return letter;
    }

    StrokeLetter makeLetterL (const LetterGrid& grid)
    {
        StrokeLetter letter;
        auto& p = letter.skeleton;
        letter.width = evenWidth (0.58f * grid.h);
        p.startNewSubPath (grid.s, -grid.over);
        p.lineTo (grid.s, grid.h - grid.s);
        p.lineTo (letter.width, grid.h - grid.s);
        return letter;
    }

    StrokeLetter makeLetterI (const LetterGrid& grid)
    {
        StrokeLetter letter;
        letter.width = grid.stroke;
        letter.skeleton.startNewSubPath (grid.s, -grid.over);
        letter.skeleton.lineTo (grid.s, grid.h + grid.over);
        return letter;
    }

    StrokeLetter makeLetterS (const LetterGrid& grid)
    {
        const float pi = MathConstants<float>::pi;
        StrokeLetter letter;
        auto& p = letter.skeleton;
        letter.width = evenWidth (0.66f * grid.h);
        const float rx = (letter.width - grid.stroke) * 0.5f;
        const float ry = (grid.h - grid.stroke) * 0.25f;
        const float cx = letter.width * 0.5f;
        p.addCentredArc (cx, grid.s + ry, rx, ry, 0.0f, 0.36f * pi, -pi, true);
        p.addCentredArc (cx, grid.h - grid.s - ry, rx, ry, 0.0f, 0.0f, 1.36f * pi, false);
        return letter;
    }

    /** The skeleton and advance of one letter of the logo's alphabet; a blank is
        empty and has no width. */
    StrokeLetter makeStrokeLetter (juce_wchar c, float capHeight, float stroke)
    {
        const LetterGrid grid { capHeight, stroke, stroke * 0.5f, stroke * 2.0f };

        switch (c)
        {
            case 'T': return makeLetterT (grid);
            case 'O': return makeLetterO (grid);
            case 'N': return makeLetterN (grid);
            case 'A': return makeLetterA (grid);
            case 'R': return makeLetterRorP (true, grid);
            case 'P': return makeLetterRorP (false, grid);
            case 'B': return makeLetterB (grid);
            case 'E': return makeLetterE (grid);
            case 'L': return makeLetterL (grid);
            case 'I': return makeLetterI (grid);
            case 'S': return makeLetterS (grid);
            case ' ': return {};
            default: jassertfalse; return {};
        }
    }

    /** Builds the outline of a line of stroke letters with its top-left at the
        origin; returns its width through totalWidth. tracking is the space between
        letters, wordGap the extra space of a blank. */
    Path makeStrokeText (const String& text, float capHeight, float stroke, float tracking, float wordGap,
                         float& totalWidth)
    {
        Path outline;
        float x = 0.0f;
        const PathStrokeType strokeType (stroke, PathStrokeType::mitered, PathStrokeType::butt);

        for (int i = 0; i < text.length(); ++i)
        {
            const auto letter = makeStrokeLetter (text[i], capHeight, stroke);

            if (text[i] == ' ')
            {
                x += wordGap;
                continue;
            }

            Path stroked;
            strokeType.createStrokedPath (stroked, letter.skeleton,
                                          AffineTransform::translation (std::round (x), 0.0f));
            outline.addPath (stroked);
            x += letter.width + (i + 1 < text.length() ? tracking : 0.0f);
        }

        totalWidth = x;
        return outline;
    }

    float strokeTextWidth (const String& text, float capHeight, float stroke)
    {
        float width = 0.0f;

        for (auto c : text)
            width += makeStrokeLetter (c, capHeight, stroke).width;

        return width;
    }

    /** Fills a stroke-letter outline placed at (x, top), cut to the band of the
        cap height, first as a light engraving edge one pixel lower, then in a dark
        vertical gradient. */
    void drawEngravedText (Graphics& g, const Path& outline, float x, float top, float capHeight, float width,
                           Colour upper, Colour lower, float highlightAlpha)
    {
        const auto band = Rectangle<float> (x - 4.0f, top, width + 8.0f, capHeight);

        for (int pass = 0; pass < 2; ++pass)
        {
            const float dy = pass == 0 ? 1.0f : 0.0f;
            Graphics::ScopedSaveState state (g);
            g.reduceClipRegion (band.translated (0.0f, dy).getSmallestIntegerContainer());

            if (pass == 0)
                g.setColour (Colours::white.withAlpha (highlightAlpha));
            else
                g.setGradientFill (ColourGradient::vertical (upper, top, lower, top + capHeight));

            g.fillPath (outline, AffineTransform::translation (x, top + dy));
        }
    }

    //==============================================================================
    // Dot-matrix LCD: a 5x7 font of our own and the dots it is shown with.

    const Colour lcdLit = rgb (0xd2e8ff);
    const Colour lcdGlow = rgb (0x5d9cff);
    const Colour lcdUnlit = rgb (0x0f151d);

    using DotGlyph = std::array<const char*, 7>;

    const DotGlyph* findDotGlyph (juce_wchar c)
    {
        struct Entry
        {
            juce_wchar character;
            DotGlyph rows;
        };

        static const Entry font[] = {
            { ' ', { ".....", ".....", ".....", ".....", ".....", ".....", "....." } },
            { 'A', { ".###.", "#...#", "#...#", "#...#", "#####", "#...#", "#...#" } },
            { 'B', { "####.", "#...#", "#...#", "####.", "#...#", "#...#", "####." } },
            { 'C', { ".###.", "#...#", "#....", "#....", "#....", "#...#", ".###." } },
            { 'D', { "###..", "#..#.", "#...#", "#...#", "#...#", "#..#.", "###.." } },
            { 'E', { "#####", "#....", "#....", "####.", "#....", "#....", "#####" } },
            { 'I', { ".###.", "..#..", "..#..", "..#..", "..#..", "..#..", ".###." } },
            { 'L', { "#....", "#....", "#....", "#....", "#....", "#....", "#####" } },
            { 'M', { "#...#", "##.##", "#.#.#", "#.#.#", "#...#", "#...#", "#...#" } },
            { 'N', { "#...#", "#...#", "##..#", "#.#.#", "#..##", "#...#", "#...#" } },
            { 'O', { ".###.", "#...#", "#...#", "#...#", "#...#", "#...#", ".###." } },
            { 'P', { "####.", "#...#", "#...#", "####.", "#....", "#....", "#...." } },
            { 'R', { "####.", "#...#", "#...#", "####.", "#.#..", "#..#.", "#...#" } },
            { 'S', { ".####", "#....", "#....", ".###.", "....#", "....#", "####." } },
            { 'T', { "#####", "..#..", "..#..", "..#..", "..#..", "..#..", "..#.." } },
            { 'U', { "#...#", "#...#", "#...#", "#...#", "#...#", "#...#", ".###." } },
            { 'Y', { "#...#", "#...#", ".#.#.", "..#..", "..#..", "..#..", "..#.." } },
        };

        for (const auto& entry : font)
            if (entry.character == c)
                return &entry.rows;

        return nullptr;
    }

    /** Draws lit dots as a pale blue core with a faint glow; unlit dots very dim. */
    void drawDots (Graphics& g, const std::vector<Point<float>>& lit, const std::vector<Point<float>>& unlit,
                   float coreDiameter, float glowDiameter)
    {
        g.setColour (lcdUnlit);

        for (auto centre : unlit)
            g.fillEllipse (Rectangle<float> (coreDiameter * 0.85f, coreDiameter * 0.85f).withCentre (centre));

        g.setColour (lcdGlow.withAlpha (0.2f));

        for (auto centre : lit)
            g.fillEllipse (Rectangle<float> (glowDiameter, glowDiameter).withCentre (centre));

        g.setColour (lcdLit);

        for (auto centre : lit)
            g.fillEllipse (Rectangle<float> (coreDiameter, coreDiameter).withCentre (centre));
    }

    /** Shows a text on the dot matrix. Dots sit pitch pixels apart with their
        centres on pixel centres; (left, top) is the top-left dot's pixel. */
    bool drawDotMatrixText (Graphics& g, const String& text, int left, int top, int pitch)
    {
        std::vector<Point<float>> lit, unlit;

        for (int i = 0; i < text.length(); ++i)
        {
            const auto* glyph = findDotGlyph (text[i]);

            if (glyph == nullptr)
            {
                std::cerr << "no dot-matrix glyph for '" << String::charToString (text[i]) << "'\n";
                return false;
            }

            for (int row = 0; row < 7; ++row)
                for (int column = 0; column < 5; ++column)
                {
                    const Point<float> centre ((float) (left + (i * 6 + column) * pitch) + 0.5f,
                                               (float) (top + row * pitch) + 0.5f);
                    ((*glyph)[(size_t) row][column] == '#' ? lit : unlit).push_back (centre);
                }
        }

        drawDots (g, lit, unlit, 1.55f, 3.4f);
        return true;
    }

    //==============================================================================
    // The LCD caption panel. header_fill is one column of it; the captions are
    // its left end with the text, header_cap its right end. All three are drawn
    // by drawLcdPanel so that they join without a seam.

    constexpr int panelHeight = 44;

    /** The colours of one column of the panel's frame, top to bottom. */
    Colour panelColumnColour (int row)
    {
        if (row == 0)
            return rgb (0x787777);
        if (row == 1)
            return rgb (0x9a9a99);
        if (row == 2)
            return rgb (0x000000);

        if (row <= 10) // bevel, 0x9c9c9c down to 0x747474
        {
            const auto level = (uint8) roundToInt (0x9c + (0x74 - 0x9c) * (float) (row - 3) / 7.0f);
            return Colour (level, level, level);
        }

        if (row <= 41)
            return rgb (0x000000);
        if (row == 42)
            return rgb (0xc6c6c5);
        return rgb (0xb5b4b4);
    }

    /** The side of the bevel where it runs down a rounded end, below the top
        bevel, a little darker towards the bottom. */
    Colour panelSideColour (int row)
    {
        const auto level = (uint8) roundToInt (0x74 - 10.0f * (float) (row - 11) / 30.0f);
        return Colour (level, level, level);
    }

    void fillRowsInside (Graphics& g, const Path& shape, int x, int width, int firstRow, int lastRow,
                         const std::function<Colour (int)>& colourOfRow)
    {
        Graphics::ScopedSaveState state (g);
        g.reduceClipRegion (shape);

        for (int row = firstRow; row <= lastRow; ++row)
        {
            g.setColour (colourOfRow (row));
            g.fillRect (x, row, width, 1);
        }
    }

    Path roundedBox (float x, float y, float width, float height, float radius)
    {
        Path path;
        path.addRoundedRectangle (x, y, width, height, radius);
        return path;
    }

    /** Draws the whole panel, rounded at both ends, into the given span
        (x, width); the image shows the part of it that falls on it. The rounding
        stays within endWidth pixels of each end; between the ends every column
        is exactly panelColumnColour's. */
    constexpr int endWidth = 6;

    void drawLcdPanel (Graphics& g, int x, int width)
    {
        const auto fx = (float) x;
        const auto fw = (float) width;
        const auto solid = [] (Colour colour) { return [colour] (int) { return colour; }; };

        // The straight middle part, plain rows (a path clip could leave its
        // pixels a shade off the exact colours).
        for (int row = 0; row < panelHeight; ++row)
        {
            g.setColour (panelColumnColour (row));
            g.fillRect (x + endWidth, row, width - 2 * endWidth, 1);
        }

        // The rounded ends, layer by layer.
        Graphics::ScopedSaveState state (g);
        g.excludeClipRegion ({ x + endWidth, 0, width - 2 * endWidth, panelHeight });

        // Outer edge, then the light lip along the bottom.
        fillRowsInside (g, roundedBox (fx, 0.0f, fw, 44.0f, 6.0f), x, width, 0, 43, solid (rgb (0x787777)));
        fillRowsInside (g, roundedBox (fx, 0.0f, fw, 44.0f, 6.0f), x, width, 42, 43, panelColumnColour);

        // The rings inside it down to the glass: highlight, black line, bevel.
        fillRowsInside (g, roundedBox (fx + 1.0f, 1.0f, fw - 2.0f, 41.0f, 5.0f), x, width, 1, 41,
                        solid (rgb (0x9a9a99)));
        fillRowsInside (g, roundedBox (fx + 2.0f, 2.0f, fw - 4.0f, 40.0f, 4.0f), x, width, 2, 41,
                        solid (rgb (0x000000)));
        fillRowsInside (g, roundedBox (fx + 3.0f, 3.0f, fw - 6.0f, 39.0f, 3.0f), x, width, 3, 41,
                        [] (int row) { return row <= 10 ? panelColumnColour (row) : panelSideColour (row); });

        // The glass.
        fillRowsInside (g, roundedBox (fx + 4.0f, 11.0f, fw - 8.0f, 31.0f, 2.0f), x, width, 11, 41,
                        panelColumnColour);
    }

    constexpr int captionWidth = 288;

    /** A caption; an invalid image if the text has a letter the dot font lacks. */
    Image makeCaption (const String& text, int scale)
    {
        Image image (Image::ARGB, captionWidth * scale, panelHeight * scale, true);
        Graphics g (image);
        drawInPoints (g, scale);
        drawLcdPanel (g, 0, captionWidth + 100); // the right end lies beyond the picture

        // Seven rows of dots two pixels apart, centred on the glass (rows 11..41).
        if (! drawDotMatrixText (g, text, 12, 20, 2))
            return {};

        return image;
    }

    Image makeHeaderFill (int scale)
    {
        Image image (Image::RGB, scale, panelHeight * scale, false);
        Graphics g (image);
        drawInPoints (g, scale);
        drawLcdPanel (g, -100, 200);
        return image;
    }

    Image makeHeaderCap (int scale)
    {
        Image image (Image::ARGB, 7 * scale, panelHeight * scale, true);
        Graphics g (image);
        drawInPoints (g, scale);
        drawLcdPanel (g, 7 - 200, 200); // the left end lies beyond the picture
        return image;
    }

    //==============================================================================
    // The product logo on the background: a round badge with a glowing voice
    // waveform, the TONAREL wordmark and the line PRESET LIBRARIAN under it.

    void drawLogo (Graphics& g)
    {
        const Point<float> centre (42.0f, 35.0f);
        const float radius = 22.0f;

        // Badge: shadow, metal ring, dark face.
        Path badge;
        badge.addEllipse (Rectangle<float> (2.0f * radius, 2.0f * radius).withCentre (centre));
        DropShadow (Colours::black.withAlpha (0.35f), 5, { 0, 2 }).drawForPath (g, badge);

        g.setGradientFill (
            ColourGradient::vertical (rgb (0xfdfdfc), centre.y - radius, rgb (0x7d7b7d), centre.y + radius));
        g.fillPath (badge);
        g.setColour (Colours::black.withAlpha (0.35f));
        g.drawEllipse (Rectangle<float> (2.0f * radius - 1.0f, 2.0f * radius - 1.0f).withCentre (centre),
                       1.0f);

        const float faceRadius = radius - 4.0f;
        const auto face = Rectangle<float> (2.0f * faceRadius, 2.0f * faceRadius).withCentre (centre);
        g.setGradientFill (
            ColourGradient::vertical (rgb (0x5b5a5d), face.getY(), rgb (0xf4f4f3), face.getBottom()));
        g.fillEllipse (face.expanded (1.0f));
        g.setGradientFill (
            ColourGradient::vertical (rgb (0x2d3042), face.getY(), rgb (0x0a0b11), face.getBottom()));
        g.fillEllipse (face);

        // A voice waveform: rounded bars glowing like the display's dots.
        const float heights[] = { 0.28f, 0.58f, 1.0f, 0.66f, 0.86f, 0.46f, 0.22f };
        const float barWidth = 2.6f, barPitch = 4.4f, tallest = 24.0f;
        Path bars;

        for (int i = 0; i < 7; ++i)
        {
            const float barHeight = jmax (barWidth, tallest * heights[i]);
            bars.addRoundedRectangle (Rectangle<float> (barWidth, barHeight)
                                          .withCentre ({ centre.x + (float) (i - 3) * barPitch, centre.y }),
                                      barWidth * 0.5f);
        }

        g.setColour (lcdGlow.withAlpha (0.3f));
        g.strokePath (bars, PathStrokeType (2.2f, PathStrokeType::curved));
        g.setGradientFill (ColourGradient::vertical (rgb (0xe6f2ff), centre.y - tallest * 0.5f,
                                                     rgb (0x9cc8ff), centre.y + tallest * 0.5f));
        g.fillPath (bars);

        // A soft reflection across the upper half of the face.
        Path reflection;
        reflection.addEllipse (face.reduced (2.0f).withHeight (faceRadius * 1.1f));
        g.setGradientFill (ColourGradient::vertical (Colours::white.withAlpha (0.16f), face.getY(),
                                                     Colours::white.withAlpha (0.0f),
                                                     face.getY() + faceRadius * 1.1f));
        g.fillPath (reflection);

        // Wordmark, and the subtitle spread to the same width.
        const float left = 80.0f;
        const float capHeight = 24.0f;
        const float stroke = 4.0f;
        float wordWidth = 0.0f;
        const auto word = makeStrokeText ("TONAREL", capHeight, stroke, 6.0f, 0.0f, wordWidth);
        drawEngravedText (g, word, left, 14.0f, capHeight, wordWidth, rgb (0x3a3b46), rgb (0x17181e), 0.75f);

        const String subtitle ("PRESET LIBRARIAN");
        const float subHeight = 8.0f;
        const float subStroke = 1.5f;
        const float letters = strokeTextWidth (subtitle.removeCharacters (" "), subHeight, subStroke);
        const int gaps = subtitle.length() - 1; // between letters, the blank counting as one more
        const float tracking = (wordWidth - letters) / (float) gaps;
        float subWidth = 0.0f;
        const auto sub = makeStrokeText (subtitle, subHeight, subStroke, tracking, tracking, subWidth);
        drawEngravedText (g, sub, left, 46.0f, subHeight, subWidth, rgb (0x5f5cb6), rgb (0x4a4898), 0.6f);
    }

    // The brushed metal at twice the size is brushed afresh, pixel by pixel: its grain is as fine
    // on a HiDPI display as on any other, where an enlarged picture would show it coarse.
    Image makeBackground (int scale)
    {
        const int width = 1356 * scale, height = 836 * scale;
        auto image = makeBrushedMetal (
            width, height, Image::RGB,
            [width, height] (int x, int y)
            {
                const float u = std::pow ((float) x / (float) (width - 1), 1.25f);
                const float v = std::pow ((float) y / (float) (height - 1), 1.35f);
                return 1.0f - (1.0f - u) * (1.0f - v);
            },
            0x746f6e6172656cLL);

        Graphics g (image);
        drawInPoints (g, scale);
        drawLogo (g);
        return image;
    }

    Image makeAlertBackground (int scale)
    {
        const int width = 928 * scale, height = 270 * scale;
        return makeBrushedMetal (
            width, height, Image::ARGB, [width] (int x, int) { return (float) x / (float) (width - 1); },
            0x616c657274LL);
    }

    //==============================================================================
    // Progress bar pictures.

    Image makeProgressTrack (int scale)
    {
        constexpr int width = 278, height = 20;
        Image image (Image::RGB, width * scale, height * scale, false);
        Graphics g (image);
        drawInPoints (g, scale);
        g.fillAll (rgb (0x999999));

        for (int row = 1; row < height - 1; ++row)
        {
            // Upper half near white, fading slightly; lower half pale blue-grey,
            // brightening towards the bottom like the fill's glass.
            Colour colour;

            if (row <= 9)
                colour = rgb (0xfefefe).interpolatedWith (rgb (0xeeeff4), (float) (row - 1) / 8.0f);
            else
                colour = rgb (0xd8d9e6).interpolatedWith (rgb (0xeaebf3), (float) (row - 10) / 8.0f);

            g.setColour (colour);
            g.fillRect (1, row, width - 2, 1);
        }

        return image;
    }

    Image makeProgressFill (int scale)
    {
        static const uint32 rows[] = { 0x999999, 0xf1f0fb, 0xdad9eb, 0xcdcde4, 0xbebedc, 0xafaed4, 0x9f9ecb,
                                       0x908ec3, 0x8583be, 0x7c7abc, 0x5a58ad, 0x4f4eaa, 0x5e5bb3, 0x6966bc,
                                       0x7471c6, 0x7f7ccf, 0x8a87d8, 0x9592e2, 0x9f9ce2, 0x999999 };
        Image image (Image::RGB, scale, 20 * scale, false);

        // Each row of the strip is a row of pixels at any scale: its bands stay as crisp.
        for (int y = 0; y < 20 * scale; ++y)
            for (int x = 0; x < scale; ++x)
                image.setPixelAt (x, y, rgb (rows[y / scale]));

        return image;
    }

    //==============================================================================
    // Window icon: two opposed horizontal arrows on a dark background. Designed at 32 pixels;
    // the desktop's icon theme gets it drawn afresh at larger sizes, not scaled as a bitmap.

    Image makeWindowIcon (int size = 32)
    {
        Image image (Image::RGB, size, size, false);
        Graphics g (image);
        g.addTransform (AffineTransform::scale ((float) size / 32.0f));
        g.setGradientFill (ColourGradient (rgb (0x33364a), 0.0f, 0.0f, rgb (0x101118), 32.0f, 32.0f, false));
        g.fillAll();

        Path right, left;
        right.addArrow ({ 4.0f, 10.5f, 28.0f, 10.5f }, 3.0f, 10.0f, 7.0f);
        left.addArrow ({ 28.0f, 21.5f, 4.0f, 21.5f }, 3.0f, 10.0f, 7.0f);

        g.setColour (rgb (0xbfe0ff));
        g.fillPath (right);
        g.setColour (rgb (0xaeaaf0));
        g.fillPath (left);
        return image;
    }

    //==============================================================================

    bool writeImage (const Image& image, const File& file)
    {
        MemoryOutputStream stream;
        bool encoded = false;

        if (! image.isValid())
        {
            std::cerr << "nothing drawn for " << file.getFileName() << "\n";
            return false;
        }

        if (file.hasFileExtension ("jpg"))
        {
            JPEGImageFormat jpeg;
            jpeg.setQuality (0.95f);
            encoded = jpeg.writeImageToStream (image, stream);
        }
        else
        {
            PNGImageFormat png;
            encoded = png.writeImageToStream (image, stream);
        }

        if (! encoded || ! file.replaceWithData (stream.getData(), stream.getDataSize()))
        {
            std::cerr << "cannot write " << file.getFullPathName() << "\n";
            return false;
        }

        std::cout << file.getFileName() << ": " << image.getWidth() << " x " << image.getHeight() << ", "
                  << (int) stream.getDataSize() << " bytes\n";
        return true;
    }
}

namespace
{
    /** A picture at its own size (scale 1) or drawn afresh at a multiple of it. */
    juce::Image drawPicture (Artwork::Picture picture, int scale)
    {
        using Picture = Artwork::Picture;

        switch (picture)
        {
            case Picture::background: return makeBackground (scale);
            case Picture::windowIcon: return makeWindowIcon (32 * scale);
            case Picture::alertBackground: return makeAlertBackground (scale);
            case Picture::progressTrack: return makeProgressTrack (scale);
            case Picture::progressFill: return makeProgressFill (scale);
            case Picture::headerConnected: return makeCaption ("PRESETS IN TONAREL", scale);
            case Picture::headerDisconnected: return makeCaption ("USB NOT CONNECTED", scale);
            case Picture::headerRight: return makeCaption ("PRESETS IN MY COMPUTER", scale);
            case Picture::headerFill: return makeHeaderFill (scale);
            case Picture::headerCap: return makeHeaderCap (scale);
        }

        return {};
    }
}

int main (int argc, char* argv[])
{
    const juce::ScopedJuceInitialiser_GUI juceSetUp;

    if (argc > 2 || (argc > 1 && (juce::String (argv[1]) == "-h" || juce::String (argv[1]) == "--help")))
    {
        std::cout << "usage: tonarel-artwork [resources folder]\n";
        return argc > 2 ? 1 : 0;
    }

    const auto folder = argc > 1 ? juce::File::getCurrentWorkingDirectory().getChildFile (argv[1])
                                 : juce::File (__FILE__).getParentDirectory().getSiblingFile ("resources");

    if (! folder.isDirectory())
    {
        std::cerr << "no such folder: " << folder.getFullPathName() << "\n";
        return 1;
    }

    bool ok = true;

    // The file names are the ones the program embeds, so the two cannot drift apart. Each picture
    // also at twice its size, for HiDPI displays.
    for (const auto picture : Artwork::allPictures)
    {
        ok = writeImage (drawPicture (picture, 1),
                         folder.getChildFile (Artwork::getEncoded (picture).fileName)) &&
             ok;
        ok = writeImage (drawPicture (picture, Artwork::doubledScale),
                         folder.getChildFile (Artwork::getEncodedDoubled (picture).fileName)) &&
             ok;
    }

    // The window icon for the desktop's menus, laid out as the hicolor icon theme is, so that
    // the install rules copy the folder as it stands.
    for (const auto size : { 32, 48, 64, 128, 256 })
    {
        const auto sizeFolder = folder.getChildFile ("icons/hicolor")
                                    .getChildFile (juce::String (size) + "x" + juce::String (size) + "/apps");
        ok = sizeFolder.createDirectory().wasOk() &&
             writeImage (makeWindowIcon (size), sizeFolder.getChildFile ("tonarelutil.png")) && ok;
    }

    return ok ? 0 : 1;
}
