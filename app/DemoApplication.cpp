#include "app/DemoApplication.h"

#include "device/DemoPresets.h"

DemoDevice::DemoDevice()
{
    loadDemoPresets (simulator);
}

DemoApplication::DemoApplication() : TonarelApplication (ports) {}
