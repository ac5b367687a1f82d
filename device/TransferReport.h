#pragma once

#include "device/TransferJob.h"
#include "presets/PresetData.h"
#include "presets/PresetListEntries.h"

#include <optional>
#include <vector>

/** One preset a job finished with, after its retries. */
struct PresetOutcome
{
    int slot = 0;

    /** The name a save read, or the file a send sent. */
    juce::String nameOrFile;

    /** Its outcome code: 0 or above when it was done. */
    int result = 0;
};

/** All that one transfer job found and did, made once the job's thread has returned and handed
    to whoever started it. Nobody changes it afterwards: the transfer controller hands it out as
    a pointer to const.
*/
struct TransferReport
{
    /** How the job ended. */
    TransferJobOutcome outcome;

    /** Every preset header the job read, in order; a failed read's has the number 0. */
    juce::Array<DevicePresetEntry> headers;

    /** The presets a ReadWhole job read whole. */
    std::vector<PresetData> wholePresets;

    /** Each preset the job finished with, in order. */
    std::vector<PresetOutcome> presets;

    /** The slots of the presets the job read or sent successfully. */
    juce::Array<int> slotsTouched() const
    {
        juce::Array<int> slots;

        for (const auto& preset : presets)
            if (preset.result >= 0)
                slots.add (preset.slot);

        return slots;
    }

    /** The device's preset format version as the last header that told one gave it; 0 when no
        header told one (a failed read hands on an emptied header, whose 0 is no version).
    */
    juce::int16 deviceVersion = 0;

    /** The version of the preset file a send read last, when it read one. */
    std::optional<juce::int16> fileVersion;
};
