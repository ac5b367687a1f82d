#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** The program's look: glass buttons, brushed-metal alert boxes, picture
    progress bars. Owned by ContentComp and installed as the default look and
    feel for the content's whole life.
*/
class TonarelLookAndFeel : public juce::LookAndFeel_V2
{
public:
    TonarelLookAndFeel();
    ~TonarelLookAndFeel() override;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (TonarelLookAndFeel)
};
