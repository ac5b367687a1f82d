#pragma once

#include <juce_core/juce_core.h>

#if JUCE_WINDOWS
#include "presets/WindowsApi.h"

/** A file held open, as another program holds the document it shows, for as long as this lives:
    opened without sharing the right to delete or write it, so that a move of new content over
    it, or a delete, fails. pinned tells whether it took.
*/
struct PinnedFile
{
    explicit PinnedFile (const juce::File& fileToPin)
        : file (fileToPin),
          handle (CreateFileW (file.getFullPathName().toWideCharPointer(), GENERIC_READ, FILE_SHARE_READ,
                               nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)),
          pinned (handle != INVALID_HANDLE_VALUE)
    {
    }

    ~PinnedFile()
    {
        if (pinned)
            CloseHandle (handle);
    }

    const juce::File file;
    const HANDLE handle;
    const bool pinned;
};

#else
#include <sys/mount.h>

/** A file bind-mounted onto itself for as long as this lives: a mount point cannot be replaced or
    removed, so a move of new content over it, or a delete, fails, as it does for a file another
    program holds locked. Needs root; pinned tells whether it took.
*/
struct PinnedFile
{
    explicit PinnedFile (const juce::File& fileToPin) : file (fileToPin)
    {
        const auto path = file.getFullPathName().toRawUTF8();
        pinned = ::mount (path, path, nullptr, MS_BIND, nullptr) == 0;
    }

    ~PinnedFile()
    {
        if (pinned)
            ::umount2 (file.getFullPathName().toRawUTF8(), MNT_DETACH);
    }

    const juce::File file;
    bool pinned = false;
};

#endif
