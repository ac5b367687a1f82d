#pragma once

#include <juce_core/juce_core.h>

/** Sets: preset folders side by side, one per gig ("Set 1", "Set 2", …), made by the librarian
    beside the preset folder in use, since the system's folder chooser cannot make a folder.

    A set's name is a folder name on every system the librarian runs on, so a set made on one
    can be copied to another. A new set never takes over a folder or file that is already there.
*/
namespace SetFolders
{
    /** The name a new set is offered under: "Set " and the first number from 1 on that names
        nothing yet in parent.
    */
    juce::String firstFreeName (const juce::File& parent);

    /** What is wrong with name for a new set in parent, for the user to read; empty when it
        will do. Refused: an empty name, "." and "..", characters a folder name cannot hold on
        Linux, macOS or Windows (/ \ : * ? " < > | and control characters), a name ending in a
        blank or a dot, the names Windows keeps for devices (CON, NUL, COM1, …), a name longer
        than 255 bytes, and a name something in parent already has.
    */
    juce::String problemWithName (const juce::File& parent, const juce::String& name);

    /** The folder of a new set, or why it was not made. */
    struct Created
    {
        juce::File folder;
        juce::String failure;

        bool failed() const noexcept { return folder == juce::File(); }
    };

    /** Makes the folder of a new set, only when nothing of that name is there (problemWithName
        is asked again): a folder made in the meantime by anyone else is not taken over.
    */
    Created create (const juce::File& parent, const juce::String& name);
}
