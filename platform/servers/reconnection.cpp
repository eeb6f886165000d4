// What every connection to a sound server does while its server is away.
#include "platform/servers/reconnection.h"

#include <utility>

namespace midiout {

Reconnection::Reconnection(Connector& connector, std::string reason, std::function<void()> onBack)
    : connector_(connector), reason_(std::move(reason)), onBack_(std::move(onBack))
{
}

void Reconnection::lose()
{
    lost_.store(true);
    connector_.armRetry(retryInterval);
}

void Reconnection::retry()
{
    if (!connector_.reconnect()) {
        lose();
    }
}

void Reconnection::playing()
{
    if (lost_.load()) {
        onBack_();
        lost_.store(false);
    }
}

}  // namespace midiout
