/* The user environment list: order, one contiguous array, untouched owner bytes. */
#include <cstring>
#include <string>

#include "standin_test_support.h"

namespace olvan_test {
namespace {

class PropertyListTest : public StandinTest {
protected:
    // As the bridge gets it: copied from the default record.
    OLVAN_DravixProperties list_ = OLVAN_DRAVIX_PROPERTY_DEFAULT.user_environment;

    void TearDown() override {
        OLVAN_DravixProperties_finalize(&list_);
        StandinTest::TearDown();
    }
};

TEST_F(PropertyListTest, AddKeepsCallOrderInOneArrayAndCopiesTheStrings) {
    constexpr int kCount = 1000;  // several growths
    for (int i = 0; i < kCount; ++i) {
        std::string name = "NAME_" + std::to_string(i);
        std::string value = "value_" + std::to_string(i);
        ASSERT_NE(OLVAN_DravixProperties_add(&list_, name.c_str(), value.c_str()), 0);
        // The caller's buffers are reused at once: the list must own copies.
        name.assign(name.size(), '#');
        value.assign(value.size(), '#');
    }
    ASSERT_EQ(list_.count, kCount);
    for (int i = 0; i < kCount; ++i) {
        // Indexing from the base pointer proves the entries are contiguous.
        ASSERT_STREQ(list_.entries[i].name, ("NAME_" + std::to_string(i)).c_str());
        ASSERT_STREQ(list_.entries[i].value, ("value_" + std::to_string(i)).c_str());
    }
    EXPECT_EQ(list_.library_flag, 1);
}

TEST_F(PropertyListTest, NullValueIsKeptAsNull) {
    ASSERT_NE(OLVAN_DravixProperties_add(&list_, "UNSET", nullptr), 0);
    ASSERT_EQ(list_.count, 1);
    EXPECT_STREQ(list_.entries[0].name, "UNSET");
    EXPECT_EQ(list_.entries[0].value, nullptr);
    EXPECT_EQ(OLVAN_DravixProperties_add(&list_, nullptr, "v"), 0) << "a name is required";
    EXPECT_EQ(list_.count, 1);
}

TEST_F(PropertyListTest, OwnerBytesAreNeverTouched) {
    // Values the library would never write, to catch any store to bytes 12..15.
    list_.library_flag = 0x5C;
    list_.library_reserved[0] = 0x11;
    list_.library_reserved[1] = 0x22;
    list_.library_reserved[2] = 0x33;
    for (int i = 0; i < 40; ++i) {
        ASSERT_NE(OLVAN_DravixProperties_add(&list_, "N", "V"), 0);
    }
    OLVAN_DravixProperties_finalize(&list_);
    const unsigned char *bytes = reinterpret_cast<const unsigned char *>(&list_);
    EXPECT_EQ(bytes[12], 0x5C);
    EXPECT_EQ(bytes[13], 0x11);
    EXPECT_EQ(bytes[14], 0x22);
    EXPECT_EQ(bytes[15], 0x33);
}

TEST_F(PropertyListTest, FinalizeEmptiesTheListAndIsSafeTwice) {
    ASSERT_NE(OLVAN_DravixProperties_add(&list_, "A", "1"), 0);
    ASSERT_NE(OLVAN_DravixProperties_add(&list_, "B", nullptr), 0);
    OLVAN_DravixProperties_finalize(&list_);
    EXPECT_EQ(list_.entries, nullptr);
    EXPECT_EQ(list_.count, 0);
    EXPECT_EQ(list_.library_flag, 1);
    OLVAN_DravixProperties_finalize(&list_);
    EXPECT_EQ(list_.entries, nullptr);
    OLVAN_DravixProperties_finalize(nullptr);

    // A finalized list is as good as a new one.
    ASSERT_NE(OLVAN_DravixProperties_add(&list_, "C", "3"), 0);
    EXPECT_EQ(list_.count, 1);
    EXPECT_STREQ(list_.entries[0].name, "C");
}

TEST_F(PropertyListTest, ListStringsAreNotMiddlewareStrings) {
    const long dups = olvan_dds_dup_calls();
    const long live = olvan_dds_live_strings();
    ASSERT_NE(OLVAN_DravixProperties_add(&list_, "A", "1"), 0);
    EXPECT_EQ(olvan_dds_dup_calls(), dups);
    EXPECT_EQ(olvan_dds_live_strings(), live);
}

}  // namespace
}  // namespace olvan_test
