#pragma once

/** The librarian panel's commands that have keys of their own: its transfer buttons and
    "Refresh", the computer list's file commands, "Rename…" in either list, and the filter. The panel runs
   them itself; the main window gives them their keys.
*/
enum class PanelCommand
{
    saveAll,
    save,
    loadTo,
    loadAll,
    refresh,
    getInfo,
    copy,
    deleteFiles,
    rename,
    find
};
