/* Entities from text and from files, their failures, and verbatim round trips. */
#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "standin_test_support.h"

namespace olvan_test {
namespace {

class EntityTest : public StandinTest {
protected:
    Service service_;
};

TEST_F(EntityTest, TextEntityAppearsVerbatimAndGoesAwayOnDelete) {
    // Markup-like and odd bytes must not be escaped or normalised.
    const std::string text = "<a x=\"1\">&amp; <![CDATA[ ]]> \t\r\n\xC3\xA9\xFF\x01</a>";
    ASSERT_EQ(OLVAN_Dravix_create_entity(service_.get(), "one", nullptr, text.c_str()), 1);
    std::string config = configuration_of(service_.get());
    EXPECT_NE(config.find("<name>one</name>\n      <configuration>" + text + "</configuration>"), std::string::npos)
        << config;

    EXPECT_EQ(OLVAN_Dravix_delete_entity(service_.get(), "one"), 1);
    config = configuration_of(service_.get());
    EXPECT_NE(config.find("<entities count=\"0\">"), std::string::npos);
    EXPECT_EQ(config.find(text), std::string::npos);
    EXPECT_EQ(OLVAN_Dravix_delete_entity(service_.get(), "one"), 0) << "already deleted";
}

TEST_F(EntityTest, FileEntityKeepsEveryByteOfTheFile) {
    std::string bytes;
    for (int b = 1; b < 256; ++b) {
        bytes.push_back(static_cast<char>(b));
    }
    TempFile file(bytes);
    ASSERT_EQ(OLVAN_Dravix_create_entity(service_.get(), "from_file", file.path(), nullptr), 1);
    const std::string config = configuration_of(service_.get());
    EXPECT_NE(config.find("<configuration>" + bytes + "</configuration>"), std::string::npos);
    EXPECT_NE(config.find(std::string("<file_name>") + file.path() + "</file_name>"), std::string::npos);
}

TEST_F(EntityTest, BadArgumentsFailWithoutCreatingAnything) {
    TempFile file("<from_file/>");
    TempFile empty_file("");
    OLVAN_Dravix *s = service_.get();
    EXPECT_EQ(OLVAN_Dravix_create_entity(s, "", nullptr, "<x/>"), 0) << "empty name";
    EXPECT_EQ(OLVAN_Dravix_create_entity(s, nullptr, nullptr, "<x/>"), 0) << "null name";
    EXPECT_EQ(OLVAN_Dravix_create_entity(s, "e", nullptr, ""), 0) << "empty text";
    EXPECT_EQ(OLVAN_Dravix_create_entity(s, "e", nullptr, nullptr), 0) << "neither source";
    EXPECT_EQ(OLVAN_Dravix_create_entity(s, "e", file.path(), "<x/>"), 0) << "both sources";
    EXPECT_EQ(OLVAN_Dravix_create_entity(s, "e", "/nonexistent/olvan/entity.xml", nullptr), 0) << "missing file";
    EXPECT_EQ(OLVAN_Dravix_create_entity(s, "e", ::testing::TempDir().c_str(), nullptr), 0) << "a directory";
    EXPECT_EQ(OLVAN_Dravix_create_entity(s, "e", empty_file.path(), nullptr), 0) << "empty file";
    EXPECT_NE(configuration_of(s).find("<entities count=\"0\">"), std::string::npos);
    EXPECT_EQ(OLVAN_Dravix_delete_entity(s, nullptr), 0);
    EXPECT_EQ(OLVAN_Dravix_delete_entity(s, "never_created"), 0);
}

TEST_F(EntityTest, NamesAreUniqueAndReusableAfterDelete) {
    OLVAN_Dravix *s = service_.get();
    ASSERT_EQ(OLVAN_Dravix_create_entity(s, "dup", nullptr, "<first/>"), 1);
    EXPECT_EQ(OLVAN_Dravix_create_entity(s, "dup", nullptr, "<second/>"), 0);
    std::string config = configuration_of(s);
    EXPECT_NE(config.find("<first/>"), std::string::npos);
    EXPECT_EQ(config.find("<second/>"), std::string::npos);

    ASSERT_EQ(OLVAN_Dravix_delete_entity(s, "dup"), 1);
    EXPECT_EQ(OLVAN_Dravix_create_entity(s, "dup", nullptr, "<second/>"), 1);
    EXPECT_NE(configuration_of(s).find("<second/>"), std::string::npos);
}

TEST_F(EntityTest, EntitiesAreListedInCreationOrderInAnyState) {
    OLVAN_Dravix *s = service_.get();
    ASSERT_EQ(OLVAN_Dravix_create_entity(s, "c", nullptr, "<c/>"), 1);
    ASSERT_EQ(OLVAN_Dravix_start(s), 1);
    ASSERT_EQ(OLVAN_Dravix_create_entity(s, "a", nullptr, "<a/>"), 1);
    ASSERT_EQ(OLVAN_Dravix_stop(s), 1);
    ASSERT_EQ(OLVAN_Dravix_create_entity(s, "b", nullptr, "<b/>"), 1);
    ASSERT_EQ(OLVAN_Dravix_delete_entity(s, "a"), 1);
    ASSERT_EQ(OLVAN_Dravix_create_entity(s, "a", nullptr, "<a2/>"), 1);

    const std::string config = configuration_of(s);
    const size_t c = config.find("<c/>"), b = config.find("<b/>"), a = config.find("<a2/>");
    ASSERT_NE(a, std::string::npos);
    EXPECT_LT(c, b);
    EXPECT_LT(b, a);
    EXPECT_NE(config.find("<entities count=\"3\">"), std::string::npos);
}

TEST_F(EntityTest, HugeTextAndHugeNameRoundTrip) {
    // 64 MiB of configuration and a 4 MiB name, each with a marker at both
    // ends so a truncation or an off-by-one shows.
    std::string text(64u << 20, 'x');
    text.front() = '<';
    text.back() = '>';
    std::string name(4u << 20, 'n');
    name.back() = 'N';
    ASSERT_EQ(OLVAN_Dravix_create_entity(service_.get(), name.c_str(), nullptr, text.c_str()), 1);

    char *config = OLVAN_Dravix_get_configuration(service_.get());
    ASSERT_NE(config, nullptr);
    const std::string_view view(config);
    const size_t at = view.find("<configuration>" + text + "</configuration>");
    EXPECT_NE(at, std::string::npos);
    EXPECT_NE(view.find("<name>" + name + "</name>"), std::string::npos);
    OLVAN_Dravix_free_string(config);

    EXPECT_EQ(OLVAN_Dravix_delete_entity(service_.get(), name.c_str()), 1);
}

TEST_F(EntityTest, ConcurrentCreatesOfOneNameLetExactlyOneWin) {
    constexpr int kThreads = 4;
    constexpr int kNames = 2000;
    std::atomic<long> wins{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < kNames; ++i) {
                const std::string name = "entity_" + std::to_string(i);
                wins += OLVAN_Dravix_create_entity(service_.get(), name.c_str(), nullptr, "<e/>");
            }
        });
    }
    for (auto &thread : threads) {
        thread.join();
    }
    EXPECT_EQ(wins.load(), kNames);
    EXPECT_NE(configuration_of(service_.get()).find("<entities count=\"2000\">"), std::string::npos);
}

}  // namespace
}  // namespace olvan_test
