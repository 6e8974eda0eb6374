#include "platform/Connectivity.h"

#include "trace/Trace.h"

#include <QNetworkInformation>
#include <QNetworkInterface>

namespace platform {

namespace {

std::optional<bool>& InjectedAnswer()
{
    static std::optional<bool> answer;
    return answer;
}

bool IsRoutable(const QHostAddress& address)
{
    return !address.isLoopback() && !address.isLinkLocal() && !address.isNull() &&
           address.protocol() != QAbstractSocket::UnknownNetworkLayerProtocol;
}

bool HasRoutableInterface()
{
    for (const QNetworkInterface& interface : QNetworkInterface::allInterfaces()) {
        const auto flags = interface.flags();
        if (!flags.testFlag(QNetworkInterface::IsUp) || !flags.testFlag(QNetworkInterface::IsRunning) ||
            flags.testFlag(QNetworkInterface::IsLoopBack))
            continue;
        for (const QNetworkAddressEntry& entry : interface.addressEntries()) {
            if (IsRoutable(entry.ip()))
                return true;
        }
    }
    return false;
}

} // namespace

bool IsInternetConnected()
{
    if (InjectedAnswer())
        return *InjectedAnswer();
    if (QNetworkInformation::loadBackendByFeatures(QNetworkInformation::Feature::Reachability)) {
        const QNetworkInformation::Reachability reachability = QNetworkInformation::instance()->reachability();
        if (reachability != QNetworkInformation::Reachability::Unknown) {
            TRACE("IsInternetConnected : reachability %d", int(reachability));
            return reachability == QNetworkInformation::Reachability::Online;
        }
    }
    return HasRoutableInterface();
}

void SetInternetConnectedForTest(std::optional<bool> connected) { InjectedAnswer() = connected; }

} // namespace platform
