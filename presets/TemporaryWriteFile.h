#pragma once

#include <juce_core/juce_core.h>

/** The temporary file of one verified write, with the system calls a write needs: made new
    beside its target, locked from the moment it exists until it replaces the target, flushed to
    the disk, and renamed over the target in one step.

    The lock is how a later clean-up tells the leftover of a write that was cut short from the file
    of a write still at work, in this process or another. The Linux and Windows halves of every
    call live side by side in its source file; the rest of the program calls only what is here.

    Owned by the write that made it, on that write's thread.
*/
class TemporaryWriteFile
{
public:
    TemporaryWriteFile() = default;
    ~TemporaryWriteFile();

    /** Makes, opens and locks a new file of that name; nameTaken when one is already there (or
        a clean-up removed the new one before it was locked), failed with the reason otherwise.
    */
    enum class Made
    {
        ok,
        nameTaken,
        failed
    };
    Made create (const juce::File& newFile, juce::String& failure);

    /** Writes all of content and flushes it to the disk. */
    juce::Result writeAllAndFlush (const juce::MemoryBlock& content);

    /** Renames the file over target in one step, replacing whatever is there; it stays open
        and locked until this object goes.
    */
    juce::Result replace (const juce::File& target);

    /** Whether a file is open here: it is removed again when a write fails. */
    bool isOpen() const noexcept;

    const juce::File& getFile() const noexcept { return file; }

    /** Flushes a folder's entries, so that a rename in it survives a power cut; false where the
        folder cannot be flushed.
    */
    static bool syncFolder (const juce::File& folder);

    /** Removes file when it is a plain file no write holds; false when one does, or it is not. */
    static bool removeIfNoWriter (const juce::File& file);

private:
    void close();

    juce::File file;
    // The open file: a HANDLE on Windows, a descriptor elsewhere; -1 when none, as both spell it.
    juce::pointer_sized_int handle = -1;

    JUCE_DECLARE_NON_COPYABLE (TemporaryWriteFile)
};
