// The connection base: client registration and the connect and disconnect sequence.
#include "IBX/connection/CustomConnection.h"

#include <algorithm>
#include <utility>

namespace ortavo {

TCustomConnection::TCustomConnection(TComponent* owner) : TComponent(owner) {}

TCustomConnection::~TCustomConnection() = default;

IConnectionDataSet* TCustomConnection::GetDataSet(int index) const {
    return FDataSets.at(static_cast<std::size_t>(index));
}

int TCustomConnection::DataSetCount() const {
    return static_cast<int>(FDataSets.size());
}

void TCustomConnection::AddClient(TComponent* client, TConnectChangeEvent connectEvent) {
    if (!client || std::find(FClients.begin(), FClients.end(), client) != FClients.end())
        return;
    FClients.push_back(client);
    FConnectEvents.push_back(std::move(connectEvent));
    if (auto* dataSet = dynamic_cast<IConnectionDataSet*>(client))
        FDataSets.push_back(dataSet);
}

void TCustomConnection::RemoveClient(TComponent* client) {
    auto it = std::find(FClients.begin(), FClients.end(), client);
    if (it == FClients.end())
        return;
    FConnectEvents.erase(FConnectEvents.begin() + (it - FClients.begin()));
    FClients.erase(it);
    if (auto* dataSet = dynamic_cast<IConnectionDataSet*>(client))
        FDataSets.erase(std::remove(FDataSets.begin(), FDataSets.end(), dataSet), FDataSets.end());
}

void TCustomConnection::ChangeConnected(bool value) {
    if (Loading()) {
        if (value)
            FStreamedConnected = true;
        return;
    }
    if (value == QueryConnected())
        return;
    if (value) {
        FireEvent(BeforeConnect);
        ConnectToServer();
        NotifyClients(true);
        FireEvent(AfterConnect);
    } else {
        FireEvent(BeforeDisconnect);
        NotifyClients(false);
        DisconnectFromServer();
        FireEvent(AfterDisconnect);
    }
}

void TCustomConnection::NotifyClients(bool connecting) {
    // Index by index: a client's handler may register or leave.
    for (std::size_t i = 0; i < FClients.size(); ++i) {
        TComponent* client = FClients[i];
        if (FConnectEvents[i])
            FConnectEvents[i](*this, connecting);
        if (auto* dataSet = dynamic_cast<IConnectionDataSet*>(client))
            dataSet->ConnectChangeEvent(connecting);
    }
}

void TCustomConnection::FireEvent(const TNotifyEvent& event) {
    if (event)
        event(*this);
}

} // namespace ortavo
