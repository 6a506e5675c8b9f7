// The texts over the seven columns: initials where they tell the days apart, else the
// narrow names, else the shortest prefixes of the abbreviated names that all differ.
#include "view/weekday_headers.h"

#include <gtest/gtest.h>

namespace {

TEST(WeekdayHeaders, ShowsTheFirstTextThatTellsTheDaysApart) {
  struct Case {
    const char* name;
    WeekdayTexts abbreviated, narrow, headers;
  } cases[] = {
      {"initials, two days a letter at most",
       {u"Sun", u"Mon", u"Tue", u"Wed", u"Thu", u"Fri", u"Sat"},
       {u"S", u"M", u"T", u"W", u"T", u"F", u"S"},
       {u"S", u"M", u"T", u"W", u"T", u"F", u"S"}},
      {"initials though the narrow names differ",
       {u"So.", u"Mo.", u"Di.", u"Mi.", u"Do.", u"Fr.", u"Sa."},
       {u"1", u"2", u"3", u"4", u"5", u"6", u"7"},
       {u"S", u"M", u"D", u"M", u"D", u"F", u"S"}},
      {"all names begin alike",
       {u"周日", u"周一", u"周二", u"周三", u"周四", u"周五", u"周六"},
       {u"日", u"一", u"二", u"三", u"四", u"五", u"六"},
       {u"日", u"一", u"二", u"三", u"四", u"五", u"六"}},
      {"six begin alike; narrow names of two units",
       {u"יום א׳", u"יום ב׳", u"יום ג׳", u"יום ד׳", u"יום ה׳", u"יום ו׳", u"שבת"},
       {u"א׳", u"ב׳", u"ג׳", u"ד׳", u"ה׳", u"ו׳", u"ש׳"},
       {u"א׳", u"ב׳", u"ג׳", u"ד׳", u"ה׳", u"ו׳", u"ש׳"}},
      {"narrow names repeat too: three letters",
       {u"dom.", u"seg.", u"ter.", u"qua.", u"qui.", u"sex.", u"sáb."},
       {u"D", u"S", u"T", u"Q", u"Q", u"S", u"S"},
       {u"dom", u"seg", u"ter", u"qua", u"qui", u"sex", u"sáb"}},
      {"no narrow names: two letters",
       {u"Paz", u"Pzt", u"Sal", u"Çar", u"Per", u"Cum", u"Cmt"},
       {u"", u"", u"", u"", u"", u"", u""},
       {u"Pa", u"Pz", u"Sa", u"Ça", u"Pe", u"Cu", u"Cm"}},
      {"a character beyond 16 bits is one character",
       {u"\U0001D400a", u"\U0001D400b", u"\U0001D400c", u"\U0001D401", u"\U0001D402", u"x",
        u"y"},
       {u"", u"", u"", u"", u"", u"", u""},
       {u"\U0001D400a", u"\U0001D400b", u"\U0001D400c", u"\U0001D401", u"\U0001D402", u"x",
        u"y"}},
      {"names that repeat whole stay whole",
       {u"ab", u"ab", u"ab", u"c", u"d", u"e", u"f"},
       {u"", u"", u"", u"", u"", u"", u""},
       {u"ab", u"ab", u"ab", u"c", u"d", u"e", u"f"}},
      {"nothing formatted", {}, {}, {}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(WeekdayHeaders(c.abbreviated, c.narrow), c.headers) << c.name;
  }
}

}  // namespace
