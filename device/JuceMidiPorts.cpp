#include "device/JuceMidiPorts.h"

#include <mutex>

#if JUCE_LINUX
 #include <alsa/asoundlib.h>
#endif

namespace
{
   #if JUCE_LINUX
    // Without a sequencer (/dev/snd/seq missing: the module not loaded, a container) ALSA's library
    // writes its own error lines to standard error each time JUCE looks for ports. The programs
    // say themselves that no device was found, in words a user can act on.
    void ignoreAlsaErrors (const char*, int, const char*, int, const char*, ...) {}

    const bool alsaErrorsSilenced = [] { return snd_lib_error_set_handler (ignoreAlsaErrors) == 0; }();
   #endif

    /** An input opened through JUCE. JUCE's own stop() only clears a flag on Linux (its destructor
        does wait), so a callback already past that flag could still run after stop() returned.
        The port therefore hands JUCE a forwarder that holds a lock while it calls the program's
        callback, and stop() takes that lock.
    */
    class JuceInputPort final : public MidiInputPort, private juce::MidiInputCallback
    {
    public:
        explicit JuceInputPort (juce::MidiInputCallback& cb) : callback (cb) {}

        ~JuceInputPort() override
        {
            stop();
            input.reset();
        }

        bool open (const juce::String& identifier)
        {
            input = juce::MidiInput::openDevice (identifier, this);
            return input != nullptr;
        }

        void start() override
        {
            const std::lock_guard<std::recursive_mutex> running (callbackLock);
            started = true;
            input->start();
        }

        void stop() override
        {
            input->stop();

            // Waits for a callback in progress; started then keeps out any that JUCE still makes.
            // Recursive because a callback may stop its own port.
            const std::lock_guard<std::recursive_mutex> running (callbackLock);
            started = false;
        }

    private:
        void handleIncomingMidiMessage (juce::MidiInput* source, const juce::MidiMessage& message) override
        {
            const std::lock_guard<std::recursive_mutex> running (callbackLock);

            if (started)
                callback.handleIncomingMidiMessage (source, message);
        }

        void handlePartialSysexMessage (juce::MidiInput* source, const juce::uint8* data, int numBytesSoFar,
                                        double timestamp) override
        {
            const std::lock_guard<std::recursive_mutex> running (callbackLock);

            if (started)
                callback.handlePartialSysexMessage (source, data, numBytesSoFar, timestamp);
        }

        juce::MidiInputCallback& callback;
        std::recursive_mutex callbackLock; // held while the program's callback runs
        bool started = false;              // guarded by callbackLock
        std::unique_ptr<juce::MidiInput> input;

        JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (JuceInputPort)
    };

    class JuceOutputPort final : public MidiOutputPort
    {
    public:
        explicit JuceOutputPort (std::unique_ptr<juce::MidiOutput> out) : output (std::move (out)) {}

        void sendMessageNow (const juce::MidiMessage& message) override { output->sendMessageNow (message); }

    private:
        std::unique_ptr<juce::MidiOutput> output;

        JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (JuceOutputPort)
    };

    juce::StringArray namesOf (const juce::Array<juce::MidiDeviceInfo>& devices)
    {
        juce::StringArray names;

        for (auto& device : devices)
            names.add (device.name);

        return names;
    }
} // namespace

juce::StringArray JuceMidiPorts::getInputNames()
{
    return namesOf (juce::MidiInput::getAvailableDevices());
}

juce::StringArray JuceMidiPorts::getOutputNames()
{
    return namesOf (juce::MidiOutput::getAvailableDevices());
}

std::unique_ptr<MidiInputPort> JuceMidiPorts::openInput (int index, juce::MidiInputCallback& callback)
{
    // The list is taken again here, so a port that came or went since the caller listed them can
    // shift the positions: the caller then opens whatever stands there now, as with the old
    // index-based calls.
    const auto devices = juce::MidiInput::getAvailableDevices();

    if (! juce::isPositiveAndBelow (index, devices.size()))
        return nullptr;

    auto input = std::make_unique<JuceInputPort> (callback);

    if (! input->open (devices.getReference (index).identifier))
        return nullptr;

    return input;
}

std::unique_ptr<MidiOutputPort> JuceMidiPorts::openOutput (int index)
{
    const auto devices = juce::MidiOutput::getAvailableDevices();

    if (! juce::isPositiveAndBelow (index, devices.size()))
        return nullptr;

    auto output = juce::MidiOutput::openDevice (devices.getReference (index).identifier);

    if (output == nullptr)
        return nullptr;

    return std::make_unique<JuceOutputPort> (std::move (output));
}
