// The built-in synthesizer's audio through the program's JACK session.
#include "platform/synth/jack_audio_output.h"

#include <cctype>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/jack/jack_library.h"
#include "platform/jack/jack_session.h"

namespace midiout {
namespace {

class JackAudioOutput final : public AudioOutput, private JackCycleWork {
public:
    JackAudioOutput(std::shared_ptr<JackSession> session, SynthEngine& engine,
                    SynthRenderer& renderer)
        : session_(std::move(session)),
          engine_(engine),
          renderer_(renderer),
          tunedRate_(engine.sampleRate())
    {
    }
    ~JackAudioOutput() override;
    JackAudioOutput(const JackAudioOutput&) = delete;
    JackAudioOutput& operator=(const JackAudioOutput&) = delete;

    // Empty once the ports play, else the reason.
    std::string start();
    std::string silenceReason() const override { return session_->lostReason(); }

private:
    void process(jack_nframes_t frames) override;
    void rejoined() override;
    void tune();

    std::shared_ptr<JackSession> session_;
    SynthEngine& engine_;
    SynthRenderer& renderer_;
    std::vector<JackPort*> ports_;
    double tunedRate_;  // Hz, the synth's now
    bool attached_ = false;
};

// "The JACK server is not running." as it reads inside a list of reasons.
std::string fragment(std::string sentence)
{
    if (!sentence.empty() && sentence.back() == '.') {
        sentence.pop_back();
    }
    if (!sentence.empty()) {
        sentence.front() =
            static_cast<char>(std::tolower(static_cast<unsigned char>(sentence.front())));
    }
    return sentence;
}

JackAudioOutput::~JackAudioOutput()
{
    if (attached_) {
        session_->detach(*this);
    }
    if (!ports_.empty()) {
        session_->closePorts(std::move(ports_));
    }
}

std::string JackAudioOutput::start()
{
    tune();
    const std::vector<std::string> playback = session_->playbackPorts();
    const auto target = [&](std::size_t channel) {
        return channel < playback.size() ? playback[channel] : std::string();
    };
    auto made = session_->openPorts({{"synth-left", JACK_DEFAULT_AUDIO_TYPE, target(0)},
                                     {"synth-right", JACK_DEFAULT_AUDIO_TYPE, target(1)}});
    if (auto* reason = std::get_if<std::string>(&made)) {
        return fragment(std::move(*reason));
    }
    ports_ = std::get<std::vector<JackPort*>>(std::move(made));
    attached_ = session_->attach(*this);
    return attached_ ? "" : "too many outputs are open";
}

// Runs on JACK's process thread.
void JackAudioOutput::process(jack_nframes_t frames)
{
    auto* left = static_cast<float*>(jack_port_get_buffer(ports_[0]->get(), frames));
    auto* right = static_cast<float*>(jack_port_get_buffer(ports_[1]->get(), frames));
    renderer_.renderPlanar(left, right, static_cast<int>(frames));
}

// On the JACK thread, before the first cycle on a server started again, maybe at another rate.
void JackAudioOutput::rejoined()
{
    renderer_.endVoices();
    tune();
}

// The synth plays at the server's rate.
void JackAudioOutput::tune()
{
    if (const double rate = session_->sampleRate(); rate != tunedRate_) {
        fluid::fluid_synth_set_sample_rate(engine_.synth(), static_cast<float>(rate));
        tunedRate_ = rate;
    }
}

}  // namespace

AudioStartResult startJackAudio(SynthEngine& engine, SynthRenderer& renderer)
{
    if (jackLibraryIsPipeWire()) {
        return std::string("PipeWire's JACK library, whose graph the PipeWire stream plays into");
    }
    std::string whyNot;
    std::shared_ptr<JackSession> session = JackSession::connect(&whyNot);
    if (session == nullptr) {
        return fragment(std::move(whyNot));
    }
    auto output = std::make_unique<JackAudioOutput>(std::move(session), engine, renderer);
    if (std::string reason = output->start(); !reason.empty()) {
        return reason;
    }
    return output;
}

}  // namespace midiout
