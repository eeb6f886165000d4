// Fake MIDI output devices that record every message sent to them, for tests.
#include "recording_devices.h"

#include <iomanip>
#include <map>

namespace testsupport {

struct RecordingDevices::Log {
    std::vector<std::string> names;
    std::vector<bool> capabilitiesFail;
    std::map<std::size_t, std::string> openFailures;
    std::map<std::size_t, std::string> silenceReasons;
    std::vector<SentMessage> messages;
    std::vector<std::size_t> opened;
    std::vector<std::uint32_t> closed;
    int enumerations = 0;
};

namespace {

class RecordingOutput final : public midiout::OpenOutput {
public:
    RecordingOutput(std::shared_ptr<RecordingDevices::Log> log, std::size_t device,
                    std::uint32_t handle)
        : log_(std::move(log)), device_(device), handle_(handle)
    {
    }
    ~RecordingOutput() override { log_->closed.push_back(handle_); }
    RecordingOutput(const RecordingOutput&) = delete;
    RecordingOutput& operator=(const RecordingOutput&) = delete;

    bool send(std::uint32_t packed) override
    {
        log_->messages.push_back({handle_, packed});
        return true;
    }

    std::string silenceReason() const override
    {
        const auto reason = log_->silenceReasons.find(device_);
        return reason == log_->silenceReasons.end() ? std::string() : reason->second;
    }

private:
    std::shared_ptr<RecordingDevices::Log> log_;
    std::size_t device_;
    std::uint32_t handle_;
};

class RecordingDevice final : public midiout::OutputDevice {
public:
    RecordingDevice(std::shared_ptr<RecordingDevices::Log> log, std::size_t number)
        : log_(std::move(log)), number_(number)
    {
    }

    std::optional<std::string> name() const override
    {
        if (log_->capabilitiesFail[number_]) {
            return std::nullopt;
        }
        return log_->names[number_];
    }

    midiout::OpenResult open(std::uint32_t handle) override
    {
        if (const auto failure = log_->openFailures.find(number_);
            failure != log_->openFailures.end()) {
            return failure->second;
        }
        log_->opened.push_back(number_);
        return std::make_unique<RecordingOutput>(log_, number_, handle);
    }

private:
    std::shared_ptr<RecordingDevices::Log> log_;
    std::size_t number_;
};

}  // namespace

std::ostream& operator<<(std::ostream& out, const SentMessage& message)
{
    return out << "{handle " << message.handle << ", 0x" << std::hex << std::uppercase
               << std::setw(8) << std::setfill('0') << message.value << std::dec << "}";
}

RecordingDevices::RecordingDevices(std::vector<std::string> names) : log_(std::make_shared<Log>())
{
    log_->capabilitiesFail.assign(names.size(), false);
    log_->names = std::move(names);
    previous_ = midiout::setDeviceEnumerator([log = log_] {
        ++log->enumerations;
        midiout::DeviceList devices;
        for (std::size_t number = 0; number < log->names.size(); ++number) {
            devices.push_back(std::make_unique<RecordingDevice>(log, number));
        }
        return devices;
    });
}

RecordingDevices::~RecordingDevices()
{
    midiout::setDeviceEnumerator(std::move(previous_));
}

void RecordingDevices::failCapabilities(std::size_t device)
{
    log_->capabilitiesFail.at(device) = true;
}

void RecordingDevices::failOpen(std::size_t device, std::string reason)
{
    log_->openFailures[device] = std::move(reason);
}

void RecordingDevices::silence(std::size_t device, std::string reason)
{
    log_->silenceReasons[device] = std::move(reason);
}

const std::vector<SentMessage>& RecordingDevices::messages() const
{
    return log_->messages;
}

std::vector<std::uint32_t> RecordingDevices::values() const
{
    std::vector<std::uint32_t> values;
    values.reserve(log_->messages.size());
    for (const SentMessage& message : log_->messages) {
        values.push_back(message.value);
    }
    return values;
}

const std::vector<std::size_t>& RecordingDevices::opened() const
{
    return log_->opened;
}

const std::vector<std::uint32_t>& RecordingDevices::closed() const
{
    return log_->closed;
}

int RecordingDevices::enumerations() const
{
    return log_->enumerations;
}

void RecordingDevices::clear()
{
    log_->messages.clear();
    log_->opened.clear();
    log_->closed.clear();
}

}  // namespace testsupport
