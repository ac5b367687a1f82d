#pragma once

#include <juce_core/juce_core.h>

/** Opens a document with the desktop's default application for its type; false when it could
    not be handed over.

    On Linux JUCE hands the path to a shell inside double quotes, where $, `, \ and " still act,
    so a path holding any of them could run a command of its own. Such a path is refused rather
    than handed over.
*/
bool openWithDesktop (const juce::File& document);
