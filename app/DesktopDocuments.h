#pragma once

#include <juce_core/juce_core.h>

/** Opens a document with the desktop's default application for its type; false when no program
    could show it, so that the caller can tell the user where the document is.

    On Linux the desktop's openers (xdg-open, then gio and the system's browser) are run directly,
    without a shell, so no character of the path can act as a command. An opener that fails within
    graceMs (xdg-open does when nothing on the machine handles the type) counts as not shown, and
    the next is tried; one still running after graceMs is taken to be showing the document. No
    opener is left behind unreaped: each runs as the child of a short-lived child of ours, so it
    belongs to the system once it outlives that wait.

    On Windows the shell's own opener is used, through the framework; graceMs is not needed there,
    as the shell says at once whether a program took the document.
*/
bool openWithDesktop (const juce::File& document, int graceMs = 1500);
