#pragma once

#include <gtest/gtest.h>

#include "device/PresetManager.h"
#include "librarian/PresetLibrarianManager.h"
#include "librarian/PresetLocal.h"
#include "librarian/PresetTonarel.h"
#include "presets/PresetFile.h"
#include "simulator/DeviceSimulator.h"
#include "simulator/InProcessMidiPorts.h"
#include "tests/TestHelpers.h"

#include <optional>

/** The first button of a window, such as the progress window's Cancel; nullptr without one. */
inline juce::Button* cancelButtonOf (juce::Component* window)
{
    if (window != nullptr)
        for (auto* child : window->getChildren())
            if (auto* button = dynamic_cast<juce::Button*> (child))
                return button;

    return nullptr;
}

/** Presses the progress window's Cancel button once a condition holds, as a user would, and
    notes when (for tests that time how soon the job ends).
*/
struct CancelWhen final : private juce::Timer
{
    CancelWhen (PresetLibrarianManager& panelToCancel, std::function<bool()> conditionToWaitFor)
        : panel (panelToCancel), condition (std::move (conditionToWaitFor))
    {
        startTimer (5);
    }

    void timerCallback() override
    {
        auto* cancel = cancelButtonOf (panel.getAlertWindow());

        if (! panel.isThreadRunning() || cancel == nullptr || ! condition())
            return;

        stopTimer();
        pressedAt = juce::Time::getMillisecondCounterHiRes();
        cancel->triggerClick();
    }

    PresetLibrarianManager& panel;
    std::function<bool()> condition;
    double pressedAt = 0.0;
};

/** A librarian panel as the program builds it, over in-process ports, with scripted dialogs and
    a documents folder of its own. The device is plugged in only when a test asks for it.
*/
class LibrarianFixture : public ::testing::Test, protected RecordedDesktop
{
protected:
    ScriptedDialogs dialogs;
    InProcessMidiPorts midiPorts;
    AppServices services = servicesFor (dialogs, midiPorts);
    std::unique_ptr<DeviceSimulator> device;
    std::unique_ptr<PresetLibrarianManager> panel;

    void plugInDevice() { device = std::make_unique<DeviceSimulator> (midiPorts, WireModel::instant()); }

    /** Builds the panel and runs the message loop until the folder chooser's first
        notification has filled the computer list. Without a device, the start-up box is
        answered "Ignore" and taken off the record, so a test sees only the boxes it causes.
    */
    PresetLibrarianManager& openPanel (int width = 800, int height = 600)
    {
        const auto withoutDevice = device == nullptr;

        if (withoutDevice)
            dialogs.answers.push_front (ignoreDevice);

        panel = std::make_unique<PresetLibrarianManager> (services);
        panel->setSize (width, height);

        if (withoutDevice)
        {
            EXPECT_FALSE (dialogs.boxes.empty());

            if (! dialogs.boxes.empty())
            {
                EXPECT_TRUE (dialogs.boxes.front().message.startsWith ("Unable to detect Tonarel."));
                dialogs.boxes.erase (dialogs.boxes.begin());
            }
        }

        EXPECT_TRUE (
            dispatchMessagesUntil ([this] { return panel->getPresetFiles().getFolderPath().isNotEmpty(); }));
        return *panel;
    }

    /** Plugs the device in and opens the panel, which reads the device's 99 names. */
    PresetLibrarianManager& openConnectedPanel()
    {
        plugInDevice();
        openPanel();
        EXPECT_EQ (panel->getDeviceList().getNumRows(), DeviceSimulator::numSlots);
        return *panel;
    }

    juce::File presetFolder() const { return juce::File (panel->getPresetFiles().getFolderPath()); }

    /** Saves a slot's preset as a file of the preset folder, under another name or version when
        given, and lists the folder again; returns the file's name.
    */
    juce::String addFileOfSlot (int slot, const juce::String& name = {},
                                std::optional<juce::int16> version = {})
    {
        auto preset = device->getSlot (slot);

        if (name.isNotEmpty())
            preset.name = name;

        if (version.has_value())
            preset.version = *version;

        const auto fileName = writePresetFile (presetFolder(), preset);
        panel->rescanPresetFolder();
        return fileName;
    }

    /** Takes the notice a load ends with off the record: the one that offers "Undo". False when
        there was none.
    */
    bool takeLoadNotice()
    {
        for (auto box = dialogs.boxes.begin(); box != dialogs.boxes.end(); ++box)
        {
            if (box->buttons == juce::StringArray { "Undo", "Ok" })
            {
                dialogs.boxes.erase (box);
                return true;
            }
        }

        return false;
    }

    /** The values of the start-up box's buttons. */
    static constexpr int exitProgram = 0, tryAgain = 1, ignoreDevice = 2;

    juce::File applicationFolder() const { return documents.root.getChildFile ("Tonarel Librarian Files"); }
    juce::File configurationFile() const { return applicationFolder().getChildFile ("tonarel.cfg"); }
    juce::File defaultPresetFolder() const { return applicationFolder().getChildFile ("Set 1"); }

    /** Writes a preset file the way a save from the device does; returns its file name. */
    juce::String writePresetFile (const juce::File& folder, const PresetData& preset)
    {
        folder.createDirectory();
        EXPECT_TRUE (::writePresetFile (folder.getFullPathName(), preset, PresetWriteMode::Overwrite));
        return presetFileName (preset);
    }

    juce::StringArray listedFileNames() const
    {
        juce::StringArray names;

        for (const auto& row : panel->getLocalList().getRows())
            names.add (row.fileName);

        return names;
    }

    /** A mouse event on a component with the given buttons and keys held. */
    static juce::MouseEvent mouseEvent (juce::Component& component, juce::ModifierKeys mods)
    {
        const auto now = juce::Time::getCurrentTime();
        return juce::MouseEvent (juce::Desktop::getInstance().getMainMouseSource(), {}, mods, 1.0f, 0.0f,
                                 0.0f, 0.0f, 0.0f, &component, &component, now, {}, now, 1, false);
    }
};
