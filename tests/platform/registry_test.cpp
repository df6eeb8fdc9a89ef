#include "platform/fake_registry.h"

#include <gtest/gtest.h>

namespace {

class RegistryAccessorTest : public ::testing::Test {
protected:
    FakeRegistry backend;
    RegistryAccessor registry{backend};
    void SetUp() override {
        registry.SetRoot(RegRoot::LocalMachine);
        ASSERT_TRUE(registry.OpenKey("\\Software\\Test", true));
    }
    std::string ErrorOf(const std::function<void()>& call) {
        try {
            call();
        } catch (const StoreError& e) {
            return e.what();
        }
        return "(no error)";
    }
};

TEST_F(RegistryAccessorTest, TypedReads_MissingAndWrongTypeValuesFailWithTheirTexts) {
    registry.WriteString("text", "abc");
    registry.WriteInteger("number", 7);

    EXPECT_EQ(registry.ReadString("missing"), "");
    EXPECT_EQ(ErrorOf([&] { registry.ReadInteger("missing"); }), "Failed to get data for 'missing'");
    EXPECT_EQ(ErrorOf([&] { registry.ReadInteger("text"); }), "Invalid data type for 'text'");
    EXPECT_EQ(ErrorOf([&] { registry.ReadString("number"); }), "Invalid data type for 'number'");
    EXPECT_EQ(registry.ReadInteger("number"), 7);
}

TEST_F(RegistryAccessorTest, TypedReads_ExpandStringIsReadAsTextAndNegativeIntegersSurvive) {
    backend.Put(RegRoot::LocalMachine, "Software\\Test", "path", {RegType::ExpandString, "%TEMP%\\x", 0});
    EXPECT_EQ(registry.ReadString("path"), "%TEMP%\\x");
    registry.WriteInteger("tishi", -5);
    EXPECT_EQ(registry.ReadInteger("tishi"), -5);
}

TEST_F(RegistryAccessorTest, Writes_FailWithTheirTextWhenNoKeyIsOpenOrTheKeyRefusesThem) {
    backend.denyWrite = true;
    EXPECT_EQ(ErrorOf([&] { registry.WriteInteger("TaskNum", 1); }), "Failed to set data for 'TaskNum'");
    backend.denyWrite = false;
    backend.denyOpen = true;
    EXPECT_FALSE(registry.OpenKey("\\Software\\Other", true));
    EXPECT_EQ(ErrorOf([&] { registry.WriteString("A1", "x"); }), "Failed to set data for 'A1'");
    EXPECT_EQ(registry.ReadString("A1"), "");
    EXPECT_FALSE(registry.ValueExists("A1"));
    backend.denyOpen = false;
    ASSERT_TRUE(registry.OpenKey("\\Software\\Other", true));
    registry.CloseKey();
    EXPECT_FALSE(registry.HasKey());
    EXPECT_EQ(ErrorOf([&] { registry.WriteString("A1", "x"); }), "Failed to set data for 'A1'") << "a closed key takes no writes";
}

TEST_F(RegistryAccessorTest, OpenKey_ClosesTheCurrentKeyAndTreatsTheLeadingBackslashAsAbsolute) {
    registry.WriteString("here", "1");
    ASSERT_TRUE(registry.OpenKey("\\Software\\Run", true));
    EXPECT_EQ(backend.openKeys(), 1);
    EXPECT_FALSE(registry.ValueExists("here"));
    EXPECT_TRUE(backend.Get(RegRoot::LocalMachine, "Software\\Test", "here").has_value());
    EXPECT_TRUE(backend.KeyExists(RegRoot::LocalMachine, "Software\\Run"));
    registry.CloseKey();
    EXPECT_EQ(backend.openKeys(), 0);
}

TEST_F(RegistryAccessorTest, ValueCount_CountsTheCurrentKeysValuesAndIsZeroWithoutAKey) {
    EXPECT_EQ(registry.ValueCount(), 0u);
    registry.WriteString("A1", "x");
    registry.WriteInteger("TaskNum", 1);
    registry.WriteString("a1", "y");  // the same value in another case
    EXPECT_EQ(registry.ValueCount(), 2u);
    backend.Put(RegRoot::LocalMachine, "Software\\Other", "A1", StringValue("z"));
    EXPECT_EQ(registry.ValueCount(), 2u) << "another key's values are not counted";
    backend.denyValueCount = true;
    EXPECT_EQ(registry.ValueCount(), 0u) << "a count that cannot be had counts nothing";
    backend.denyValueCount = false;
    registry.CloseKey();
    EXPECT_EQ(registry.ValueCount(), 0u);
}

TEST_F(RegistryAccessorTest, AKeyOpenedForReadingAloneReadsButRefusesEveryWrite) {
    registry.WriteString("A1", "每天8时0分");
    EXPECT_FALSE(registry.KeyReadOnly());
    backend.readOnlyKeys = true;
    ASSERT_TRUE(registry.OpenKey("\\Software\\Test", true));
    EXPECT_TRUE(registry.KeyReadOnly());
    EXPECT_EQ(registry.ReadString("A1"), "每天8时0分");
    EXPECT_EQ(registry.ValueCount(), 1u);
    EXPECT_EQ(ErrorOf([&] { registry.WriteString("A1", "x"); }), "Failed to set data for 'A1'");
    EXPECT_EQ(ErrorOf([&] { registry.WriteInteger("TaskNum", 1); }), "Failed to set data for 'TaskNum'");
    EXPECT_FALSE(registry.DeleteValue("A1"));
    EXPECT_EQ(backend.writes, 1) << "only the write made before the key was reopened";
    registry.CloseKey();
    EXPECT_FALSE(registry.KeyReadOnly()) << "no key is open, so none is read-only";
    backend.readOnlyKeys = false;
    ASSERT_TRUE(registry.OpenKey("\\Software\\Test", true));
    EXPECT_FALSE(registry.KeyReadOnly());
}

}  // namespace
