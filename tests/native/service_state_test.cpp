/* Service life cycle, state rules, copying of the record and locking. */
#include <atomic>
#include <cstring>
#include <thread>
#include <vector>

#include "standin_test_support.h"

namespace olvan_test {
namespace {

class ServiceStateTest : public StandinTest {};

TEST_F(ServiceStateTest, StartAndStopFollowTheStateRules) {
    Service service;
    ASSERT_NE(service.get(), nullptr);
    EXPECT_EQ(service.state(), 0);

    EXPECT_EQ(OLVAN_Dravix_stop(service.get()), 0) << "stop before any start";
    EXPECT_EQ(OLVAN_Dravix_start(service.get()), 1);
    EXPECT_EQ(service.state(), 1);
    EXPECT_EQ(OLVAN_Dravix_start(service.get()), 0) << "start while started";
    EXPECT_EQ(OLVAN_Dravix_stop(service.get()), 1);
    EXPECT_EQ(service.state(), 2);
    EXPECT_EQ(OLVAN_Dravix_stop(service.get()), 0) << "stop while stopped";
    EXPECT_EQ(OLVAN_Dravix_start(service.get()), 1) << "restart from stopped";
    EXPECT_EQ(service.state(), 1);
}

TEST_F(ServiceStateTest, DeleteWorksInEveryStateAndRefusesUnknownPointers) {
    const long before = olvan_dravix_live_services();
    OLVAN_Dravix *created = OLVAN_Dravix_new(nullptr);
    OLVAN_Dravix *started = OLVAN_Dravix_new(nullptr);
    OLVAN_Dravix *stopped = OLVAN_Dravix_new(nullptr);
    ASSERT_TRUE(created && started && stopped);
    ASSERT_EQ(OLVAN_Dravix_start(started), 1);
    ASSERT_EQ(OLVAN_Dravix_start(stopped), 1);
    ASSERT_EQ(OLVAN_Dravix_stop(stopped), 1);
    EXPECT_EQ(olvan_dravix_live_services(), before + 3);

    EXPECT_EQ(OLVAN_Dravix_delete(created), 1);
    EXPECT_EQ(OLVAN_Dravix_delete(started), 1);
    EXPECT_EQ(OLVAN_Dravix_delete(stopped), 1);
    EXPECT_EQ(olvan_dravix_live_services(), before);

    // A second delete is refused rather than freeing again.
    EXPECT_EQ(OLVAN_Dravix_delete(created), 0);
    EXPECT_EQ(olvan_dravix_service_state(created), -1);
    EXPECT_EQ(OLVAN_Dravix_delete(nullptr), 0);
    int not_a_service = 0;
    EXPECT_EQ(OLVAN_Dravix_delete(reinterpret_cast<OLVAN_Dravix *>(&not_a_service)), 0);
    EXPECT_EQ(olvan_dravix_service_state(&not_a_service), -1);
}

TEST_F(ServiceStateTest, NullServiceFailsEveryCall) {
    EXPECT_EQ(OLVAN_Dravix_start(nullptr), 0);
    EXPECT_EQ(OLVAN_Dravix_stop(nullptr), 0);
    EXPECT_EQ(OLVAN_Dravix_create_entity(nullptr, "e", nullptr, "<x/>"), 0);
    EXPECT_EQ(OLVAN_Dravix_delete_entity(nullptr, "e"), 0);
    EXPECT_EQ(OLVAN_Dravix_get_configuration(nullptr), nullptr);
    OLVAN_Dravix_free_string(nullptr);
    EXPECT_EQ(olvan_dravix_bad_text_frees(), 0) << "null is not a bad free";
}

TEST_F(ServiceStateTest, DefaultRecordHasTheDocumentedValues) {
    const OLVAN_DravixProperty &d = OLVAN_DRAVIX_PROPERTY_DEFAULT;
    EXPECT_EQ(d.cfg_file, nullptr);
    EXPECT_EQ(d.cfg_strings, nullptr);
    EXPECT_EQ(d.cfg_strings_count, 0);
    EXPECT_EQ(d.service_name, nullptr);
    EXPECT_EQ(d.application_name, nullptr);
    EXPECT_EQ(d.plugin_search_path, nullptr);
    EXPECT_EQ(d.registered_transports_count, 0);
    EXPECT_EQ(d.enforce_xsd_validation, 1);
    EXPECT_EQ(d.service_verbosity, OLVAN_DRAVIX_LOG_VERBOSITY_WARNINGS);
    EXPECT_EQ(d.dds_verbosity, OLVAN_DRAVIX_LOG_VERBOSITY_WARNINGS);
    EXPECT_EQ(d.user_environment.entries, nullptr);
    EXPECT_EQ(d.user_environment.count, 0);
    EXPECT_EQ(d.user_environment.library_flag, 1);
    for (uint8_t b : d.user_environment.library_reserved) {
        EXPECT_EQ(b, 0);
    }
    // The library's own bytes carry a pattern the bridge must preserve.
    for (uint8_t b : d.library_bytes_90) {
        ASSERT_EQ(b, 0xA5);
    }
    EXPECT_EQ(d.library_bytes_20[0], 0xA5);
    EXPECT_EQ(d.library_bytes_228[11], 0xA5);

    EXPECT_EQ(OLVAN_DRAVIX_LOG_VERBOSITY_SILENT, 0);
    EXPECT_EQ(OLVAN_DRAVIX_LOG_VERBOSITY_EXCEPTIONS, 1);
    EXPECT_EQ(OLVAN_DRAVIX_LOG_VERBOSITY_WARNINGS, 3);
    EXPECT_EQ(OLVAN_DRAVIX_LOG_VERBOSITY_INFO, 7);
}

TEST_F(ServiceStateTest, NewCopiesEverythingItKeepsFromTheRecord) {
    OLVAN_DravixProperty record = OLVAN_DRAVIX_PROPERTY_DEFAULT;
    char cfg_file[] = "/etc/dravix.xml";
    char first[] = "<first/>";
    char third[] = "<third/>";
    char *cfg_strings[] = {first, nullptr, third};
    char service_name[] = "svc";
    char plugin_path[] = "/plugins";
    record.cfg_file = cfg_file;
    record.cfg_strings = cfg_strings;
    record.cfg_strings_count = 3;
    record.service_name = service_name;
    record.plugin_search_path = plugin_path;
    record.domain_id_base = 17;
    record.enable_monitoring = 2;  // any byte, reported as is
    record.monitoring_domain_id = -3;
    ASSERT_EQ(OLVAN_DravixProperties_add(&record.user_environment, "HOME", "/home/x"), 1);
    ASSERT_EQ(OLVAN_DravixProperties_add(&record.user_environment, "EMPTY", nullptr), 1);

    Service service(&record);
    ASSERT_NE(service.get(), nullptr);
    // Wipe and release everything the caller owned: the service must not notice.
    std::memset(cfg_file, 'Z', sizeof cfg_file - 1);
    std::memset(first, 'Z', sizeof first - 1);
    std::memset(service_name, 'Z', sizeof service_name - 1);
    OLVAN_DravixProperties_finalize(&record.user_environment);

    const std::string text = configuration_of(service.get());
    EXPECT_NE(text.find("<cfg_file>/etc/dravix.xml</cfg_file>"), std::string::npos) << text;
    EXPECT_NE(text.find("<cfg_strings count=\"3\">\n"
                        "      <cfg_string><first/></cfg_string>\n"
                        "      <cfg_string null=\"true\"/>\n"
                        "      <cfg_string><third/></cfg_string>\n"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("<service_name>svc</service_name>"), std::string::npos);
    EXPECT_NE(text.find("<application_name null=\"true\"/>"), std::string::npos);
    EXPECT_NE(text.find("<plugin_search_path>/plugins</plugin_search_path>"), std::string::npos);
    EXPECT_NE(text.find("<domain_id_base>17</domain_id_base>"), std::string::npos);
    EXPECT_NE(text.find("<enable_monitoring>2</enable_monitoring>"), std::string::npos);
    EXPECT_NE(text.find("<monitoring_domain_id>-3</monitoring_domain_id>"), std::string::npos);
    EXPECT_NE(text.find("<user_environment count=\"2\">\n"
                        "      <variable>\n        <name>HOME</name>\n        <value>/home/x</value>\n      </variable>\n"
                        "      <variable>\n        <name>EMPTY</name>\n        <value null=\"true\"/>\n      </variable>\n"),
              std::string::npos)
        << text;
}

TEST_F(ServiceStateTest, NonPositiveCfgStringsCountMeansNone) {
    OLVAN_DravixProperty record = OLVAN_DRAVIX_PROPERTY_DEFAULT;
    char text[] = "<ignored/>";
    char *strings[] = {text};
    record.cfg_strings = strings;
    record.cfg_strings_count = -1;
    Service negative(&record);
    record.cfg_strings_count = 0;
    Service zero(&record);
    ASSERT_TRUE(negative.get() && zero.get());
    for (OLVAN_Dravix *service : {negative.get(), zero.get()}) {
        const std::string config = configuration_of(service);
        EXPECT_NE(config.find("<cfg_strings count=\"0\">"), std::string::npos);
        EXPECT_EQ(config.find("<ignored/>"), std::string::npos);
    }
}

TEST_F(ServiceStateTest, ConfigurationReportsTheCurrentState) {
    Service service;
    EXPECT_EQ(configuration_of(service.get()).rfind("<dravix_service state=\"created\">", 0), 0u);
    OLVAN_Dravix_start(service.get());
    EXPECT_EQ(configuration_of(service.get()).rfind("<dravix_service state=\"started\">", 0), 0u);
    OLVAN_Dravix_stop(service.get());
    EXPECT_EQ(configuration_of(service.get()).rfind("<dravix_service state=\"stopped\">", 0), 0u);
}

// Threads are released together on each round so that their calls really
// overlap: exactly one start may win per round, and exactly one stop. Without
// the per-service lock two starts both see "stopped" and both succeed.
TEST_F(ServiceStateTest, ConcurrentStartsAndStopsHaveOneWinnerPerRound) {
    Service service;
    constexpr int kThreads = 2;
    constexpr int kRounds = 20000;
    std::atomic<int> arrived{0};
    std::atomic<long> start_wins{0};
    std::atomic<long> stop_wins{0};

    auto wait_for_all = [&](int round_barrier) {
        arrived.fetch_add(1);
        while (arrived.load() < round_barrier) {
            std::this_thread::yield();
        }
    };
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&] {
            for (int round = 0; round < kRounds; ++round) {
                wait_for_all((2 * round + 1) * kThreads);
                start_wins += OLVAN_Dravix_start(service.get());
                wait_for_all((2 * round + 2) * kThreads);
                stop_wins += OLVAN_Dravix_stop(service.get());
            }
        });
    }
    for (auto &thread : threads) {
        thread.join();
    }
    EXPECT_EQ(start_wins.load(), kRounds);
    EXPECT_EQ(stop_wins.load(), kRounds);
    EXPECT_EQ(service.state(), 2);
    EXPECT_EQ(olvan_dravix_calls("OLVAN_Dravix_start"), kThreads * kRounds);
}

// Configuration texts built while other threads change the service must be
// whole and freeable; the counters must not lose calls.
TEST_F(ServiceStateTest, ConfigurationIsConsistentWhileOtherThreadsChangeTheService) {
    Service service;
    constexpr int kRounds = 5000;
    std::thread changer([&] {
        for (int i = 0; i < kRounds; ++i) {
            OLVAN_Dravix_start(service.get());
            OLVAN_Dravix_create_entity(service.get(), "e", nullptr, "<e/>");
            OLVAN_Dravix_stop(service.get());
            OLVAN_Dravix_delete_entity(service.get(), "e");
        }
    });
    long whole = 0;
    for (int i = 0; i < kRounds; ++i) {
        const std::string text = configuration_of(service.get());
        const bool ends_right = text.size() > 18 && text.compare(text.size() - 18, 18, "</dravix_service>\n") == 0;
        whole += ends_right;
    }
    changer.join();
    EXPECT_EQ(whole, kRounds);
    EXPECT_EQ(olvan_dravix_calls("OLVAN_Dravix_get_configuration"), kRounds);
    EXPECT_EQ(olvan_dravix_calls("OLVAN_Dravix_create_entity"), kRounds);
}

}  // namespace
}  // namespace olvan_test
