/* The service stand-in's controls: counters, injected failures, snapshots. */
#include <atomic>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "standin_test_support.h"

namespace olvan_test {
namespace {

class ControlTest : public StandinTest {};

TEST_F(ControlTest, EveryExportCountsItsCalls) {
    const char *const names[] = {
        "OLVAN_Dravix_new",           "OLVAN_Dravix_delete",
        "OLVAN_Dravix_start",         "OLVAN_Dravix_stop",
        "OLVAN_Dravix_create_entity", "OLVAN_Dravix_delete_entity",
        "OLVAN_Dravix_get_configuration", "OLVAN_Dravix_free_string",
        "OLVAN_DravixProperties_add", "OLVAN_DravixProperties_finalize",
    };
    {
        Service service;
        OLVAN_Dravix_start(service.get());
        OLVAN_Dravix_stop(service.get());
        OLVAN_Dravix_create_entity(service.get(), "e", nullptr, "<e/>");
        OLVAN_Dravix_delete_entity(service.get(), "e");
        configuration_of(service.get());
        OLVAN_DravixProperties list = OLVAN_DRAVIX_PROPERTY_DEFAULT.user_environment;
        OLVAN_DravixProperties_add(&list, "n", "v");
        OLVAN_DravixProperties_finalize(&list);
    }
    for (const char *name : names) {
        EXPECT_EQ(olvan_dravix_calls(name), 1) << name;
    }
    // Failed calls count too.
    OLVAN_Dravix_stop(nullptr);
    EXPECT_EQ(olvan_dravix_calls("OLVAN_Dravix_stop"), 2);

    EXPECT_EQ(olvan_dravix_calls("OLVAN_Dravix_nonexistent"), -1);
    EXPECT_EQ(olvan_dravix_calls(nullptr), -1);
    olvan_dravix_control_reset();
    EXPECT_EQ(olvan_dravix_calls("OLVAN_Dravix_stop"), 0);
}

TEST_F(ControlTest, FailNewReturnsNullWhileOn) {
    olvan_dravix_fail_new(1);
    EXPECT_EQ(OLVAN_Dravix_new(nullptr), nullptr);
    EXPECT_EQ(OLVAN_Dravix_new(&OLVAN_DRAVIX_PROPERTY_DEFAULT), nullptr);
    olvan_dravix_fail_new(0);
    Service service;
    EXPECT_NE(service.get(), nullptr);
    EXPECT_EQ(olvan_dravix_calls("OLVAN_Dravix_new"), 3);
}

TEST_F(ControlTest, ForcedResultsReplaceTheRealCallUntilCleared) {
    Service service;
    olvan_dravix_force_result("OLVAN_Dravix_start", 2);
    EXPECT_EQ(OLVAN_Dravix_start(service.get()), 2);
    EXPECT_EQ(service.state(), 0) << "a forced call does nothing";
    olvan_dravix_force_result("OLVAN_Dravix_start", -1);
    EXPECT_EQ(OLVAN_Dravix_start(service.get()), 1);

    olvan_dravix_force_result("OLVAN_Dravix_stop", 0);
    EXPECT_EQ(OLVAN_Dravix_stop(service.get()), 0);
    EXPECT_EQ(service.state(), 1);
    olvan_dravix_force_result("OLVAN_Dravix_stop", 7);
    EXPECT_EQ(OLVAN_Dravix_stop(nullptr), 7) << "forced even for a null service";

    olvan_dravix_force_result("OLVAN_Dravix_create_entity", 0);
    EXPECT_EQ(OLVAN_Dravix_create_entity(service.get(), "e", nullptr, "<e/>"), 0);
    olvan_dravix_force_result("OLVAN_Dravix_create_entity", -1);
    ASSERT_EQ(OLVAN_Dravix_create_entity(service.get(), "e", nullptr, "<e/>"), 1) << "the forced call created nothing";

    olvan_dravix_force_result("OLVAN_Dravix_delete_entity", 2);
    EXPECT_EQ(OLVAN_Dravix_delete_entity(service.get(), "e"), 2);
    EXPECT_NE(configuration_of(service.get()).find("<e/>"), std::string::npos) << "the forced delete removed it";

    // Other functions cannot be forced; reset clears every forced result.
    olvan_dravix_force_result("OLVAN_Dravix_new", 0);
    olvan_dravix_control_reset();
    EXPECT_EQ(OLVAN_Dravix_delete_entity(service.get(), "e"), 1);
    EXPECT_EQ(OLVAN_Dravix_stop(service.get()), 1);
    Service other;
    EXPECT_NE(other.get(), nullptr);
}

TEST_F(ControlTest, FailGetConfigurationReturnsNullWhileOn) {
    Service service;
    olvan_dravix_fail_get_configuration(1);
    const long texts = olvan_dravix_live_texts();
    EXPECT_EQ(OLVAN_Dravix_get_configuration(service.get()), nullptr);
    EXPECT_EQ(olvan_dravix_live_texts(), texts);
    olvan_dravix_fail_get_configuration(0);
    EXPECT_FALSE(configuration_of(service.get()).empty());
}

TEST_F(ControlTest, LiveTextsCountHandedOutTextsAndRefuseBadFrees) {
    Service service;
    const long texts = olvan_dravix_live_texts();
    char *first = OLVAN_Dravix_get_configuration(service.get());
    char *second = OLVAN_Dravix_get_configuration(service.get());
    ASSERT_TRUE(first && second);
    EXPECT_EQ(olvan_dravix_live_texts(), texts + 2);
    OLVAN_Dravix_free_string(first);
    OLVAN_Dravix_free_string(first);
    EXPECT_EQ(olvan_dravix_bad_text_frees(), 1);
    EXPECT_EQ(olvan_dravix_live_texts(), texts + 1);
    OLVAN_Dravix_free_string(second);
    EXPECT_EQ(olvan_dravix_live_texts(), texts);
    olvan_dravix_control_reset();
    EXPECT_EQ(olvan_dravix_bad_text_frees(), 0);
}

TEST_F(ControlTest, FailAddAtFailsOnlyTheChosenAddAndAddsNothing) {
    OLVAN_DravixProperties list = OLVAN_DRAVIX_PROPERTY_DEFAULT.user_environment;
    olvan_dravix_fail_add_at(2);
    EXPECT_NE(OLVAN_DravixProperties_add(&list, "A", "1"), 0);
    EXPECT_EQ(OLVAN_DravixProperties_add(&list, "B", "2"), 0);
    EXPECT_NE(OLVAN_DravixProperties_add(&list, "C", "3"), 0);
    ASSERT_EQ(list.count, 2);
    EXPECT_STREQ(list.entries[0].name, "A");
    EXPECT_STREQ(list.entries[1].name, "C");
    OLVAN_DravixProperties_finalize(&list);
}

TEST_F(ControlTest, LastRecordIsAByteSnapshot) {
    unsigned char out[256];
    EXPECT_EQ(olvan_dravix_last_record(out), 0) << "none since reset";

    OLVAN_DravixProperty record = OLVAN_DRAVIX_PROPERTY_DEFAULT;
    record.domain_id_base = 0x01020304;
    record.library_bytes_90[7] = 0x3C;
    {
        Service service(&record);
        ASSERT_NE(service.get(), nullptr);
    }
    record.domain_id_base = 0;  // the snapshot must not follow the caller's record
    ASSERT_EQ(olvan_dravix_last_record(out), 1);
    int32_t domain = 0;
    std::memcpy(&domain, out + offsetof(OLVAN_DravixProperty, domain_id_base), sizeof domain);
    EXPECT_EQ(domain, 0x01020304);
    EXPECT_EQ(out[90 + 7], 0x3C);
    EXPECT_EQ(out[91], 0xA5);

    // Also taken when new is made to fail, and cleared by a null record.
    olvan_dravix_fail_new(1);
    EXPECT_EQ(OLVAN_Dravix_new(&record), nullptr);
    ASSERT_EQ(olvan_dravix_last_record(out), 1);
    std::memcpy(&domain, out + offsetof(OLVAN_DravixProperty, domain_id_base), sizeof domain);
    EXPECT_EQ(domain, 0);
    EXPECT_EQ(OLVAN_Dravix_new(nullptr), nullptr);
    EXPECT_EQ(olvan_dravix_last_record(out), 0);
}

// The stand-in's copy of a last entity argument, released: nullopt for null.
std::optional<std::string> last_entity(char *(*read)()) {
    std::unique_ptr<char, void (*)(char *)> copy(read(), &olvan_dravix_free_copy);
    return copy ? std::optional<std::string>(copy.get()) : std::nullopt;
}

TEST_F(ControlTest, LastEntityArgumentsAreCopiesTakenEvenWhenTheCallFails) {
    EXPECT_EQ(last_entity(olvan_dravix_last_entity_name), std::nullopt);
    Service service;
    std::string name = "entity";
    std::string text = "<e>\xFF</e>";
    olvan_dravix_force_result("OLVAN_Dravix_create_entity", 0);
    OLVAN_Dravix_create_entity(service.get(), name.c_str(), nullptr, text.c_str());
    name.assign(name.size(), '#');
    text.assign(text.size(), '#');
    EXPECT_EQ(last_entity(olvan_dravix_last_entity_name), "entity");
    EXPECT_EQ(last_entity(olvan_dravix_last_entity_file_name), std::nullopt);
    EXPECT_EQ(last_entity(olvan_dravix_last_entity_text), "<e>\xFF</e>");

    OLVAN_Dravix_create_entity(service.get(), "f", "/some/file.xml", nullptr);
    EXPECT_EQ(last_entity(olvan_dravix_last_entity_file_name), "/some/file.xml");
    EXPECT_EQ(last_entity(olvan_dravix_last_entity_text), std::nullopt);

    olvan_dravix_control_reset();
    EXPECT_EQ(last_entity(olvan_dravix_last_entity_name), std::nullopt);
    EXPECT_EQ(last_entity(olvan_dravix_last_entity_file_name), std::nullopt);
}


// Another thread's create_entity replaces the remembered arguments while they
// are read: each read must still be one whole text that was given (under ASan,
// a pointer into the replaced string is a use after free).
TEST_F(ControlTest, LastEntityTextReadWhileAnotherThreadCreatesIsWhole) {
    Service service;
    const std::string texts[2] = {std::string(4096, 'a'), std::string(64, 'b')};
    OLVAN_Dravix_create_entity(service.get(), "e", nullptr, texts[0].c_str());
    OLVAN_Dravix_delete_entity(service.get(), "e");
    std::atomic<bool> done{false};
    std::thread writer([&] {
        for (int i = 1; i < 5000; ++i) {
            OLVAN_Dravix_create_entity(service.get(), "e", nullptr, texts[i % 2].c_str());
            OLVAN_Dravix_delete_entity(service.get(), "e");
        }
        done = true;
    });
    long reads = 0;
    do {
        const std::optional<std::string> text = last_entity(olvan_dravix_last_entity_text);
        ASSERT_TRUE(text && (*text == texts[0] || *text == texts[1]))
            << "read " << reads << ": " << (text ? "a torn text of " + std::to_string(text->size()) + " bytes" : "none");
        ++reads;
    } while (!done);
    writer.join();
}

}  // namespace
}  // namespace olvan_test
