#include "librarian/PresetTableStyle.h"

namespace PresetTableStyle
{
    void setUp (juce::TableListBox& table, const juce::String& name)
    {
        table.setName (name);
        table.setColour (juce::ListBox::outlineColourId, outlineColour);
        table.setOutlineThickness (1);
        table.setAutoSizeMenuOptionShown (false);
        table.setMultipleSelectionEnabled (true);
    }

    void paintRowBackground (juce::Graphics& g, int rowNumber, int width, int height, bool rowIsSelected)
    {
        if (rowIsSelected)
            g.setColour (selectedRowColour);
        else if (rowNumber % 2 != 0)
            g.setColour (oddRowColour);
        else
            return;

        g.fillRect (0, 0, width, height);
    }

    void paintCellText (juce::Graphics& g, const juce::Font& font, const juce::String& text, int width,
                        int height)
    {
        g.setColour (textColour);
        g.setFont (font);
        g.drawText (text, 5, 0, width - 5, height, juce::Justification::centredLeft, true);
    }

    bool isRefreshKey (const juce::KeyPress& key)
    {
        return key == juce::KeyPress (juce::KeyPress::F5Key);
    }
}
