// A setting is said in three places: the record header, the settings table and
// DravixProperty. These tests read the first and the last from their sources,
// so that a slot or a field without its row (or a row without either) fails
// here rather than in a conversion that silently skips it.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "property/settings.h"

namespace {

std::string read_file(const char *path) {
    std::ifstream in(path);
    EXPECT_TRUE(in) << "cannot read " << path;
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// The words of a declaration up to its '=' or ';', brackets kept on their word.
std::vector<std::string> words_of(const std::string &declaration) {
    std::vector<std::string> words;
    std::istringstream in(declaration.substr(0, declaration.find_first_of("=;")));
    for (std::string word; in >> word;) {
        words.push_back(word);
    }
    return words;
}

// The record's slots in the order the header declares them, the service
// library's own bytes left out.
std::vector<std::string> record_slots() {
    const std::string header = read_file(OLVAN_RECORD_HEADER);
    const std::string open = "typedef struct OLVAN_DravixProperty {";
    const size_t begin = header.find(open);
    const size_t end = header.find("} OLVAN_DravixProperty;", begin);
    EXPECT_NE(begin, std::string::npos);
    EXPECT_NE(end, std::string::npos);
    std::string body = header.substr(begin + open.size(), end - begin - open.size());
    for (size_t comment; (comment = body.find("/*")) != std::string::npos;) {
        body.erase(comment, body.find("*/", comment) + 2 - comment);
    }
    std::vector<std::string> slots;
    std::istringstream members(body);
    for (std::string member; std::getline(members, member, ';');) {
        const std::vector<std::string> words = words_of(member + ";");
        if (words.size() < 2) {
            continue;
        }
        std::string name = words.back();
        name = name.substr(0, name.find('['));
        while (!name.empty() && name.front() == '*') {
            name.erase(0, 1);
        }
        if (name.rfind("library_", 0) != 0) {
            slots.push_back(name);
        }
    }
    return slots;
}

// DravixProperty's instance fields, each with the JNI signature of its type:
// the lines "private TYPE NAME;" or "private TYPE NAME = ...;".
std::map<std::string, std::string> java_fields() {
    static const std::map<std::string, std::string> kSignatures = {
        {"String", "Ljava/lang/String;"}, {"String[]", "[Ljava/lang/String;"}, {"boolean", "Z"},
        {"int", "I"}, {"Properties", "Ljava/util/Properties;"}};
    std::istringstream source(read_file(OLVAN_SETTINGS_CLASS));
    std::map<std::string, std::string> fields;
    for (std::string line; std::getline(source, line);) {
        const std::vector<std::string> words = words_of(line);
        const bool method = line.substr(0, line.find('=')).find('(') != std::string::npos;
        if (line.find(';') == std::string::npos || method || words.size() != 3 || words[0] != "private") {
            continue;
        }
        const auto signature = kSignatures.find(words[1]);
        fields[words[2]] = signature == kSignatures.end() ? "unknown type " + words[1] : signature->second;
    }
    return fields;
}

TEST(SettingsTable, EverySlotOfTheRecordHasItsRowInTheRecordsOrder) {
    std::vector<std::string> covered;
    for (const olvan::Setting &setting : olvan::kSettings) {
        covered.push_back(setting.record_field);
        if (setting.kind == olvan::SettingKind::TextArray) {
            covered.push_back(std::string(setting.record_field) + "_count");  // the array's count rides with it
        }
    }
    EXPECT_EQ(record_slots(), covered);
}

TEST(SettingsTable, EveryFieldOfDravixPropertyHasItsRowAndEveryRowItsField) {
    const std::map<std::string, std::string> fields = java_fields();
    ASSERT_FALSE(fields.empty()) << "no fields read from " << OLVAN_SETTINGS_CLASS;
    std::set<std::string> rows;
    for (const olvan::Setting &setting : olvan::kSettings) {
        if (setting.java_name == nullptr) {
            continue;
        }
        rows.insert(setting.java_name);
        const auto field = fields.find(setting.java_name);
        if (field == fields.end()) {
            ADD_FAILURE() << "row " << setting.java_name << " has no field in DravixProperty";
        } else {
            EXPECT_EQ(field->second, setting.signature) << "field " << setting.java_name;
        }
    }
    for (const auto &field : fields) {
        EXPECT_EQ(rows.count(field.first), 1u) << "field " << field.first << " of DravixProperty has no row";
    }
}

TEST(SettingsTable, EveryRowHasTheLabelsItsKindReports) {
    static const std::map<olvan::SettingKind, int> kLabels = {
        {olvan::SettingKind::Text, 2}, {olvan::SettingKind::TextArray, 2}, {olvan::SettingKind::Flag, 1},
        {olvan::SettingKind::Number, 1}, {olvan::SettingKind::Environment, 3}};
    for (const olvan::Setting &setting : olvan::kSettings) {
        int given = 0;
        while (given < 3 && setting.labels[given] != nullptr) {
            ++given;
        }
        EXPECT_EQ(given, kLabels.at(setting.kind)) << setting.record_field;
        EXPECT_EQ(setting.java_name == nullptr, setting.signature == nullptr) << setting.record_field;
    }
}

}  // namespace
