#pragma once

#include <juce_data_structures/juce_data_structures.h>

/** The choices the user makes in the Functions menu that outlive the program: whether a slot is
    read into a snapshot before it is overwritten, and whether a sent preset is read back and
    compared. They live in a settings file of their own, so the configuration file keeps holding
    nothing but the preset folder's path.

    Every change is saved at once; a settings file that cannot be read or written leaves the
    defaults in force without a word, as the configuration file does.
*/
class LibrarianSettings
{
public:
    explicit LibrarianSettings (const juce::File& settingsFile);

    /** On unless the user turned it off. */
    bool getKeepSnapshot() const;
    void setKeepSnapshot (bool shouldKeep);

    /** Off unless the user turned it on. */
    bool getVerifyAfterLoading() const;
    void setVerifyAfterLoading (bool shouldVerify);

private:
    juce::PropertiesFile properties;

    JUCE_DECLARE_NON_COPYABLE (LibrarianSettings)
};
