#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include "librarian/SecondaryWindow.h"

#include "device/PresetComparison.h"

/** What the comparison window shows: how the preset of a file differs from the preset in a slot.
    A headline says "Identical", or what differs; below it a table with a column for the file and
    one for the slot: which file and which slot, the name (as the device stores it) and the
    version, then one row per parameter that differs (a value the other side lacks shows as
    "none"). Values that differ are drawn in red. Message thread only.
*/
class PresetComparisonView final : public juce::Component, private juce::TableListBoxModel
{
public:
    PresetComparisonView();
    ~PresetComparisonView() override;

    /** Shows the comparison of a file's preset with the preset read from slot. */
    void show (const juce::String& fileName, const PresetData& filePreset, int slot,
               const PresetData& slotPreset);

    const PresetDifferences& getDifferences() const noexcept { return differences; }

    /** "Identical", or what differs: the name, the version, how many parameters. */
    juce::String getHeadline() const { return headline.getText(); }

    /** The table's rows as text, "what | file | slot", for a test or a screen reader. */
    juce::StringArray describeRows() const;

    void resized() override;

    static constexpr const char* identicalText = "Identical";

private:
    struct Row
    {
        juce::String what, fileValue, slotValue;
        bool differs = false;
    };

    int getNumRows() override { return (int) rows.size(); }
    void paintRowBackground (juce::Graphics&, int rowNumber, int width, int height, bool selected) override;
    void paintCell (juce::Graphics&, int rowNumber, int columnId, int width, int height,
                    bool selected) override;

    PresetDifferences differences;
    std::vector<Row> rows;
    juce::Label headline;
    juce::TableListBox table { "comparison", this };

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (PresetComparisonView)
};

/** The window of a comparison: a PresetComparisonView, shown over the librarian. Closing it (or
    Escape) only hides it; the next comparison shows in it again. Owned by the librarian panel.
    Commands go on to the command target that holds the panel.
*/
class PresetComparisonWindow final : public SecondaryWindow
{
public:
    explicit PresetComparisonWindow (juce::Component& librarianPanel);
    ~PresetComparisonWindow() override;

    /** Shows the window in front, centred over the panel's window every time. */
    void showInFront();

    PresetComparisonView& getView() noexcept { return view; }

    juce::ApplicationCommandTarget* getNextCommandTarget() override;

    static constexpr const char* windowTitle = "Preset Comparison";
    static constexpr int defaultWidth = 480, defaultHeight = 400;

private:
    juce::Component& panel;
    PresetComparisonView view;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (PresetComparisonWindow)
};
