#include "fileio/json_reader.h"

#include <gtest/gtest.h>

namespace trv81k {
namespace {

JsonProblem ProblemOf(std::string_view text) {
    auto read = ReadJson(text);
    if (auto* problem = std::get_if<JsonProblem>(&read)) {
        return *problem;
    }
    ADD_FAILURE() << "read: " << text.substr(0, 80);
    return {};
}

TEST(ReadJson, ReadsADocumentAsTheLibraryDoes) {
    const std::string text =
        R"({"devices": [{"name": "Hall", "channel": 6, "ok": true, "x": null}, [1.5, -2]],)"
        R"( "defaults": {}})";
    auto read = ReadJson(text);
    ASSERT_TRUE(std::holds_alternative<nlohmann::json>(read));
    EXPECT_EQ(std::get<nlohmann::json>(read), nlohmann::json::parse(text));
    auto ordered = ReadJson<nlohmann::ordered_json>(R"({"b": 1, "a": [2, {"c": 3}]})");
    ASSERT_TRUE(std::holds_alternative<nlohmann::ordered_json>(ordered));
    EXPECT_EQ(std::get<nlohmann::ordered_json>(ordered).dump(), R"({"b":1,"a":[2,{"c":3}]})");
}

// 100,000 levels of nesting once overflowed the stack while the error was formatted; now the
// reader stops at the limit and the message repeats nothing of the value.
TEST(ReadJson, NestingBeyondTheLimitIsRefusedWithItsPlace) {
    const std::string deep = std::string(100000, '[') + std::string(100000, ']');
    const JsonProblem problem = ProblemOf(deep);
    EXPECT_EQ(problem.what, "nested deeper than 32 levels");
    EXPECT_LT(problem.text().size(), 200u);
    const std::string objects =
        R"({"devices": [)" + std::string(40, '[') + "1" + std::string(40, ']') + "]}";
    EXPECT_EQ(ProblemOf(objects).where.substr(0, 12), "devices[0][0");
    // Thirty-two levels are fine.
    EXPECT_TRUE(std::holds_alternative<nlohmann::json>(
        ReadJson(std::string(32, '[') + std::string(32, ']'))));
}

TEST(ReadJson, ANumberBeyondADoubleIsAFieldError) {
    const JsonProblem problem = ProblemOf(R"({"devices": [{"channel": 1e99999}]})");
    EXPECT_EQ(problem.where, "devices[0].channel");
    EXPECT_EQ(problem.what, "the number 1e99999 is out of range");
    EXPECT_EQ(ProblemOf("[1, -1e400]").where, "[1]");
}

TEST(ReadJson, AKeyGivenTwiceIsRefused) {
    const JsonProblem top = ProblemOf(R"({"devices": [], "devices": [{"device": "x"}]})");
    EXPECT_EQ(top.text(), "the key \"devices\" is given twice");
    EXPECT_EQ(ProblemOf(R"({"d": [{"a": 1, "b": 2, "a": 3}]})").where, "d[0]");
}

TEST(ReadJson, SyntaxErrorsAreNamedAndLongTokensCut) {
    EXPECT_EQ(ProblemOf("{\"devices\": [").what.substr(0, 15), "not valid JSON:");
    // An unterminated string of a megabyte: the message stays short and terminal-safe.
    const JsonProblem long_ = ProblemOf("\"" + std::string(1 << 20, 'v') + "\x1B");
    EXPECT_LT(long_.what.size(), 300u);
    EXPECT_EQ(long_.what.find('\x1B'), std::string::npos);
    EXPECT_EQ(ProblemOf("").what.substr(0, 15), "not valid JSON:");
}

}  // namespace
}  // namespace trv81k
