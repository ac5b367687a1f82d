#pragma once

#include <juce_core/juce_core.h>

#include <filesystem>

/** A juce::File as a std::filesystem path and back, keeping every character of the name.

    juce::String holds UTF-8, and a path made from a narrow string takes it in the system's own
    encoding: UTF-8 on Linux, but the ANSI code page on Windows, where a preset named in another
    script would lose its name or not be found at all. These go through UTF-8 explicitly.
*/
namespace FilesystemPath
{
    inline std::filesystem::path of (const juce::File& file)
    {
        return std::filesystem::u8path (file.getFullPathName().toStdString());
    }

    /** The path's text as a juce::String, with the platform's own separators. */
    inline juce::String text (const std::filesystem::path& path)
    {
        return juce::File (juce::String::fromUTF8 (path.u8string().c_str())).getFullPathName();
    }
} // namespace FilesystemPath
