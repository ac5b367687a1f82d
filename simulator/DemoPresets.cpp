#include "simulator/DemoPresets.h"

#include "simulator/DeviceSimulator.h"

#include <iterator>

namespace
{
    // One name per slot, in slot order. File names drop the blanks, so no two names may differ
    // by blanks alone; the last one fills the device's 20-character name field exactly.
    constexpr const char* kDemoPresetNames[] = {
        "Warm Lead",         "Radio Voice",        "Octave Choir",
        "Robot Talk",        "Slap Delay",         "Big Hall Lead",
        "Tight Double",      "Wide Double",        "Fifth Harmony Up",
        "Third Below",       "Telephone Line",     "Megaphone",
        "Whisper Air",       "Breathy Pop",        "Gospel Stack",
        "Barbershop Four",   "Pitch Fix Soft",     "Pitch Fix Hard",
        "Hard Tune Retro",   "Vocoder Pad",        "Talk Box Funk",
        "Chipmunk",          "Giant Voice",        "Demon Drop",
        "Cathedral Verb",    "Plate Vocal",        "Small Room Dry",
        "Spring Tank",       "Ping Pong Echo",     "Tape Echo 1972",
        "Dub Throw",         "Quarter Note Echo",  "Dotted Eighth",
        "Chorus Shimmer",    "Flanger Jet",        "Phaser Sweep",
        "Rotary Speaker",    "Tremolo Gate",       "Lo-Fi Crunch",
        "Bitcrush 8",        "Tube Warmth",        "Fuzz Vocal",
        "Distorted Scream",  "Grunge Growl",       "Metal Shout",
        "Country Twang",     "Jazz Club",          "Soul Ballad",
        "Crooner",           "Opera Hall",         "Folk Duet",
        "Indie Doubler",     "Synthwave Lead",     "Trap Tuned Lead",
        "Hip Hop Ad Lib",    "Reggae Toast",       "Spoken Word",
        "Podcast Clean",     "Broadcast DJ",       "Stadium Anthem",
        "Arena Backing",     "Unison Eight",       "Detune Wide",
        "Octave Down Bass",  "Octave Up Sparkle",  "Harmony Major 3rd",
        "Harmony Minor 3rd", "Power Fifths",       "Choir of Angels",
        "Dark Monk Chant",   "Alien Transmission", "Walkie Talkie",
        "AM Radio 1940",     "Gramophone",         "Underwater",
        "Cave Echo",         "Canyon Shout",       "Reverse Verb",
        "Shimmer Pad",       "Freeze Drone",       "Ghost Whisper",
        "Horror Voice",      "Cartoon Duck",       "Helium Party",
        "Low Robot",         "Cyborg Radio",       "Ring Mod Metal",
        "Formant Shift Up",  "Formant Shift Down", "Gender Bend",
        "De-Esser Bright",   "Compressed Pop",     "Dry Monitor",
        "Soundcheck Flat",   "Live Lead Vocal",    "Live Backing Vocal",
        "Karaoke Night",     "Choir Rehearsal",    "Long Ambient Cascade",
    };

    static_assert (std::size (kDemoPresetNames) == (size_t) DeviceSimulator::numSlots, "one name per slot");

    /** The kinds of value the device's parameters hold, as the lowest and highest value. */
    struct ValueRange
    {
        juce::int32 lowest, highest;
    };

    constexpr ValueRange kValueRanges[] = {
        { 0, 1 },        // an effect switched on or off
        { 0, 100 },      // a level or a mix, in percent
        { 0, 127 },      // an amount on the MIDI controller scale
        { -1200, 1200 }, // a pitch shift, in cents
        { -600, 120 },   // a gain, in tenths of a decibel
        { 1, 2000 },     // a time, in milliseconds
        { 20, 20000 },   // a filter frequency, in hertz
        { 0, 11 },       // a key, or a choice from a short list
    };

    /** A fixed mix of slot and index: the same value on every start, but no visible pattern
        from one slot or parameter to the next.
    */
    juce::uint32 mixBits (int slot, int index)
    {
        auto bits = (juce::uint32) slot * 0x27D4EB2Fu + (juce::uint32) index * 0x165667B1u;
        bits ^= bits >> 15;
        bits *= 0x2C1B3C6Du;
        bits ^= bits >> 12;
        bits *= 0x297A2D39u;
        bits ^= bits >> 15;
        return bits;
    }

    juce::int32 demoValue (int slot, int index)
    {
        const auto& range = kValueRanges[(size_t) index % std::size (kValueRanges)];
        const auto span = (juce::uint32) (range.highest - range.lowest) + 1u;
        return range.lowest + (juce::int32) (mixBits (slot, index) % span);
    }
} // namespace

std::vector<PresetData> makeDemoPresets()
{
    std::vector<PresetData> presets;

    for (int slot = 1; slot <= DeviceSimulator::numSlots; ++slot)
    {
        PresetData preset;
        preset.number = (juce::int16) slot;
        preset.name = kDemoPresetNames[slot - 1];
        preset.version = DeviceSimulator::presetVersion;

        for (int index = 0; index < DeviceSimulator::parametersPerPreset; ++index)
            preset.parameters.push_back ({ (juce::int16) index, demoValue (slot, index) });

        presets.push_back (std::move (preset));
    }

    return presets;
}

void loadDemoPresets (DeviceSimulator& device)
{
    for (const auto& preset : makeDemoPresets())
        device.setSlot (preset.number, preset);
}
