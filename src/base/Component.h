// TComponent: name, owner and owned components, and notification when a component that
// others refer to goes away.
//
// Ownership: a component created with an owner must be created with new; the owner frees
// it, last created first freed. Deleting an owned component earlier is allowed: it leaves
// its owner's list. References between components are plain pointers that the referring
// component clears in Notification(..., opRemove); to be told, it calls FreeNotification
// on the component it refers to (owner and owned components are told anyway).
#pragma once

#include "base/String.h"

#include <vector>

namespace ortavo {

enum class TOperation { opInsert, opRemove };

class TComponent {
public:
    explicit TComponent(TComponent* owner = nullptr);
    virtual ~TComponent();
    TComponent(const TComponent&) = delete;
    TComponent& operator=(const TComponent&) = delete;

    const String& Name() const noexcept { return FName; }
    // Raises EComponentError for a name that is not an identifier or that a sibling bears.
    void SetName(const String& name);
    TComponent* Owner() const noexcept { return FOwner; }

    int ComponentCount() const noexcept { return static_cast<int>(FComponents.size()); }
    TComponent* Components(int index) const;
    TComponent* FindComponent(StringView name) const;

    // AComponent will be told (Notification with opRemove) when this one is destroyed.
    void FreeNotification(TComponent* component);
    void RemoveFreeNotification(TComponent* component);

    // Frees the owned components now, last created first. A derived destructor that must
    // still be itself while its components go calls it first.
    void DestroyComponents();

    // Being read from a layout: set by the layout reader, ended by Loaded().
    bool Loading() const noexcept { return FLoading; }
    void BeginLoading() noexcept { FLoading = true; }
    virtual void Loaded();
    bool Destroying() const noexcept { return FDestroying; }

protected:
    virtual void Notification(TComponent* component, TOperation operation);

private:
    void InsertComponent(TComponent* component);
    void RemoveComponent(TComponent* component);

    String FName;
    TComponent* FOwner = nullptr;
    std::vector<TComponent*> FComponents;
    std::vector<TComponent*> FFreeNotifies;
    bool FLoading = false;
    bool FDestroying = false;
};

} // namespace ortavo
