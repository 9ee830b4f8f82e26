// JSON escaping and the key-search readers, on tricky and hostile texts.
#include <gtest/gtest.h>

#include "classroom/json_text.h"

namespace {

TEST(JsonText, EscapesWhatWouldBreakABody) {
  EXPECT_EQ(JsonEscape(std::string("a\tb\"c\\d\x01" "e\x1f/\xC3\xA9\n\r\x7F", 16)),
            "a\\tb\\\"c\\\\d\\u0001e\\u001F/\xC3\xA9\\n\\r\x7F");
  EXPECT_EQ(JsonEscape(std::string("\0", 1)), "\\u0000");
}

struct ReadCase {
  const char* text;
  const char* key;
  const char* string;   // JsonFieldString
  int number;           // JsonFieldInt
};

TEST(JsonText, ReadsOneValueByItsKey) {
  const ReadCase cases[] = {
      {R"({"name" : "A\"B"})", "name", "A\"B", -1},
      {R"({"name":"a\\b\/c"})", "name", "a\\b/c", -1},
      {R"({"name":"M\u00fcller \u00E9"})", "name", "M\xC3\xBCller \xC3\xA9", -1},
      {R"({"name":"\ud83c\udfb9!"})", "name", "\xF0\x9F\x8E\xB9!", -1},
      {R"({"name":"lone \ud83c end"})", "name", "lone \xEF\xBF\xBD end", -1},
      {R"({"name":"line\nbreak\ttab\u0007bell"})", "name", "line break tab bell", -1},
      {R"({"name":"bad \u12G4"})", "name", "bad u12G4", -1},
      {R"({"name":"cut \)", "name", "cut ", -1},
      {R"({"name":"unclosed)", "name", "unclosed", -1},
      {R"({"name":12})", "name", "", 12},
      {R"({"name":[ "x" ]})", "name", "", -1},
      {R"({"name":null,"other":"x"})", "name", "", -1},
      {R"({"name":{"inner":"x"}})", "name", "", -1},
      {R"({"name"})", "name", "", -1},
      {R"({"list":["name"],"name":"c"})", "name", "", -1},   // the first occurrence wins
      {R"({"seats": -3})", "seats", "", -3},
      {R"({"seats":"3"})", "seats", "3", -1},
      {R"({"seats":-})", "seats", "", -1},
      {R"({"seats":2147483647})", "seats", "", 2147483647},
      {R"({"seats":-2147483648})", "seats", "", -2147483647 - 1},
      {R"({"seats":2147483648})", "seats", "", -1},
      {R"({"seats":99999999999999999999999999})", "seats", "", -1},
      {R"({"seats":4.5})", "seats", "", 4},
      {R"({"seats"	:
 7})", "seats", "", 7},
  };
  for (const ReadCase& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(JsonFieldString(c.text, c.key), c.string);
    EXPECT_EQ(JsonFieldInt(c.text, c.key), c.number);
  }
}

TEST(JsonText, ReadsFromAStartAndOnlyStringValues) {
  std::string text = R"([{"id":"a","n":1},{"id":5},{"id":"c"}])";
  EXPECT_EQ(JsonStringFrom(text, "id", 0), "a");
  EXPECT_EQ(JsonStringFrom(text, "id", 3), "");   // a number is no string: not the next one's value
  EXPECT_EQ(JsonStringFrom(text, "id", text.find("{\"id\":\"c")), "c");
  EXPECT_EQ(JsonStringFrom(text, "id", text.size()), "");
  EXPECT_EQ(JsonStringFrom(text, "id", text.size() + 10), "");
}

TEST(JsonText, FindsTheObjectsOfAnArray) {
  std::string text = R"(x[{"a":"}{"},{"b":[{"c":1}],"d":{"e":"]"}} , 3, [{"f":1}], {"g":"\"}"}]{"h":1})";
  std::vector<JsonSpan> spans = JsonArrayObjects(text, text.find('['));
  ASSERT_EQ(spans.size(), 3u);
  EXPECT_EQ(text.substr(spans[0].begin, spans[0].end - spans[0].begin), R"({"a":"}{"})");
  EXPECT_EQ(text.substr(spans[1].begin, spans[1].end - spans[1].begin), R"({"b":[{"c":1}],"d":{"e":"]"}})");
  EXPECT_EQ(text.substr(spans[2].begin, spans[2].end - spans[2].begin), R"({"g":"\"}"})");
  EXPECT_EQ(JsonArrayObjects(R"([{"a":1},{"b":)", 0).size(), 1u);   // cut short
  EXPECT_TRUE(JsonArrayObjects("{}", 0).empty());
}

// The class list reads every object's own keys in a pass over it: a reply nested without end would
// cost a pass per level (minutes for the largest reply), so only the outer 16 levels are handed out.
TEST(JsonText, ObjectsAreHandedOutSixteenLevelsDeep) {
  std::string deep;
  for (int i = 0; i < 100000; ++i) deep += "{\"a\":";
  deep += "{}" + std::string(100000, '}');
  const std::string text = R"({"classes":[{"classId":"c1","joinCode":"A"}],"x":)" + deep + "}";
  std::vector<JsonSpan> spans = JsonAllObjects(text);
  ASSERT_EQ(spans.size(), 17u);   // the reply, its class and the first 15 levels of the nest
  EXPECT_EQ(text.substr(spans[1].begin, spans[1].end - spans[1].begin), R"({"classId":"c1","joinCode":"A"})");
  EXPECT_EQ(spans[2].begin, text.find("{\"a\""));
}

}  // namespace
