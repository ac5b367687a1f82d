#pragma once

#include <juce_core/juce_core.h>

/** Where the lock that keeps two programs off the device lives, and whether it can be used.

    The librarian holds JUCE's single-instance lock while it runs, and the command line takes the
    same lock while it works (JuceMidiPorts::deviceLockName). JUCE's InterProcessLock reads a
    lock file it cannot open as a free lock: one made by another user, which this user may not
    write, would let both users' programs onto the device at once. So a program asks here first,
    and takes a lock file it cannot open for one that is held. (On Windows the lock is a named
    mutex, and another user's is one this user may not open; the file then only names it.)
*/
namespace DeviceLock
{
    /** The file JUCE locks for a lock of this name: in /var/tmp, or in /tmp without it; on
        Windows a file of the lock's name in the temporary folder.
    */
    juce::File lockFileFor (const juce::String& lockName);

    /** Empty when the lock file can be opened to be locked, or made where it is missing; else the
        system's reason why not. It does not open the file, so a lock this process holds stays.
    */
    juce::String whyUnusable (const juce::File& lockFile);

    /** The line a program gives when the lock file cannot be used, after its own name. */
    juce::String describeUnusable (const juce::File& lockFile, const juce::String& why);
}
