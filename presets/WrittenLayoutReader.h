#pragma once

#include "presets/PresetData.h"

#include <optional>

/** Reads a preset file laid out exactly as this program writes one, without building an XML
    document: the folder scan reads hundreds of files, nearly all of them its own, and a document
    costs many times what their few kinds of line do.

    It takes the declaration, the elements in the order and case they are written in, white space
    between tags, and text of printable ASCII without "&" (so no reference, no line end inside);
    anything else, a comment, an attribute, another element, a name with a character written as a
    reference, is nothing here, and the caller reads the file the full way. What it does read
    comes out as the full way reads it. It refuses nothing: the checks of the bytes are the
    caller's, before either way.

    A pure function of the bytes; any thread.
*/
std::optional<PresetData> readWrittenLayout (const char* text, size_t size, juce::String* desc);
