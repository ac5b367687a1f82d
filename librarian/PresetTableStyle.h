#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** What the device list and the computer list share: the table's set-up, its row colours and
    the way a cell's text is drawn.
*/
namespace PresetTableStyle
{
    const juce::Colour selectedRowColour { 0xffadd8e6 };
    const juce::Colour oddRowColour { 0xffdfe1e6 };
    const juce::Colour textColour { 0xff000000 };
    const juce::Colour outlineColour { 0xff808080 };

    /** Columns can be hidden, dragged and some resized, but never sorted. */
    constexpr int fixedColumn = juce::TableHeaderComponent::notResizableOrSortable;
    constexpr int resizableColumn = juce::TableHeaderComponent::notSortable;

    /** Names the table and gives it the grey outline and multiple selection, without the
        header menu's automatic sizing entries.
    */
    void setUp (juce::TableListBox& table, const juce::String& name);

    /** Selected rows in light blue, odd rows striped, even rows left to the table's background. */
    void paintRowBackground (juce::Graphics& g, int rowNumber, int width, int height, bool rowIsSelected);

    /** Black text from 5 pixels in, vertically centred, shortened with an ellipsis. */
    void paintCellText (juce::Graphics& g, const juce::Font& font, const juce::String& text, int width,
                        int height);

    /** F5 with no modifier keys: the lists' refresh key. */
    bool isRefreshKey (const juce::KeyPress& key);

    /** The table fills its list less this much on each side. */
    constexpr int tableInset = 8;
}
