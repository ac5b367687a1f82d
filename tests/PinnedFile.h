#pragma once

#include <juce_core/juce_core.h>

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
