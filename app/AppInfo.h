#pragma once

/** The names the application reports about itself. The version comes from the
    build (the project version), so the window title, the package and the
    application object can never disagree.
*/
namespace AppInfo
{
    inline constexpr const char* applicationName = JUCE_APPLICATION_NAME_STRING;
    inline constexpr const char* applicationVersion = JUCE_APPLICATION_VERSION_STRING;
    inline constexpr const char* windowTitlePrefix = "Tonarel Librarian - v";

    /** The demo's name, which is also its windows' class, so that the desktop and a script can
        tell its windows from the librarian's.
    */
    inline constexpr const char* demoApplicationName = "TonarelUtilDemo";

    /** What the demo's window title adds after the version. */
    inline constexpr const char* demoTitleSuffix = " (Demo)";
}
