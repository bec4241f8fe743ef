// Component ownership and notifications.
#include "base/Component.h"

#include "base/Exception.h"

#include <algorithm>

namespace ortavo {

namespace {

bool IsIdentifier(StringView name) {
    if (name.empty())
        return false;
    for (std::size_t i = 0; i < name.size(); ++i) {
        char16_t c = name[i];
        bool letter = (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || c == u'_';
        if (!letter && !(i > 0 && c >= u'0' && c <= u'9'))
            return false;
    }
    return true;
}

void Erase(std::vector<TComponent*>& list, TComponent* item) {
    list.erase(std::remove(list.begin(), list.end(), item), list.end());
}

} // namespace

TComponent::TComponent(TComponent* owner) {
    if (owner)
        owner->InsertComponent(this);
}

TComponent::~TComponent() {
    FDestroying = true;
    // Everyone who asked is told first, so that no reference to this one survives.
    while (!FFreeNotifies.empty()) {
        TComponent* other = FFreeNotifies.back();
        FFreeNotifies.pop_back();
        Erase(other->FFreeNotifies, this);
        other->Notification(this, TOperation::opRemove);
    }
    DestroyComponents();
    if (FOwner)
        FOwner->RemoveComponent(this);
}

void TComponent::SetName(const String& name) {
    if (name == FName)
        return;
    if (!name.empty() && !IsIdentifier(name))
        throw EComponentError(u"''" + name + u"'' is not a valid component name");
    if (!name.empty() && FOwner) {
        TComponent* sibling = FOwner->FindComponent(name);
        if (sibling && sibling != this)
            throw EComponentError(u"A component named " + name + u" already exists");
    }
    FName = name;
}

TComponent* TComponent::Components(int index) const {
    if (index < 0 || index >= ComponentCount())
        throw EListError(u"List index out of bounds (" + IntToStr(index) + u")");
    return FComponents[static_cast<std::size_t>(index)];
}

TComponent* TComponent::FindComponent(StringView name) const {
    if (name.empty())
        return nullptr;
    for (TComponent* c : FComponents)
        if (SameText(c->FName, name))
            return c;
    return nullptr;
}

void TComponent::FreeNotification(TComponent* component) {
    if (!component || component == this)
        return;
    if (std::find(FFreeNotifies.begin(), FFreeNotifies.end(), component) == FFreeNotifies.end()) {
        FFreeNotifies.push_back(component);
        component->FFreeNotifies.push_back(this);
    }
}

void TComponent::RemoveFreeNotification(TComponent* component) {
    if (!component)
        return;
    Erase(FFreeNotifies, component);
    Erase(component->FFreeNotifies, this);
}

void TComponent::DestroyComponents() {
    while (!FComponents.empty()) {
        TComponent* last = FComponents.back();
        // The child leaves the list itself (RemoveComponent) as it is destroyed.
        delete last;
    }
}

void TComponent::Loaded() {
    FLoading = false;
}

void TComponent::Notification(TComponent* component, TOperation operation) {
    if (operation == TOperation::opRemove)
        Erase(FFreeNotifies, component);
}

void TComponent::InsertComponent(TComponent* component) {
    FComponents.push_back(component);
    component->FOwner = this;
    Notification(component, TOperation::opInsert);
}

void TComponent::RemoveComponent(TComponent* component) {
    Erase(FComponents, component);
    component->FOwner = nullptr;
    // The owner and its other components may hold references to the one going away.
    Notification(component, TOperation::opRemove);
    for (TComponent* sibling : FComponents)
        sibling->Notification(component, TOperation::opRemove);
}

} // namespace ortavo
