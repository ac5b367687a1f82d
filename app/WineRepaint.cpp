// Telling Wine from Windows: the Windows half looks for Wine's own export, the others say no.

#include "app/WineRepaint.h"

#if JUCE_WINDOWS
#include "presets/WindowsApi.h"

bool WineRepaint::isRunningUnderWine()
{
    // Wine's ntdll exports its version; Windows' never has.
    const auto ntdll = GetModuleHandleW (L"ntdll.dll");
    return ntdll != nullptr && GetProcAddress (ntdll, "wine_get_version") != nullptr;
}

#else

bool WineRepaint::isRunningUnderWine()
{
    return false;
}

#endif

WineRepaint::WineRepaint()
{
    if (isRunningUnderWine())
        startTimerHz (60);
}

WineRepaint::~WineRepaint()
{
    stopTimer();
}

void WineRepaint::timerCallback()
{
    for (int i = juce::ComponentPeer::getNumPeers(); --i >= 0;)
        if (auto* peer = juce::ComponentPeer::getPeer (i))
            peer->performAnyPendingRepaintsNow();
}
