// The JSON corvid-cli writes: names from files become valid JSON string
// literals, with the bytes that are not UTF-8 replaced.

#include "cli/Json.h"
#include "scene/SceneSummary.h"

#include <gtest/gtest.h>

#include <string>

namespace corvid::test {
namespace {

using namespace std::string_literals;

TEST(JsonString, EscapesWhatJsonRequiresAndReplacesWhatIsNotUtf8)
{
    const std::string bad = "\\ufffd";
    const struct {
        std::string text, json;
    } cases[] = {
        {"", ""},
        {"a\"b\\c/d", "a\\\"b\\\\c/d"},
        {"\n\r\t\b\f", "\\n\\r\\t\\b\\f"},
        {"\x01\x1f\x7f"s, "\\u0001\\u001f\\u007f"},
        {"nul\0byte"s, "nul\\u0000byte"},
        {"\xC3\xA9\xE2\x82\xAC\xF0\x9F\x90\xA6\xF4\x8F\xBF\xBF", "\xC3\xA9\xE2\x82\xAC\xF0\x9F\x90\xA6\xF4\x8F\xBF\xBF"},
        {"\x80", bad},                                // a continuation byte alone
        {"a\xFF" "b", "a" + bad + "b"},               // never in UTF-8
        {"\xC3", bad},                                // cut off at the end
        {"\xE2\x82" "x", bad + bad + "x"},            // cut off before an ASCII byte
        {"\xC0\xAF", bad + bad},                      // overlong '/'
        {"\xE0\x80\xAF", bad + bad + bad},            // overlong, three bytes
        {"\xF0\x80\x80\xAF", bad + bad + bad + bad},  // overlong, four bytes
        {"\xED\xA0\x80", bad + bad + bad},            // a surrogate
        {"\xF4\x90\x80\x80", bad + bad + bad + bad},  // past U+10FFFF
        {"\xC3\xA9\xA9", "\xC3\xA9" + bad},           // one continuation too many
    };
    for (const auto& c : cases) {
        std::string out = "[";
        AppendJsonString(out, c.text);
        EXPECT_EQ(out, "[\"" + c.json + "\"") << c.json;
    }
}

TEST(JsonSummary, OneObjectWithTheObjectsAndTotals)
{
    SceneSummary summary;
    EXPECT_EQ(SceneSummaryJson(summary), "{\"objects\": [],\n\"totals\": {\"objects\": 0, \"meshes\": 0, \"vertices\": 0, "
                                         "\"faces\": 0, \"materials\": 0, \"lights\": 0, \"cameras\": 0, \"keys\": 0}}\n");
    summary.objects.resize(2);
    summary.objects[0].name = "Top \"one\"";
    summary.objects[0].kindName = "Object";
    summary.objects[0].vertices = 8;
    summary.objects[0].faces = 6;
    summary.objects[1].name = "Child";
    summary.objects[1].kindName = "Light";
    summary.objects[1].parent = "Top \"one\"";
    summary.objects[1].topLevel = false;
    summary.objects[1].keys = 3;
    summary.totals = {2, 1, 8, 6, 1, 1, 0, 3};
    EXPECT_EQ(SceneSummaryJson(summary),
              "{\"objects\": [\n"
              "  {\"name\": \"Top \\\"one\\\"\", \"kind\": \"Object\", \"parent\": null, \"vertices\": 8, \"faces\": 6, "
              "\"keys\": 0},\n"
              "  {\"name\": \"Child\", \"kind\": \"Light\", \"parent\": \"Top \\\"one\\\"\", \"vertices\": 0, \"faces\": 0, "
              "\"keys\": 3}\n],\n"
              "\"totals\": {\"objects\": 2, \"meshes\": 1, \"vertices\": 8, \"faces\": 6, \"materials\": 1, \"lights\": 1, "
              "\"cameras\": 0, \"keys\": 3}}\n");
}

} // namespace
} // namespace corvid::test
