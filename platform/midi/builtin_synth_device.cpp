// Device 0: the built-in synthesizer as a MIDI output device.
#include "platform/midi/builtin_synth_device.h"

#include <utility>

#include "platform/midi/short_message.h"

namespace midiout {
namespace {

class BuiltinSynthDevice final : public OutputDevice {
public:
    std::optional<std::string> name() const override { return std::string(builtinSynthName); }

    OpenResult open(std::uint32_t) override
    {
        SynthEngine::CreateResult created = SynthEngine::create();
        if (auto* reason = std::get_if<std::string>(&created)) {
            return std::move(*reason);
        }
        std::string reason;
        auto output = BuiltinSynthOutput::start(
            std::get<std::unique_ptr<SynthEngine>>(std::move(created)), reason);
        if (!output) {
            return reason;
        }
        return output;
    }
};

}  // namespace

std::unique_ptr<BuiltinSynthOutput> BuiltinSynthOutput::start(std::unique_ptr<SynthEngine> engine,
                                                              std::string& reason,
                                                              std::string_view only)
{
    std::unique_ptr<BuiltinSynth> synth = BuiltinSynth::start(std::move(engine), reason, only);
    if (!synth) {
        return nullptr;
    }
    return std::unique_ptr<BuiltinSynthOutput>(new BuiltinSynthOutput(std::move(synth)));
}

bool BuiltinSynthOutput::send(std::uint32_t packed)
{
    return synth_->play(unpackShortMessage(packed).bytes());
}

std::unique_ptr<OutputDevice> makeBuiltinSynth()
{
    return std::make_unique<BuiltinSynthDevice>();
}

}  // namespace midiout
