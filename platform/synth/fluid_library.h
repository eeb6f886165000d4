// FluidSynth, loaded when the built-in synthesizer is first opened rather than when the program
// starts: with its own libraries it doubles the time before the first window shows. Its
// functions are called through the pointers below, named as in its header.
#pragma once

#include <fluidsynth.h>

#include <string>

#define VORLIK_FLUID_FUNCTIONS(X)         \
    X(delete_fluid_audio_driver)          \
    X(delete_fluid_settings)              \
    X(delete_fluid_synth)                 \
    X(fluid_is_soundfont)                 \
    X(fluid_set_log_function)             \
    X(fluid_settings_foreach_option)      \
    X(fluid_settings_getnum)              \
    X(fluid_settings_setint)              \
    X(fluid_settings_setnum)              \
    X(fluid_settings_setstr)              \
    X(fluid_synth_all_sounds_off)         \
    X(fluid_synth_cc)                     \
    X(fluid_synth_channel_pressure)       \
    X(fluid_synth_get_active_voice_count) \
    X(fluid_synth_key_pressure)           \
    X(fluid_synth_noteoff)                \
    X(fluid_synth_noteon)                 \
    X(fluid_synth_pitch_bend)             \
    X(fluid_synth_process)                \
    X(fluid_synth_program_change)         \
    X(fluid_synth_set_sample_rate)        \
    X(fluid_synth_sfload)                 \
    X(fluid_synth_write_float)            \
    X(new_fluid_audio_driver2)            \
    X(new_fluid_settings)                 \
    X(new_fluid_synth)

namespace fluid {

// Set once by load(); null before. The argument is the name declared, which cannot take
// parentheses.
// fluid_synth_set_sample_rate is marked deprecated, yet it is the only way to retune a synth to
// an audio server running at another rate without loading its SoundFont again.
// NOLINTNEXTLINE(bugprone-macro-parentheses)
#define VORLIK_FLUID_POINTER(name) inline decltype(&::name) name = nullptr;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
VORLIK_FLUID_FUNCTIONS(VORLIK_FLUID_POINTER)
#pragma GCC diagnostic pop
#undef VORLIK_FLUID_POINTER

// Loads the library and finds every function above, once for the program; empty once done,
// else why not. Call before any of them, from any thread.
std::string load();

}  // namespace fluid
