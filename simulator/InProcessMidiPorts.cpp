#include "simulator/InProcessMidiPorts.h"

#include <algorithm>
#include <atomic>
#include <mutex>
#include <vector>

namespace
{
    /** One program-side handle on an input, shared by the handle and the registry's list of
        handles to deliver to.
    */
    struct InputConnection
    {
        InputConnection (int id, juce::MidiInputCallback& cb) : inputId (id), callback (cb) {}

        /** Runs the callback unless the handle is stopped or its port is gone. */
        void deliver (const juce::MidiMessage& message)
        {
            const std::lock_guard<std::recursive_mutex> running (callbackLock);

            if (started && ! unplugged.load())
                callback.handleIncomingMidiMessage (nullptr, message);
        }

        void setStarted (bool shouldRun)
        {
            // Taking the lock waits for a callback in progress, so stop() returns only once no
            // callback runs and, with started cleared, none will follow. The lock is recursive
            // because a callback may stop or delete its own port.
            const std::lock_guard<std::recursive_mutex> running (callbackLock);
            started = shouldRun;
        }

        const int inputId;
        juce::MidiInputCallback& callback;
        std::atomic<bool> unplugged { false };

    private:
        std::recursive_mutex callbackLock; // held while the callback runs
        bool started = false;              // guarded by callbackLock
    };

    /** A registered output: its receiver, and whether it has been unplugged. Shared by the registry
        and every program-side handle opened on it.
    */
    struct OutputLine
    {
        explicit OutputLine (InProcessMidiPorts::Receiver r) : receiver (std::move (r)) {}

        void send (const juce::MidiMessage& message)
        {
            const std::lock_guard<std::recursive_mutex> receiving (receiveLock);

            if (! unplugged && receiver != nullptr)
                receiver (message);
        }

        /** Returns once no receiver call is running; none follows. */
        void unplug()
        {
            const std::lock_guard<std::recursive_mutex> receiving (receiveLock);
            unplugged = true;
        }

    private:
        InProcessMidiPorts::Receiver receiver;

        // Held while the receiver runs, so that whoever removes the output may destroy what the
        // receiver touches as soon as removeOutput returns.
        std::recursive_mutex receiveLock;
        bool unplugged = false; // guarded by receiveLock
    };
} // namespace

//==============================================================================
struct InProcessMidiPorts::Registry
{
    struct Input
    {
        int id;
        juce::String name;
    };

    struct Output
    {
        int id;
        juce::String name;
        std::shared_ptr<OutputLine> line;
    };

    /** Guards the lists only. It is never held while a callback or a receiver runs: the program's
        callback may block for a long time and sends from inside it.
    */
    std::mutex lock;
    int nextId = 1;
    std::vector<Input> inputs;
    std::vector<Output> outputs;
    std::vector<std::shared_ptr<InputConnection>> connections;

    void forget (const std::shared_ptr<InputConnection>& connection)
    {
        const std::lock_guard<std::mutex> guard (lock);
        connections.erase (std::remove (connections.begin(), connections.end(), connection),
                           connections.end());
    }
};

namespace
{
    /** The names of a list of registered ports, in registration order. */
    template <typename Ports>
    juce::StringArray namesOf (const Ports& ports)
    {
        juce::StringArray names;

        for (auto& port : ports)
            names.add (port.name);

        return names;
    }

    class InProcessInputPort final : public MidiInputPort
    {
    public:
        InProcessInputPort (std::shared_ptr<InputConnection> c, std::function<void()> onClose)
            : connection (std::move (c)), forgetConnection (std::move (onClose))
        {
        }

        ~InProcessInputPort() override
        {
            stop();
            forgetConnection();
        }

        void start() override { connection->setStarted (true); }
        void stop() override { connection->setStarted (false); }

    private:
        std::shared_ptr<InputConnection> connection;

        // Holds the registry: a port may be closed after the service is gone.
        std::function<void()> forgetConnection;

        JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (InProcessInputPort)
    };

    class InProcessOutputPort final : public MidiOutputPort
    {
    public:
        explicit InProcessOutputPort (std::shared_ptr<OutputLine> l) : line (std::move (l)) {}

        void sendMessageNow (const juce::MidiMessage& message) override { line->send (message); }

    private:
        std::shared_ptr<OutputLine> line;

        JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (InProcessOutputPort)
    };
} // namespace

//==============================================================================
InProcessMidiPorts::InProcessMidiPorts() : registry (std::make_shared<Registry>()) {}

InProcessMidiPorts::~InProcessMidiPorts()
{
    // Handles may outlive the service; they go dead as if every port had been unplugged.
    std::vector<int> inputIds, outputIds;
    {
        const std::lock_guard<std::mutex> guard (registry->lock);

        for (auto& input : registry->inputs)
            inputIds.push_back (input.id);

        for (auto& output : registry->outputs)
            outputIds.push_back (output.id);
    }

    for (auto id : inputIds)
        removeInput (id);

    for (auto id : outputIds)
        removeOutput (id);
}

int InProcessMidiPorts::addInput (const juce::String& name)
{
    const std::lock_guard<std::mutex> guard (registry->lock);
    const auto id = registry->nextId++;
    registry->inputs.push_back ({ id, name });
    return id;
}

int InProcessMidiPorts::addOutput (const juce::String& name, Receiver receiver)
{
    const std::lock_guard<std::mutex> guard (registry->lock);
    const auto id = registry->nextId++;
    registry->outputs.push_back ({ id, name, std::make_shared<OutputLine> (std::move (receiver)) });
    return id;
}

void InProcessMidiPorts::removeInput (int inputId)
{
    const std::lock_guard<std::mutex> guard (registry->lock);
    auto& inputs = registry->inputs;
    inputs.erase (std::remove_if (inputs.begin(), inputs.end(),
                                  [inputId] (const Registry::Input& input) { return input.id == inputId; }),
                  inputs.end());

    // A callback already running finishes; none starts after this.
    auto& connections = registry->connections;

    for (auto& connection : connections)
        if (connection->inputId == inputId)
            connection->unplugged = true;

    connections.erase (std::remove_if (connections.begin(), connections.end(),
                                       [inputId] (const std::shared_ptr<InputConnection>& connection)
                                       { return connection->inputId == inputId; }),
                       connections.end());
}

void InProcessMidiPorts::removeOutput (int outputId)
{
    std::shared_ptr<OutputLine> line;
    {
        const std::lock_guard<std::mutex> guard (registry->lock);
        auto& outputs = registry->outputs;
        const auto found =
            std::find_if (outputs.begin(), outputs.end(),
                          [outputId] (const Registry::Output& output) { return output.id == outputId; });

        if (found == outputs.end())
            return;

        line = found->line;
        outputs.erase (found);
    }

    // Outside the registry lock: this waits for a receiver call in progress, and that call may be
    // listing ports.
    line->unplug();
}

void InProcessMidiPorts::deliver (int inputId, const juce::MidiMessage& message)
{
    std::vector<std::shared_ptr<InputConnection>> targets;
    {
        const std::lock_guard<std::mutex> guard (registry->lock);

        for (auto& connection : registry->connections)
            if (connection->inputId == inputId)
                targets.push_back (connection);
    }

    for (auto& connection : targets)
        connection->deliver (message);
}

//==============================================================================
juce::StringArray InProcessMidiPorts::getInputNames()
{
    const std::lock_guard<std::mutex> guard (registry->lock);
    return namesOf (registry->inputs);
}

juce::StringArray InProcessMidiPorts::getOutputNames()
{
    const std::lock_guard<std::mutex> guard (registry->lock);
    return namesOf (registry->outputs);
}

std::unique_ptr<MidiInputPort> InProcessMidiPorts::openInput (int index, juce::MidiInputCallback& callback)
{
    const std::lock_guard<std::mutex> guard (registry->lock);

    if (! juce::isPositiveAndBelow (index, (int) registry->inputs.size()))
        return nullptr;

    auto connection = std::make_shared<InputConnection> (registry->inputs[(size_t) index].id, callback);
    registry->connections.push_back (connection);
    return std::make_unique<InProcessInputPort> (connection, [keptRegistry = registry, connection]
                                                 { keptRegistry->forget (connection); });
}

std::unique_ptr<MidiOutputPort> InProcessMidiPorts::openOutput (int index)
{
    const std::lock_guard<std::mutex> guard (registry->lock);

    if (! juce::isPositiveAndBelow (index, (int) registry->outputs.size()))
        return nullptr;

    return std::make_unique<InProcessOutputPort> (registry->outputs[(size_t) index].line);
}
