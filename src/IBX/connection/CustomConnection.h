// TCustomConnection: the connection base with its registered clients and the connect and
// disconnect events, as far as the database connection uses it.
#pragma once

#include "base/Component.h"

#include <functional>
#include <vector>

namespace ortavo {

// What a dataset client offers the connection it is registered with; the datasets of the
// database layer implement it.
class IConnectionDataSet {
public:
    // The dataset's connect-change data event (it passes it on to its data sources).
    virtual void ConnectChangeEvent(bool connecting) = 0;
    // Whether the dataset is open (asked when a transaction decides to stop itself).
    virtual bool DataSetActive() const = 0;

protected:
    ~IConnectionDataSet() = default;
};

// Ownership: clients are registered by plain pointer and must unregister (RemoveClient)
// before they go; the connection owns nothing of them.
class TCustomConnection : public TComponent {
public:
    using TNotifyEvent = std::function<void(TComponent& sender)>;
    using TConnectChangeEvent = std::function<void(TCustomConnection& sender, bool connecting)>;

    explicit TCustomConnection(TComponent* owner = nullptr);
    ~TCustomConnection() override;

    bool Connected() const { return QueryConnected(); }
    void SetConnected(bool value) { ChangeConnected(value); }
    void Open() { ChangeConnected(true); }
    void Close() { ChangeConnected(false); }

    bool LoginPrompt() const noexcept { return FLoginPrompt; }
    void SetLoginPrompt(bool value) noexcept { FLoginPrompt = value; }

    virtual IConnectionDataSet* GetDataSet(int index) const;
    virtual int DataSetCount() const;
    int ClientCount() const noexcept { return static_cast<int>(FClients.size()); }

    // Registers a client once; datasets also enter the dataset list.
    virtual void AddClient(TComponent* client, TConnectChangeEvent connectEvent);
    virtual void RemoveClient(TComponent* client);

    TNotifyEvent AfterConnect;
    TNotifyEvent AfterDisconnect;
    TNotifyEvent BeforeConnect;
    TNotifyEvent BeforeDisconnect;

protected:
    virtual void ConnectToServer() {}
    virtual void DisconnectFromServer() {}
    virtual bool QueryConnected() const { return false; }
    // Opens or closes with the events; while loading, a true value is only recorded.
    virtual void ChangeConnected(bool value);

    void NotifyClients(bool connecting);
    void FireEvent(const TNotifyEvent& event);

    // Connected was set true while the component was being read from a layout.
    bool FStreamedConnected = false;

private:
    std::vector<TComponent*> FClients;
    std::vector<IConnectionDataSet*> FDataSets;
    std::vector<TConnectChangeEvent> FConnectEvents;
    bool FLoginPrompt = false;
};

} // namespace ortavo
