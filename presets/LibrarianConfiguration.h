#pragma once

#include <juce_core/juce_core.h>

/** Where the librarian keeps its files under the user's documents folder, and the one setting
    it remembers between runs: the preset folder.

    The demo (TonarelUtilDemo, and tonarel --demo) keeps all of it in a folder of its own beside
    the librarian's, "Tonarel Librarian Files (Demo)": its simulated device's snapshots, log
    lines and settings never mix with the user's, nor count toward the librarian's snapshots.

    The configuration file holds the preset folder's full path and nothing else (no key, no line
    end, no byte-order mark), as UTF-8. Every failure here is silent: the librarian goes on with
    the folder it has.
*/
class LibrarianConfiguration
{
public:
    /** Whose files: the librarian's, or the demo's, which are kept apart from them. */
    enum class Edition
    {
        librarian,
        demo
    };

    explicit LibrarianConfiguration (const juce::File& documentsFolder, Edition edition = Edition::librarian);

    /** "Tonarel Librarian Files" in the documents folder ("Tonarel Librarian Files (Demo)" for
        the demo). Everything below lives in it.
    */
    juce::File getApplicationFolder() const;
    juce::File getConfigurationFile() const;
    juce::File getDefaultPresetFolder() const;

    /** The librarian's own settings (LibrarianSettings), apart from the configuration file,
        whose format stays a bare path.
    */
    juce::File getSettingsFile() const;

    /** "Snapshots", beside the preset sets: one folder per job that overwrote slots. */
    juce::File getSnapshotsFolder() const;

    /** The transfer log, "tonarel.log". */
    juce::File getTransferLogFile() const;

    /** The folder to start with: the remembered one while it still exists, else the default.
        Creates an empty configuration file when there is none, and the folder when it is
        missing.
    */
    juce::File settlePresetFolder() const;

    /** Writes the folder's path into the configuration file, but only when that file exists:
        a user who removed it is not given a new one. The old content stays whole if the write
        fails.
    */
    void rememberPresetFolder (const juce::File& folder) const;

    /** The folder the configuration file names, or none when it names no existing folder. */
    juce::File readRememberedFolder() const;

private:
    juce::File documentsFolder;
    Edition edition;
};
