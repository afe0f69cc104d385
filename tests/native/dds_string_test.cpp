/* The middleware string stand-in: copies, the ledger and refused frees. */
#include <cstdlib>
#include <thread>
#include <vector>

#include "standin_test_support.h"

namespace olvan_test {
namespace {

class DdsStringTest : public StandinTest {};

TEST_F(DdsStringTest, DupMakesAnIndependentCopyTrackedUntilFreed) {
    const long live = olvan_dds_live_strings();
    char source[] = "middleware";
    char *copy = DDS_String_dup(source);
    ASSERT_NE(copy, nullptr);
    EXPECT_NE(copy, source);
    source[0] = 'X';
    EXPECT_STREQ(copy, "middleware");
    EXPECT_EQ(olvan_dds_live_strings(), live + 1);

    DDS_String_free(copy);
    EXPECT_EQ(olvan_dds_live_strings(), live);
    EXPECT_EQ(olvan_dds_dup_calls(), 1);
    EXPECT_EQ(olvan_dds_free_calls(), 1);
    EXPECT_EQ(olvan_dds_bad_frees(), 0);
}

TEST_F(DdsStringTest, EmptyIsAStringNullIsNotAndFreeingNullIsNoCall) {
    char *empty = DDS_String_dup("");
    ASSERT_NE(empty, nullptr);
    EXPECT_STREQ(empty, "");
    DDS_String_free(empty);
    EXPECT_EQ(DDS_String_dup(nullptr), nullptr);
    DDS_String_free(nullptr);
    EXPECT_EQ(olvan_dds_dup_calls(), 2);
    EXPECT_EQ(olvan_dds_free_calls(), 1);
    EXPECT_EQ(olvan_dds_bad_frees(), 0);
}

TEST_F(DdsStringTest, DoubleAndForeignFreesAreCountedNotPerformed) {
    const long live = olvan_dds_live_strings();
    char *copy = DDS_String_dup("twice");
    ASSERT_NE(copy, nullptr);
    DDS_String_free(copy);
    DDS_String_free(copy);  // would corrupt the heap if passed on to free()
    char on_stack[] = "not from dup";
    DDS_String_free(on_stack);
    char *from_malloc = static_cast<char *>(std::malloc(8));
    ASSERT_NE(from_malloc, nullptr);
    DDS_String_free(from_malloc);
    std::free(from_malloc);  // still ours: the stand-in did not free it

    EXPECT_EQ(olvan_dds_free_calls(), 4);
    EXPECT_EQ(olvan_dds_bad_frees(), 3);
    EXPECT_EQ(olvan_dds_live_strings(), live);
}

TEST_F(DdsStringTest, ResetClearsCountersButNotTheLedger) {
    const long live = olvan_dds_live_strings();
    char *kept = DDS_String_dup("kept");
    DDS_String_free(kept);
    DDS_String_free(kept);
    kept = DDS_String_dup("kept");
    olvan_dds_control_reset();
    EXPECT_EQ(olvan_dds_dup_calls(), 0);
    EXPECT_EQ(olvan_dds_free_calls(), 0);
    EXPECT_EQ(olvan_dds_bad_frees(), 0);
    EXPECT_EQ(olvan_dds_live_strings(), live + 1);
    DDS_String_free(kept);
    EXPECT_EQ(olvan_dds_live_strings(), live);
}

TEST_F(DdsStringTest, FailDupAtFailsExactlyTheChosenCall) {
    olvan_dds_fail_dup_at(3);
    std::vector<char *> results;
    for (int i = 0; i < 5; ++i) {
        results.push_back(DDS_String_dup("s"));
    }
    EXPECT_NE(results[0], nullptr);
    EXPECT_NE(results[1], nullptr);
    EXPECT_EQ(results[2], nullptr);
    EXPECT_NE(results[3], nullptr);
    EXPECT_NE(results[4], nullptr);
    EXPECT_EQ(olvan_dds_dup_calls(), 5) << "the failed call counts too";
    for (char *s : results) {
        DDS_String_free(s);
    }

    olvan_dds_fail_dup_at(2);
    olvan_dds_fail_dup_at(0);  // disarmed before it fires
    char *s1 = DDS_String_dup("a");
    char *s2 = DDS_String_dup("b");
    EXPECT_TRUE(s1 && s2);
    DDS_String_free(s1);
    DDS_String_free(s2);
}

TEST_F(DdsStringTest, LedgerStaysExactUnderThreads) {
    const long live = olvan_dds_live_strings();
    constexpr int kThreads = 4;
    constexpr int kStrings = 20000;
    olvan_dds_fail_dup_at(kThreads * kStrings / 2);  // one failure among all threads
    std::atomic<long> nulls{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < kStrings; ++i) {
                char *s = DDS_String_dup("threaded");
                nulls += s == nullptr;
                DDS_String_free(s);
            }
        });
    }
    for (auto &thread : threads) {
        thread.join();
    }
    EXPECT_EQ(nulls.load(), 1);
    EXPECT_EQ(olvan_dds_dup_calls(), kThreads * kStrings);
    EXPECT_EQ(olvan_dds_free_calls(), kThreads * kStrings - 1);
    EXPECT_EQ(olvan_dds_bad_frees(), 0);
    EXPECT_EQ(olvan_dds_live_strings(), live);
}

}  // namespace
}  // namespace olvan_test
