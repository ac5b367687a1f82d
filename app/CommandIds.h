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
        swapTwoSlots = 0x2006,
        newSet = 0x2007,
        showOnlyDiffering = 0x2008,
        showHelp = 0x200a,
        showTransferLog = 0x200b,
        showAbout = 0x200c,

        // The librarian panel's buttons and list actions, so that each has a key that works
        // wherever the focus is in the main window.
        saveAllPresets = 0x2010,
        savePresets = 0x2011,
        loadPresets = 0x2012,
        loadAllPresets = 0x2013,
        refreshLists = 0x2014,
        showFileInfo = 0x2015,
        copyFile = 0x2016,
        deleteFiles = 0x2017,
        findInList = 0x2018,
        renameSelected = 0x2019
    };
}
