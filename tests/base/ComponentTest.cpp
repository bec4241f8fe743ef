// Components: owned children go last-created-first, references are cleared on removal.
#include "base/Component.h"
#include "base/Exception.h"

#include <gtest/gtest.h>

#include <vector>

using namespace ortavo;

namespace {

class Probe : public TComponent {
public:
    Probe(TComponent* owner, const char16_t* name, std::vector<String>& log)
        : TComponent(owner), FLog(log) {
        SetName(name);
    }
    ~Probe() override { FLog.push_back(u"free " + Name()); }
    TComponent* Reference = nullptr;

protected:
    void Notification(TComponent* component, TOperation operation) override {
        TComponent::Notification(component, operation);
        if (operation == TOperation::opRemove && component == Reference) {
            Reference = nullptr;
            FLog.push_back(Name() + u" lost " + component->Name());
        }
    }

private:
    std::vector<String>& FLog;
};

} // namespace

TEST(Component, OwnerFreesItsComponentsLastCreatedFirst) {
    std::vector<String> log;
    {
        TComponent owner;
        new Probe(&owner, u"Base", log);
        new Probe(&owner, u"TR", log);
        new Probe(&owner, u"Query", log);
        EXPECT_EQ(owner.ComponentCount(), 3);
        EXPECT_EQ(owner.FindComponent(u"tr")->Name(), u"TR");
    }
    EXPECT_EQ(log, (std::vector<String>{u"free Query", u"free TR", u"free Base"}));
}

TEST(Component, ReferencesAreClearedWhenTheOtherGoes) {
    std::vector<String> log;
    auto* database = new Probe(nullptr, u"Base", log);
    Probe query(nullptr, u"Query", log);
    query.Reference = database;
    database->FreeNotification(&query);
    delete database;
    EXPECT_EQ(query.Reference, nullptr);
    EXPECT_EQ(log, (std::vector<String>{u"free Base", u"Query lost Base"}));
}

TEST(Component, SiblingsAreToldAndEarlyDeletionLeavesTheOwner) {
    std::vector<String> log;
    TComponent owner;
    auto* database = new Probe(&owner, u"Base", log);
    auto* query = new Probe(&owner, u"Query", log);
    query->Reference = database;
    delete database;
    EXPECT_EQ(query->Reference, nullptr);
    EXPECT_EQ(owner.ComponentCount(), 1);
}

TEST(Component, NamesAreIdentifiersUniqueAmongSiblings) {
    std::vector<String> log;
    TComponent owner;
    new Probe(&owner, u"Memo1", log);
    auto* other = new Probe(&owner, u"Memo2", log);
    EXPECT_THROW(other->SetName(u"memo1"), EComponentError);
    EXPECT_THROW(other->SetName(u"1Memo"), EComponentError);
    EXPECT_EQ(other->Name(), u"Memo2");
}
