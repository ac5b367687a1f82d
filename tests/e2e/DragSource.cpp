// A drag source for the end-to-end tests, standing in for the desktop's file manager: a small
// window titled "Drag Source" at the top left of the screen. When the mouse is dragged in it, it
// offers the files named on its command line to other programs through the desktop's own
// drag-and-drop protocol (XDND on X11), as a file manager does; it prints "drag started" then,
// and "drag ended" once the protocol is over. It runs until it is stopped.
//
//   tonarel-drag-source FILE...

#include <juce_gui_basics/juce_gui_basics.h>

#include <iostream>

namespace
{
    class DragArea final : public juce::Component
    {
    public:
        explicit DragArea (const juce::StringArray& filesToOffer) : files (filesToOffer)
        {
            setSize (160, 100);
        }

        void paint (juce::Graphics& g) override
        {
            g.fillAll (juce::Colours::orange);
            g.setColour (juce::Colours::black);
            g.drawText ("drag me", getLocalBounds(), juce::Justification::centred);
        }

        void mouseDrag (const juce::MouseEvent& event) override
        {
            if (started || event.getDistanceFromDragStart() < 4)
                return;

            started = true;
            std::cout << "drag started" << std::endl;
            juce::DragAndDropContainer::performExternalDragDropOfFiles (
                files, false, this, [] { std::cout << "drag ended" << std::endl; });
        }

    private:
        juce::StringArray files;
        bool started = false;
    };

    class DragSourceApplication final : public juce::JUCEApplication
    {
    public:
        const juce::String getApplicationName() override { return "tonarel-drag-source"; }
        const juce::String getApplicationVersion() override { return "1"; }
        bool moreThanOneInstanceAllowed() override { return true; }

        void initialise (const juce::String&) override
        {
            juce::StringArray files;

            for (const auto& argument : getCommandLineParameterArray())
                files.add (
                    juce::File::getCurrentWorkingDirectory().getChildFile (argument).getFullPathName());

            window = std::make_unique<juce::DocumentWindow> ("Drag Source", juce::Colours::orange, 0, true);
            window->setUsingNativeTitleBar (true);
            window->setContentOwned (new DragArea (files), true);
            window->setTopLeftPosition (20, 20);
            window->setVisible (true);
        }

        void shutdown() override { window.reset(); }

    private:
        std::unique_ptr<juce::DocumentWindow> window;
    };
}

START_JUCE_APPLICATION (DragSourceApplication)
