#include "librarian/LibrarianSettings.h"

namespace
{
    constexpr auto keepSnapshotKey = "keepSnapshotBeforeLoading";
    constexpr auto verifyAfterLoadingKey = "verifyAfterLoading";

    juce::PropertiesFile::Options settingsOptions()
    {
        juce::PropertiesFile::Options options;
        options.storageFormat = juce::PropertiesFile::storeAsXML;
        options.millisecondsBeforeSaving = -1; // saved on every change, not on a timer
        options.commonToAllUsers = false;
        return options;
    }
}

LibrarianSettings::LibrarianSettings (const juce::File& settingsFile)
    : properties (settingsFile, settingsOptions())
{
}

bool LibrarianSettings::getKeepSnapshot() const
{
    return properties.getBoolValue (keepSnapshotKey, true);
}

void LibrarianSettings::setKeepSnapshot (bool shouldKeep)
{
    properties.setValue (keepSnapshotKey, shouldKeep);
    properties.saveIfNeeded();
}

bool LibrarianSettings::getVerifyAfterLoading() const
{
    return properties.getBoolValue (verifyAfterLoadingKey, false);
}

void LibrarianSettings::setVerifyAfterLoading (bool shouldVerify)
{
    properties.setValue (verifyAfterLoadingKey, shouldVerify);
    properties.saveIfNeeded();
}
