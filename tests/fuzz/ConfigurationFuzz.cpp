// The configuration file is one path, but it is a file in the user's documents that anything
// may have rewritten: another editor's line ends and byte-order marks, another encoding, a
// truncated write, garbage. Whatever it holds, the librarian must start with a folder that
// exists, and a folder it reads must be the one it writes back.

#include "tests/fuzz/FuzzEntries.h"

#include "presets/LibrarianConfiguration.h"

#include <iostream>

namespace
{
    bool fail (const char* what)
    {
        std::cerr << "fuzzConfigurationRead: " << what << std::endl;
        return false;
    }

    bool checkConfiguration (const juce::File& documents, const uint8_t* data, size_t size)
    {
        const LibrarianConfiguration configuration (documents);

        if (! configuration.getApplicationFolder().createDirectory() ||
            ! configuration.getConfigurationFile().replaceWithData (data, size))
            return fail ("the input could not be written");

        const auto remembered = configuration.readRememberedFolder();

        if (remembered != juce::File() && ! remembered.isDirectory())
            return fail ("the remembered folder is no folder");

        const auto settled = configuration.settlePresetFolder();

        if (! settled.isDirectory())
            return fail ("the librarian starts without a preset folder");

        if (settled != (remembered == juce::File() ? configuration.getDefaultPresetFolder() : remembered))
            return fail ("the start folder is neither the remembered nor the default one");

        configuration.rememberPresetFolder (settled);

        if (configuration.readRememberedFolder() != settled)
            return fail ("the folder written is not the folder read back");

        return true;
    }
} // namespace

bool fuzzConfigurationRead (const uint8_t* data, size_t size)
{
    const auto documents = fuzzScratchFolder();
    const auto holds = checkConfiguration (documents, data, size);

    for (const auto& entry : documents.findChildFiles (juce::File::findFilesAndDirectories, false))
        entry.deleteRecursively();

    return holds;
}

#if TONAREL_FUZZ_MAIN
TONAREL_FUZZ_ENTRY (fuzzConfigurationRead)
#endif
