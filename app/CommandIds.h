#pragma once

/** The program's own application commands. The quit command is the framework's
    StandardApplicationCommandIDs::quit and is handled by the application object.
*/
namespace CommandIds
{
    enum : int
    {
        showPresetLibrarian = 0x2001,
        keepSnapshotBeforeLoading = 0x2002,
        verifyAfterLoading = 0x2003,
        compareDeviceWithFolder = 0x2004,
        undoLastLoad = 0x2005,
        showHelp = 0x200a,
        showTransferLog = 0x200b,
        showAbout = 0x200c
    };
}
