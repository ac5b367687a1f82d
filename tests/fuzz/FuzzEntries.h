#pragma once

#include <juce_core/juce_core.h>

#include <cstddef>
#include <cstdint>

/*  The fuzz entry functions: each takes one input of arbitrary bytes, drives one of the
    program's parsers of outside data with it, and checks what must hold whatever the bytes
    were. They return false, after printing why to stderr, when such a property is broken;
    memory and undefined-behaviour faults are the sanitizers' to report.

    The libFuzzer targets (built with TONAREL_FUZZ) call them from LLVMFuzzerTestOneInput and
    abort on false; tonarel-tests calls them on the kept inputs of tests/fuzz/regressions, so
    the ordinary build replays every fault the fuzzers ever found.
*/

/** The device's side of one exchange. Byte 0 chooses it: bit 0 set is a send of a preset of
    1 + byte 1 % 24 parameters, clear is a read (bit 1 set: of the name only). The bytes after
    the first two are cut into MIDI messages as a MIDI input delivers them (a System Exclusive
    message from F0 to the next F7, other status bytes with their data bytes) and handed to the
    preset manager's input callback while its exchange is open.
*/
bool fuzzPresetManagerExchange (const uint8_t* data, size_t size);

/** The bytes as a preset file, read with readPresetFile; what it reads must survive being
    written and read again unchanged.
*/
bool fuzzPresetFileRead (const uint8_t* data, size_t size);

/** The bytes as the configuration file: the folder it yields must exist and must be what the
    file says once the librarian has rewritten it.
*/
bool fuzzConfigurationRead (const uint8_t* data, size_t size);

/** A folder under the system's temporary folder for the file fuzzers of this process, created
    on first use and removed at exit. Each entry empties it after its input.
*/
inline juce::File fuzzScratchFolder()
{
    struct Scratch
    {
        Scratch() { root.createDirectory(); }
        ~Scratch() { root.deleteRecursively(); }

        const juce::File root = juce::File::getSpecialLocation (juce::File::tempDirectory)
                                    .getNonexistentChildFile ("tonarel-fuzz-" + juce::Uuid().toString(), "");
    };

    static Scratch scratch;
    return scratch.root;
}

/** libFuzzer's entry around one of the functions above; a broken property becomes a crash the
    fuzzer keeps. Only the fuzz targets define it.
*/
#define TONAREL_FUZZ_ENTRY(entry)                                                                            \
    extern "C" int LLVMFuzzerTestOneInput (const uint8_t* data, size_t size)                                 \
    {                                                                                                        \
        if (! entry (data, size))                                                                            \
            __builtin_trap();                                                                                \
        return 0;                                                                                            \
    }
