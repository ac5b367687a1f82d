// Finding the device at start and watching its connection afterwards.

#include "librarian/PresetLibrarianManager.h"

#include "device/PresetManager.h"

bool PresetLibrarianManager::detectDevicePorts()
{
    return PresetManager::isDevicePresent (services.midiPorts);
}

bool PresetLibrarianManager::confirmDeviceReachable()
{
    return presetManager->isDeviceReachable();
}

void PresetLibrarianManager::timerCallback (int) {}

bool PresetLibrarianManager::checkConnectionOnRepaint()
{
    return false;
}
