// The built-in synthesizer's engine: FluidSynth settings, synth and a loaded GM SoundFont.
#include "platform/synth/synth_engine.h"

#include <glib.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <mutex>
#include <string_view>
#include <utility>

namespace midiout {
namespace {

namespace config {
// Tried in this order; the first that loads is used.
constexpr std::array<std::string_view, 3> generalMidiSoundFonts = {
    "/usr/share/sounds/sf2/default-GM.sf2",
    "/usr/share/sounds/sf2/FluidR3_GM.sf2",
    "/usr/share/sounds/sf2/TimGM6mb.sf2",
};
constexpr double sampleRateHz = 48000.0;
// FluidSynth's ALSA driver only: 3 periods of 128 frames, 8 ms of output buffering at 48 kHz.
// Through JACK the server's period applies, and the PulseAudio stream sets its own buffering.
constexpr int periodFrames = 128;
constexpr int periods = 3;
}  // namespace config

struct LogStore {
    std::mutex mutex;
    std::string lastError;
};

LogStore& logStore()
{
    static LogStore store;
    return store;
}

// Called by FluidSynth from any of its threads, the audio thread included.
void keepLastError(int level, const char* message, void*)
{
    if (level > FLUID_ERR || message == nullptr) {
        return;
    }
    LogStore& store = logStore();
    const std::lock_guard lock(store.mutex);
    store.lastError = message;
}

void routeFluidLogging()
{
    static std::once_flag once;
    std::call_once(once, [] {
        for (int level = 0; level < LAST_LOG_LEVEL; ++level) {
            fluid::fluid_set_log_function(level, keepLastError, nullptr);
        }
    });
}

void discardGlibMessage(const gchar*, GLogLevelFlags, const gchar*, gpointer) {}

// While alive, messages logged through GLib without a domain go nowhere instead of to stderr:
// when a SoundFont fails to load, FluidSynth hands it on to libinstpatch, which logs that way.
class QuietInstpatch {
public:
    QuietInstpatch()
        : handler_(g_log_set_handler(
              nullptr, static_cast<GLogLevelFlags>(G_LOG_LEVEL_MASK & ~G_LOG_LEVEL_ERROR),
              discardGlibMessage, nullptr))
    {
    }
    ~QuietInstpatch() { g_log_remove_handler(nullptr, handler_); }
    QuietInstpatch(const QuietInstpatch&) = delete;
    QuietInstpatch& operator=(const QuietInstpatch&) = delete;

private:
    guint handler_;
};

std::string withDetail(std::string reason, const std::string& detail)
{
    if (!detail.empty()) {
        reason += ": " + detail;
    }
    return reason;
}

void applyLatencySettings(fluid_settings_t* settings)
{
    fluid::fluid_settings_setnum(settings, "synth.sample-rate", config::sampleRateHz);
    fluid::fluid_settings_setint(settings, "audio.period-size", config::periodFrames);
    fluid::fluid_settings_setint(settings, "audio.periods", config::periods);
    // Notes arrive from the window's thread while the audio output renders on its own.
    fluid::fluid_settings_setint(settings, "synth.threadsafe-api", 1);
}

}  // namespace

SynthEngine::SynthEngine(SettingsPtr settings, SynthPtr synth)
    : settings_(std::move(settings)), synth_(std::move(synth))
{
}

SynthEngine::~SynthEngine() = default;

std::string SynthEngine::takeLoggedError()
{
    LogStore& store = logStore();
    const std::lock_guard lock(store.mutex);
    return std::exchange(store.lastError, {});
}

SynthEngine::CreateResult SynthEngine::create(const std::string& soundFontPath)
{
    if (std::string whyNot = fluid::load(); !whyNot.empty()) {
        return whyNot;
    }
    routeFluidLogging();
    takeLoggedError();
    std::error_code error;
    if (!std::filesystem::is_regular_file(soundFontPath, error)) {
        return "SoundFont not found: " + soundFontPath;
    }
    // Checked first for a clearer reason than FluidSynth's, and because DLS files are not for us.
    if (!fluid::fluid_is_soundfont(soundFontPath.c_str())) {
        return "Not a SoundFont file: " + soundFontPath;
    }
    SettingsPtr settings{fluid::new_fluid_settings()};
    if (!settings) {
        return withDetail("The synthesizer's settings could not be created", takeLoggedError());
    }
    applyLatencySettings(settings.get());
    SynthPtr synth{fluid::new_fluid_synth(settings.get())};
    if (!synth) {
        return withDetail("The synthesizer could not be created", takeLoggedError());
    }
    const QuietInstpatch quiet;
    if (fluid::fluid_synth_sfload(synth.get(), soundFontPath.c_str(), 1) == FLUID_FAILED) {
        return withDetail("The SoundFont " + soundFontPath + " could not be loaded",
                          takeLoggedError());
    }
    return std::unique_ptr<SynthEngine>(new SynthEngine(std::move(settings), std::move(synth)));
}

SynthEngine::CreateResult SynthEngine::create()
{
    if (std::string whyNot = fluid::load(); !whyNot.empty()) {
        return whyNot;
    }
    std::string lookedIn;
    std::string loadFailure;
    for (const std::string_view path : config::generalMidiSoundFonts) {
        lookedIn += (lookedIn.empty() ? "" : ", ") + std::string(path);
        std::error_code error;
        if (!std::filesystem::exists(path, error)) {
            continue;
        }
        CreateResult result = create(std::string(path));
        if (std::holds_alternative<std::unique_ptr<SynthEngine>>(result)) {
            return result;
        }
        loadFailure = std::get<std::string>(std::move(result));
    }
    return withDetail("No General MIDI SoundFont found (looked in " + lookedIn + ")", loadFailure);
}

void SynthEngine::send(std::span<const std::uint8_t> bytes)
{
    if (bytes.empty()) {
        return;
    }
    const auto complete = [&bytes](std::size_t needed) { return bytes.size() >= needed; };
    fluid_synth_t* synth = synth_.get();
    const int channel = bytes[0] & 0x0F;
    // Data bytes go on as they came, 0x80 and up included, for FluidSynth to refuse.
    const int first = complete(2) ? bytes[1] : 0;
    const int second = complete(3) ? bytes[2] : 0;
    switch (bytes[0] & 0xF0) {
        case 0x80:
            if (complete(3)) {
                fluid::fluid_synth_noteoff(synth, channel, first);
            }
            break;
        case 0x90:
            // FluidSynth itself takes velocity 0 as a note off.
            if (complete(3)) {
                fluid::fluid_synth_noteon(synth, channel, first, second);
            }
            break;
        case 0xA0:
            if (complete(3)) {
                fluid::fluid_synth_key_pressure(synth, channel, first, second);
            }
            break;
        case 0xB0:
            if (complete(3)) {
                fluid::fluid_synth_cc(synth, channel, first, second);
            }
            break;
        case 0xC0:
            if (complete(2)) {
                fluid::fluid_synth_program_change(synth, channel, first);
            }
            break;
        case 0xD0:
            if (complete(2)) {
                fluid::fluid_synth_channel_pressure(synth, channel, first);
            }
            break;
        case 0xE0:
            // 14 bits, least significant 7 first; 0x2000 is the centre.
            if (complete(3)) {
                fluid::fluid_synth_pitch_bend(synth, channel, (second << 7) + first);
            }
            break;
        default:
            // System messages, and a first byte below 0x80 that is no status byte.
            break;
    }
}

void SynthEngine::render(std::span<float> left, std::span<float> right)
{
    const std::size_t frames = std::min(left.size(), right.size());
    if (frames == 0) {
        return;
    }
    fluid::fluid_synth_write_float(synth_.get(), static_cast<int>(frames), left.data(), 0, 1,
                                   right.data(), 0, 1);
}

double SynthEngine::sampleRate() const
{
    double rate = 0.0;
    fluid::fluid_settings_getnum(settings_.get(), "synth.sample-rate", &rate);
    return rate;
}

}  // namespace midiout
