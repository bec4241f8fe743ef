// What other parts of the layer keep on a connection's attachment (prepared statements,
// say), held by the connection so that all of it goes before the attachment does.
#pragma once

#include <memory>
#include <vector>

namespace ortavo {

// One kind of thing kept on an attachment. The connection owns it and calls it before it
// detaches; it never learns what the thing is.
class IIBAttachmentResource {
public:
    virtual ~IIBAttachmentResource() = default;
    // The attachment is still there: free what is held on it and forget it. Failures are
    // dropped; forced (the connection may be lost), the first failure ends the freeing and
    // the rest is only forgotten, since the detach takes it with the attachment anyway.
    virtual void Release(bool forced) noexcept = 0;
    // The attachment is lost: forget what is held on it without any server call; the
    // detach frees it with the attachment.
    virtual void Abandon() noexcept = 0;
};

// Ownership: owned by the connection; each resource lives until the connection goes.
class TIBAttachmentResources {
public:
    // The resource of that kind, created by make when there is none yet.
    template <typename T, typename Make> T& Obtain(Make&& make) {
        for (const auto& item : FItems)
            if (auto* found = dynamic_cast<T*>(item.get()))
                return *found;
        std::unique_ptr<T> created = make();
        T& result = *created;
        FItems.push_back(std::move(created));
        return result;
    }
    void ReleaseAll(bool forced) noexcept {
        for (const auto& item : FItems)
            item->Release(forced);
    }
    void AbandonAll() noexcept {
        for (const auto& item : FItems)
            item->Abandon();
    }

private:
    std::vector<std::unique_ptr<IIBAttachmentResource>> FItems;
};

} // namespace ortavo
