#include "host/modulehost/ModuleCatalogue.h"

#include "tests/host/modulehost/TestSupport.h"

#include <gtest/gtest.h>

namespace orv::test {
namespace {

using K = TModuleKind;

class ModuleCatalogueTest : public ::testing::Test {
protected:
    void SetUp() override {
        tree.AddFixture("DataFixture", K::Data, "alpha.so");
        tree.AddFixture("DataFixture", K::Data, "beta.so");
        tree.AddFixture("DataFixture", K::Data, "gamma.so");
        tree.SetActive("alpha.so", true);
        tree.SetActive("beta.so", true);
        host.Discover();
    }
    TProgramTree tree;
    TModuleHost host{tree.Options()};
    TModuleCatalogue catalogue{host};
};

TEST_F(ModuleCatalogueTest, BindingTakesTheFirstModuleInTableOrderAndComparesExactly) {
    auto shared = catalogue.Bind("$shared").value_or(TTagBinding{});
    EXPECT_EQ(shared.ModuleKey, "Fixture alpha");
    EXPECT_EQ(shared.TagIndex, 1);
    auto own = catalogue.Bind("$betaparam").value_or(TTagBinding{});
    EXPECT_EQ(own.ModuleKey, "Fixture beta");
    EXPECT_EQ(own.TagIndex, 3);
    // Name entry 16 is compared too, although beyond the tag count.
    EXPECT_EQ(catalogue.Bind("$alphaHidden")->TagIndex, 15);

    for (const char* name : {"$Shared", "$shared ", "shared", "$", "", "$gamma"}) {
        EXPECT_FALSE(catalogue.Bind(name)) << name;
    }

    // With the first module off, the collision goes to the next one.
    host.TurnOff(0);
    EXPECT_EQ(catalogue.Bind("$shared")->ModuleKey, "Fixture beta");
    EXPECT_FALSE(catalogue.Bind("$alpha"));
}

TEST_F(ModuleCatalogueTest, EvaluationCallsTheModuleByNameAndGivesEmptyWhenItIsOff) {
    auto bound = catalogue.Bind("$alphaparam").value_or(TTagBinding{});
    EXPECT_EQ(catalogue.Evaluate(bound.ModuleKey, bound.TagIndex, "xyz"), "Fixture alpha#3:xyz");
    EXPECT_EQ(catalogue.Evaluate("Fixture beta", 0, ""), "Fixture beta#0:");
    EXPECT_EQ(catalogue.Evaluate("Fixture alpha", 2, "0"), ""); // a null answer
    EXPECT_EQ(catalogue.Evaluate("Fixture gamma", 0, "0"), ""); // never turned on
    EXPECT_EQ(catalogue.Evaluate("", 0, "0"), "");
    EXPECT_FALSE(catalogue.GetValue("Fixture gamma", 0, "0")) << "no such module is on";

    // Turned off after binding: empty, and the released library is not called.
    host.TurnOff(0);
    EXPECT_EQ(catalogue.Evaluate(bound.ModuleKey, bound.TagIndex, "xyz"), "");
    host.TurnOn(0);
    EXPECT_EQ(catalogue.Evaluate(bound.ModuleKey, bound.TagIndex, "again"),
              "Fixture alpha#3:again");
}

TEST_F(ModuleCatalogueTest, TagTreeListsTheModulesThatAreOnWithTheirTags) {
    host.TurnOn(2); // gamma: shows in a tree built from now on
    const auto groups = catalogue.TagTree();
    ASSERT_EQ(groups.size(), 3u);
    EXPECT_EQ(groups[0].Caption, "Group alpha");
    EXPECT_EQ(groups[1].Caption, "Group beta");
    EXPECT_EQ(groups[2].Caption, "Group gamma");
    EXPECT_EQ(groups[0].IconIndex, 5);
    EXPECT_EQ(groups[0].Hint, "Group hint of alpha");
    ASSERT_EQ(groups[1].Tags.size(), 4u); // TagCount, not the hidden entry 16
    EXPECT_EQ(groups[1].Tags[0].Caption, "beta caption 1");
    EXPECT_EQ(groups[1].Tags[3].Example, "$betaparam[4]$");
    EXPECT_EQ(groups[1].Tags[2].Hint, "beta hint 3\r\rsecond part");

    // Clicking a node finds the owner by the group caption.
    EXPECT_EQ(catalogue.FindGroupOwner("Group beta"), 1u);
    EXPECT_EQ(catalogue.GroupHint("Group beta"), "Group hint of beta");
    EXPECT_FALSE(catalogue.FindGroupOwner("Group delta"));
    EXPECT_EQ(catalogue.GroupHint("Group delta"), "");

    host.TurnOff(1);
    EXPECT_EQ(catalogue.TagTree().size(), 2u);
    EXPECT_FALSE(catalogue.FindGroupOwner("Group beta"));
}

} // namespace
} // namespace orv::test
