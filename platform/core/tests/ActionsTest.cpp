// Actions: handlers first, else the offer to the action targets in order;
// a component takes an action that handles it as its target.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/core/Actions.h"

namespace {

// An action that works on components of one name and records its calls.
class TNamedAction : public TCustomAction {
public:
    explicit TNamedAction(std::string target) : TCustomAction(nullptr), target_(std::move(target)) {}
    std::vector<std::string> Log;
    bool HandlesTarget(TObject* t) override {
        auto* c = dynamic_cast<TComponent*>(t);
        return c && c->Name() == target_;
    }
    void ExecuteTarget(TObject* t) override { Log.push_back("execute " + static_cast<TComponent*>(t)->Name()); }
    void UpdateTarget(TObject* t) override { Log.push_back("update " + static_cast<TComponent*>(t)->Name()); }

private:
    std::string target_;
};

class ActionsTest : public ::testing::Test {
protected:
    void SetUp() override {
        a.SetName("A");
        b.SetName("B");
        SetActionTargets([this] { return std::vector<TComponent*>{&a, &b}; });
    }
    void TearDown() override { SetActionTargets(nullptr); }
    TComponent a{nullptr}, b{nullptr};
};

TEST_F(ActionsTest, AHandlerRunsInsteadOfTheTargets) {
    TNamedAction action("A");
    int runs = 0;
    action.OnExecute = [&](TObject* sender) {
        EXPECT_EQ(sender, &action);
        ++runs;
    };
    EXPECT_TRUE(action.Execute());
    EXPECT_EQ(runs, 1);
    // Update found no OnUpdate and went to the targets.
    EXPECT_EQ(action.Log, std::vector<std::string>{"update A"});
}

TEST_F(ActionsTest, WithoutAHandlerTheFirstTargetThatHandlesItTakesIt) {
    TNamedAction toB("B");
    EXPECT_TRUE(toB.Execute());
    EXPECT_EQ(toB.Log, (std::vector<std::string>{"update B", "execute B"}));
    TNamedAction toNobody("C");
    EXPECT_FALSE(toNobody.Execute());
    EXPECT_FALSE(toNobody.Update());
    EXPECT_TRUE(toNobody.Log.empty());
    SetActionTargets(nullptr);
    EXPECT_FALSE(toB.Execute());
}

TEST_F(ActionsTest, ADisabledActionDoesNothing) {
    TNamedAction action("A");
    action.OnUpdate = [&](TObject*) { action.SetEnabled(false); };
    int runs = 0;
    action.OnExecute = [&](TObject*) { ++runs; };
    EXPECT_FALSE(action.Execute());
    EXPECT_EQ(runs, 0);
}

}  // namespace
