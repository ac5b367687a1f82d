#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** The preset folder's chooser: the framework's FilenameComponent, with its Browse button one of
    the stops of Tab like any other button.

    The framework's chooser lets its children have the keyboard only while it wants the keyboard
    itself, which would add a stop before Browse where nothing happens; this one hands Tab on to
    the window's order instead. Owned by the librarian panel.
*/
class FolderChooser final : public juce::FilenameComponent
{
public:
    using juce::FilenameComponent::FilenameComponent;

    std::unique_ptr<juce::ComponentTraverser> createKeyboardFocusTraverser() override
    {
        return juce::Component::createKeyboardFocusTraverser();
    }
};
