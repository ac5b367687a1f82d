#pragma once

#include "device/LibrarianTimings.h"
#include "device/TransferJob.h"
#include "device/TransferJobHost.h"

#include "device/JobPace.h"
#include "device/SlotArrangement.h"
#include "presets/PresetData.h"

#include <functional>
#include <map>
#include <optional>

class PresetManager;
class TransferLog;
struct VerifiedWrite;

/** Carries out one transfer job preset by preset through the preset manager, one exchange at a
    time: the reads and saves of "Save >", the sends of "< Load To" with their snapshots and
    verifies, the name reads, and the whole reads a comparison makes. It keeps the device's rules: the pauses,
   four tries at a failed preset, the overwrite questions, the read-back of what a send reached. The librarian
   and the command line both run their jobs through it, each as its host.

    Runs on the thread that calls run(), which must be the only one using the preset manager
    meanwhile. Each exchange and the job itself are written to the transfer log, when there is one.
*/
class TransferJobRunner
{
public:
    TransferJobRunner (PresetManager& presetManager, TransferJobHost& host, TransferLog* log,
                       const LibrarianTimings& timings);

    /** Runs a job to its end and tells how it ended. A runner may run several jobs in turn; the
        device's preset format it last read whole carries over to the next.
    */
    TransferJobOutcome run (const TransferJob& job);

    /** The clock the pace ("about 20 s left") is kept by, in seconds; for tests. */
    void setClock (std::function<double()> newClock) { clock = std::move (newClock); }

private:
    void runJob();
    void saveDevicePresets();
    void sendPresetFiles();
    void readNames (const juce::Array<int>& slotNumbers);
    void readWholePresets();

    /** Reads the selected slots whole, with the usual retries, and calls useWholePreset for each
        preset read whole; it may turn the outcome into a failure of its own (a save that failed).
    */
    void readSlotsWhole (const std::function<void (const PresetData&)>& useWholePreset);

    /** What became of one attempt at sending a slot's file. */
    enum class SendStep
    {
        sameSlot, // the attempt failed and is to be made again
        nextSlot, // the slot is done with, sent or not
        endJob    // the slot must not be written, and the job ends
    };

    /** Where the sending of one slot's file stands, over its attempts. */
    struct SlotSend
    {
        int retries = 0;
        bool slotReached = false;         // an attempt has sent something to the device
        bool snapshotTaken = false;       // the slot's old content is safe in the snapshot folder
        std::optional<PresetData> preset; // the slot's file, read once for all its attempts
    };

    /** One attempt at sending the current file into slot: the snapshot first (once per slot),
        the send, the verify, and the retry rule.
    */
    SendStep sendAttempt (int slot, const juce::String& fileName, SlotSend& current);

    /** Reads a slot, whole or its header only, and hands out what the read brought (see
        PresetManager::takeReceivedPreset); the outcome is in outcome.result. With mayBeCut false
        the read is not cut short when the job is told to end.
    */
    PresetData readSlot (int slot, bool nameOnly, bool mayBeCut = true);

    /** Reads a send's file and checks that the device can take it, telling the user when it
        cannot; nothing when the file is not to be sent.
    */
    std::optional<PresetData> presetToSend (int slot, const juce::String& fileName);

    /** The file of a send's slot, once it is read, checked and its slot is to be overwritten;
        nothing when the slot is passed over.
    */
    std::optional<PresetData> presetForSlot (const DevicePresetEntry& slot, const juce::String& fileName,
                                             bool offerApplyToAll, StandingAnswer& slotAnswer);

    /** The outcome of a preset read whole that could not be saved, with the file and why. */
    void saveFailed (const juce::String& fileName);

    /** Reports a preset finished with, and counts it. */
    void reportDone (int slot, const juce::String& nameOrFile, int result);

    /** Asks the host, keeping the time the question was open out of the pace. */
    int ask (const TransferQuestion& question);

    /** The pace's clock without the time questions were open. */
    double paceClock() const;

    /** Reads a slot whole and saves it into the job's snapshot folder (made at the first
        snapshot), with the usual retries; false when the slot must not be overwritten.
    */
    bool takeSnapshot (int slot);

    /** Reads a slot just sent and compares it with what was sent; true when they agree. A
        difference is a verifyFailed outcome.
    */
    bool verifySlot (int slot, const juce::String& fileName, const PresetData& sent, int retries);

    /** Starts a job: progress 0, the device's pause, progress 0 again. */
    void beginJob();

    /** The check at the top of every preset: true when the job has to end. */
    bool jobMustEnd();

    /** Waits for the exchange just started to end and takes its outcome; a start that failed is
        a failed preset, and ends the job. With mayBeCut false the exchange runs to its end also
        when the job is told to end, and a failed start does not end the job: the caller decides.
    */
    void awaitExchange (bool started, bool sending, bool quick, bool mayBeCut = true);

    //==============================================================================
    // Arranging slots (ArrangeSlotsJob.cpp).

    /** Moves presets between slots as job.arrangement says, one cycle of writes at a time. */
    void arrangeSlots();

    /** Reads the slots whole, with the usual retries; nothing when one could not be read. */
    std::optional<std::map<int, PresetData>> readOriginals (const juce::Array<int>& slots);

    /** Saves the present preset of every slot the cycles write into a snapshot folder, whatever
        the snapshot setting; false (and nothing may be written) when that failed.
    */
    bool keepOriginals (const std::vector<SlotArrangement::Cycle>& cycles,
                        const std::map<int, PresetData>& originals);

    /** Writes one cycle whole, or puts it back as it was; false when the job is to end. */
    bool writeCycle (const SlotArrangement::Cycle& cycle, const std::map<int, PresetData>& originals);

    /** Writes the cycle's first writtenCount slots back to their originals, last first; false
        when one of them could not be, with what the slots now hold in the failure notice.
    */
    bool putCycleBack (const SlotArrangement::Cycle& cycle, int writtenCount,
                       const std::map<int, PresetData>& originals);

    /** Sends preset into slot with up to three retries, verifying it when the job verifies, and
        never cut short by the job being told to end; true when the slot holds it.
    */
    bool writeSlotWhole (int slot, const PresetData& preset, const juce::String& exchange);

    /** The status line of a write of the arrangement, with a note while it finishes a cancel. */
    void showArrangeStatus (const juce::String& text);

    /** The retry rule: true when the same preset is to be tried again. */
    bool shouldRetry (int& retries);

    void showStatus (const juce::String& text);
    void showPace (const JobPace& pace, int position, int done);

    /** Notes in the log a file saved whose folder could not be flushed to the disk. */
    void noteUnsyncedFolder (const VerifiedWrite& saved, const juce::String& exchange, int slot,
                             const juce::String& fileName);

    /** Logs the exchange that just ended, with its outcome. */
    void logAttempt (const juce::String& exchange, int slot, const juce::String& fileName, int retries,
                     double startedAt);

    PresetManager& manager;
    TransferJobHost& host;
    TransferLog* log;
    const LibrarianTimings timings;

    TransferJob job;
    TransferJobOutcome outcome;
    juce::File snapshotFolder;
    juce::String statusText, paceText;

    // An exchange was ended because the job was told to end from outside (Cancel, Ctrl+C).
    bool exchangeEndedFromOutside = false;

    // The device's preset format as the last whole read gave it, 0 before one.
    juce::int16 lastDeviceVersion = 0;

    // An arrangement's progress: writes made of all it plans, and the file each slot's original
    // was kept in.
    int arrangeWritesDone = 0, arrangeWritesPlanned = 0;
    std::map<int, juce::File> keptOriginals;

    std::function<double()> clock = [] { return JobPace::now(); };
    double secondsAsking = 0.0;
};
