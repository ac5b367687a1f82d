// The transfer worker: the body of the panel's progress-window thread.

#include "librarian/PresetLibrarianManager.h"

void PresetLibrarianManager::run()
{
    // No job kind is carried out yet: every job ends at once, touching no preset, and the
    // lists are merged from what devicePresets holds.
}
