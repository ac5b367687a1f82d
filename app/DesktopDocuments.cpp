#include "app/DesktopDocuments.h"

bool openWithDesktop (const juce::File& document)
{
    if (document.getFullPathName().containsAnyOf ("$`\\\""))
        return false;

    return document.startAsProcess();
}
