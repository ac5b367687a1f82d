#pragma once

#include "device/MidiPorts.h"

/** The computer's real MIDI service, through JUCE's MidiInput and MidiOutput. A port is opened by
    the identifier found at its position in the device list.
*/
class JuceMidiPorts final : public MidiPorts
{
public:
    JuceMidiPorts() = default;

    juce::StringArray getInputNames() override;
    juce::StringArray getOutputNames() override;
    std::unique_ptr<MidiInputPort> openInput (int index, juce::MidiInputCallback& callback) override;
    std::unique_ptr<MidiOutputPort> openOutput (int index) override;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (JuceMidiPorts)
};
