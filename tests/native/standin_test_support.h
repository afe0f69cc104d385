/* Shared helpers of the stand-in tests: clean controls, owned services, files. */
#ifndef OLVAN_TESTS_STANDIN_TEST_SUPPORT_H
#define OLVAN_TESTS_STANDIN_TEST_SUPPORT_H

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

#include "engine/dds_string.h"
#include "engine/olvan_dravix.h"
#include "olvan_standin_control.h"

namespace olvan_test {

// Every test starts from cleared counters and injections, and must leave no
// service or text behind: the ledgers are process-wide.
class StandinTest : public ::testing::Test {
protected:
    void SetUp() override {
        olvan_dravix_control_reset();
        olvan_dds_control_reset();
        services_before_ = olvan_dravix_live_services();
        texts_before_ = olvan_dravix_live_texts();
    }
    void TearDown() override {
        olvan_dravix_control_reset();
        olvan_dds_control_reset();
        EXPECT_EQ(olvan_dravix_live_services(), services_before_) << "a test leaked a service";
        EXPECT_EQ(olvan_dravix_live_texts(), texts_before_) << "a test leaked a configuration text";
    }

private:
    long services_before_ = 0;
    long texts_before_ = 0;
};

// A service deleted at scope exit.
class Service {
public:
    explicit Service(const OLVAN_DravixProperty *record = nullptr) : self_(OLVAN_Dravix_new(record)) {}
    ~Service() {
        if (self_ != nullptr) {
            OLVAN_Dravix_delete(self_);
        }
    }
    Service(const Service &) = delete;
    Service &operator=(const Service &) = delete;

    OLVAN_Dravix *get() const { return self_; }
    int state() const { return olvan_dravix_service_state(self_); }

private:
    OLVAN_Dravix *self_;
};

// The configuration text as a string, freed through the library; empty when
// the library returned null.
inline std::string configuration_of(OLVAN_Dravix *service) {
    char *text = OLVAN_Dravix_get_configuration(service);
    if (text == nullptr) {
        return std::string();
    }
    std::string copy(text);
    OLVAN_Dravix_free_string(text);
    return copy;
}

// A file with the given bytes, removed at scope exit.
class TempFile {
public:
    explicit TempFile(const std::string &bytes) {
        path_ = ::testing::TempDir() + "olvan_standin_XXXXXX";
        const int fd = ::mkstemp(&path_[0]);
        if (fd < 0) {
            ADD_FAILURE() << "cannot make a temporary file";
            return;
        }
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        ::close(fd);
        EXPECT_EQ(written, static_cast<ssize_t>(bytes.size()));
    }
    ~TempFile() { std::remove(path_.c_str()); }
    TempFile(const TempFile &) = delete;
    TempFile &operator=(const TempFile &) = delete;

    const char *path() const { return path_.c_str(); }

private:
    std::string path_;
};

}  // namespace olvan_test

#endif
