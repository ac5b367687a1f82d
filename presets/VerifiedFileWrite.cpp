// Replacing a file durably, and knowing a temporary file whose writer is gone; the system's calls
// for both are TemporaryWriteFile's.

#include "presets/VerifiedFileWrite.h"

#include "presets/TemporaryWriteFile.h"

#include <cstring>

namespace
{
    constexpr auto temporaryExtension = ".tonarel-partial";

    /** ".<target name>.<random>.tonarel-partial": hidden, under an extension no scan takes, and
        unique, so two writes to one target never share a temporary file.
    */
    juce::File temporaryNameFor (const juce::File& target)
    {
        return target.getSiblingFile (
            "." + target.getFileName() + "." +
            juce::String::toHexString (juce::Random::getSystemRandom().nextInt64()) + temporaryExtension);
    }

    juce::Result createBeside (TemporaryWriteFile& temporary, const juce::File& target)
    {
        for (int tries = 0; tries < 100; ++tries)
        {
            juce::String failure;

            switch (temporary.create (temporaryNameFor (target), failure))
            {
                case TemporaryWriteFile::Made::ok: return juce::Result::ok();
                case TemporaryWriteFile::Made::failed: return juce::Result::fail (failure);
                case TemporaryWriteFile::Made::nameTaken: break;
            }
        }

        return juce::Result::fail ("no temporary file could be made beside it");
    }

    /** FileOutputStream could lose the end of a write without saying so (a full disk, a file
        size limit), so what was written is read back before it replaces anything.
    */
    juce::Result writeAndCompare (TemporaryWriteFile& temporary, const juce::MemoryBlock& content)
    {
        if (const auto written = temporary.writeAllAndFlush (content); written.failed())
            return written;

        juce::MemoryBlock readBack;

        if (! temporary.getFile().loadFileAsData (readBack) || readBack != content)
            return juce::Result::fail ("what was written did not read back the same");

        return juce::Result::ok();
    }
} // namespace

VerifiedWrite writeFileVerified (const juce::File& target, const juce::MemoryBlock& content)
{
    TemporaryWriteFile temporary;
    VerifiedWrite outcome;

    // No fallback to copying when the rename fails: a copy over the target is not atomic, and
    // the old file must stay whole unless the new one replaces it in one step.
    if (const auto made = createBeside (temporary, target); made.failed())
        outcome.failure = made.getErrorMessage();
    else if (const auto written = writeAndCompare (temporary, content); written.failed())
        outcome.failure = written.getErrorMessage();
    else if (const auto replaced = temporary.replace (target); replaced.failed())
        outcome.failure = replaced.getErrorMessage();

    if (outcome.failure.isNotEmpty())
    {
        if (temporary.isOpen())
            temporary.getFile().deleteFile();

        return outcome;
    }

    // The file is in place now, whatever becomes of the flush of its folder.
    outcome.written = true;
    outcome.folderSynced = TemporaryWriteFile::syncFolder (target.getParentDirectory());
    return outcome;
}

bool isTemporaryWriteFileName (const juce::String& fileName)
{
    if (! fileName.startsWithChar ('.') || ! fileName.endsWith (temporaryExtension))
        return false;

    const auto withoutExtension = fileName.dropLastCharacters ((int) std::strlen (temporaryExtension));
    const auto random = withoutExtension.fromLastOccurrenceOf (".", false, false);

    return withoutExtension.lastIndexOfChar ('.') > 1 && random.length() >= 1 && random.length() <= 16 &&
           random.containsOnly ("0123456789abcdef");
}

int removeLeftoverTemporaryFiles (const juce::File& folder)
{
    auto removed = 0;

    for (const auto& entry : juce::RangedDirectoryIterator (folder, false, "*", juce::File::findFiles,
                                                            juce::File::FollowSymlinks::no))
        if (isTemporaryWriteFileName (entry.getFile().getFileName()) &&
            TemporaryWriteFile::removeIfNoWriter (entry.getFile()))
            ++removed;

    return removed;
}
