#include "presets/LibrarianConfiguration.h"

#include "presets/StrictUtf8.h"
#include "presets/VerifiedFileWrite.h"

namespace
{
    constexpr auto applicationFolderName = "Tonarel Librarian Files";
    constexpr auto demoApplicationFolderName = "Tonarel Librarian Files (Demo)";
    constexpr auto configurationFileName = "tonarel.cfg";
    constexpr auto defaultPresetFolderName = "Set 1";
    constexpr auto settingsFileName = "tonarel.settings";
    constexpr auto snapshotsFolderName = "Snapshots";
    constexpr auto transferLogFileName = "tonarel.log";

    // A path is a few hundred bytes; anything much larger is not a configuration of ours and
    // is not read into memory.
    constexpr juce::int64 largestConfiguration = 64 * 1024;

    /** The configuration's text exactly as written, or nothing when the file is missing, too
        large or not strict UTF-8 (which JUCE's strings do not take safely).
    */
    juce::String readConfigurationText (const juce::File& file)
    {
        juce::MemoryBlock bytes;

        if (! file.existsAsFile() || file.getSize() > largestConfiguration || ! file.loadFileAsData (bytes) ||
            ! isStrictUtf8 (bytes.getData(), bytes.getSize()))
            return {};

        return juce::String::fromUTF8 (static_cast<const char*> (bytes.getData()), (int) bytes.getSize());
    }
}

LibrarianConfiguration::LibrarianConfiguration (const juce::File& documents, Edition whose)
    : documentsFolder (documents), edition (whose)
{
}

juce::File LibrarianConfiguration::getApplicationFolder() const
{
    return documentsFolder.getChildFile (edition == Edition::demo ? demoApplicationFolderName
                                                                  : applicationFolderName);
}

juce::File LibrarianConfiguration::getConfigurationFile() const
{
    return getApplicationFolder().getChildFile (configurationFileName);
}

juce::File LibrarianConfiguration::getDefaultPresetFolder() const
{
    return getApplicationFolder().getChildFile (defaultPresetFolderName);
}

juce::File LibrarianConfiguration::getSettingsFile() const
{
    return getApplicationFolder().getChildFile (settingsFileName);
}

juce::File LibrarianConfiguration::getSnapshotsFolder() const
{
    return getApplicationFolder().getChildFile (snapshotsFolderName);
}

juce::File LibrarianConfiguration::getTransferLogFile() const
{
    return getApplicationFolder().getChildFile (transferLogFileName);
}

juce::File LibrarianConfiguration::readRememberedFolder() const
{
    // Used exactly as written: a path with a line end added names no folder.
    const auto text = readConfigurationText (getConfigurationFile());

    if (text.isEmpty() || ! juce::File::isAbsolutePath (text))
        return {};

    const juce::File folder (text);
    return folder.isDirectory() ? folder : juce::File();
}

juce::File LibrarianConfiguration::settlePresetFolder() const
{
    auto folder = readRememberedFolder();

    if (folder == juce::File())
        folder = getDefaultPresetFolder();

    const auto configuration = getConfigurationFile();

    if (! configuration.existsAsFile())
        configuration.create();

    if (! folder.isDirectory())
        folder.createDirectory();

    removeLeftoverTemporaryFiles (getApplicationFolder());
    return folder;
}

void LibrarianConfiguration::rememberPresetFolder (const juce::File& folder) const
{
    const auto configuration = getConfigurationFile();

    if (! configuration.existsAsFile())
        return;

    // Every scan of the preset folder lands here; a durable write of what the file already
    // holds would only cost a flush to the disk.
    if (readConfigurationText (configuration) == folder.getFullPathName())
        return;

    const auto path = folder.getFullPathName().toUTF8();
    writeFileVerified (configuration, juce::MemoryBlock (path.getAddress(), path.sizeInBytes() - 1));
}
