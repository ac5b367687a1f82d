#pragma once

#include "presets/PresetData.h"

#include <vector>

class DeviceSimulator;

/** The content of the demo's simulated device: 99 presets, numbered 1 to 99, with names a
    singer would give them and parameter values of the kinds a vocal processor stores (switches,
    levels, pitch shifts in cents, gains, times, frequencies). Every preset has the device's own
    preset version and 175 parameters, indices 0 to 174, as a real device keeps them.

    Always the same content, so the demo shows the same device on every start.
*/
std::vector<PresetData> makeDemoPresets();

/** Replaces the presets in the device's slots 1 to 99 with the demo presets. */
void loadDemoPresets (DeviceSimulator& device);
