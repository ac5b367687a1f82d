#include "presets/SlotFilePairing.h"

#include "presets/PresetFileName.h"

#include <map>

SlotFilePairing pairFilesWithSlots (const juce::StringArray& fileNames, const juce::Array<int>& chosenSlots)
{
    SlotFilePairing pairing;
    std::map<int, juce::StringArray> filesOfSlot; // ordered by slot

    for (const auto& fileName : fileNames)
    {
        const auto slot = presetSlotFromFileName (fileName);

        if (! slot.has_value())
            pairing.unnumberedFiles.add (fileName);
        else if (chosenSlots.isEmpty() || chosenSlots.contains (*slot))
            filesOfSlot[*slot].add (fileName);
    }

    for (const auto& [slot, namingFiles] : filesOfSlot)
    {
        if (namingFiles.size() > 1)
        {
            pairing.sharedSlots.add ({ slot, namingFiles });
            continue;
        }

        pairing.slots.add (slot);
        pairing.fileNames.add (namingFiles[0]);
    }

    return pairing;
}
