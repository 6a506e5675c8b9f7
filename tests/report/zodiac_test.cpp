#include <gtest/gtest.h>

#include <string>

#include "report/day_report.h"

namespace {

struct SignCase {
  std::int32_t month;
  std::int32_t day;
  const char16_t* sign;
};

// Both sides of every boundary, and the year's turn inside Capricorn.
constexpr SignCase kSignCases[] = {
    {12, 21, u"Sagittarius"}, {12, 22, u"Capricorn"}, {12, 31, u"Capricorn"},
    {1, 1, u"Capricorn"},     {1, 19, u"Capricorn"},  {1, 20, u"Aquarius"},
    {2, 18, u"Aquarius"},     {2, 19, u"Pisces"},     {2, 29, u"Pisces"},
    {3, 20, u"Pisces"},       {3, 21, u"Aries"},      {4, 19, u"Aries"},
    {4, 20, u"Taurus"},       {5, 20, u"Taurus"},     {5, 21, u"Gemini"},
    {6, 21, u"Gemini"},       {6, 22, u"Cancer"},     {7, 22, u"Cancer"},
    {7, 23, u"Leo"},          {8, 22, u"Leo"},        {8, 23, u"Virgo"},
    {9, 22, u"Virgo"},        {9, 23, u"Libra"},      {10, 23, u"Libra"},
    {10, 24, u"Scorpio"},     {11, 21, u"Scorpio"},   {11, 22, u"Sagittarius"},
};

TEST(WesternZodiac, SignChangesOnTheBoundaryDays) {
  for (const SignCase& c : kSignCases) {
    EXPECT_EQ(std::u16string(WesternZodiacSign(c.month, c.day)), c.sign)
        << "month " << c.month << " day " << c.day;
  }
}

struct AnimalCase {
  std::int32_t year;
  std::int32_t month;
  std::int32_t day;
  const char16_t* animal;
};

constexpr AnimalCase kAnimalCases[] = {
    // 2027 mod 12 = 11: the Horse alone until 9 January, both animals up to 19 February.
    {2027, 1, 1, u"Horse"},
    {2027, 1, 5, u"Horse"},
    {2027, 1, 9, u"Horse"},
    {2027, 1, 10, u"Horse/Ram"},
    {2027, 1, 15, u"Horse/Ram"},
    {2027, 1, 31, u"Horse/Ram"},
    {2027, 2, 1, u"Horse/Ram"},
    {2027, 2, 19, u"Horse/Ram"},
    {2027, 2, 20, u"Ram"},
    {2027, 12, 31, u"Ram"},
    // Row 0 reaches back to row 11.
    {2028, 1, 3, u"Ram"},
    {2028, 1, 10, u"Ram/Monkey"},
    {2028, 2, 29, u"Monkey"},
    {2029, 1, 13, u"Monkey/Chicken"},
    {2026, 10, 8, u"Horse"},
    {2024, 1, 9, u"Rabbit"},
    {2024, 3, 1, u"Dragon"},
    // The ends of the 16-bit year: 0 mod 12 = 0, 65535 mod 12 = 3.
    {0, 1, 1, u"Ram"},
    {0, 2, 19, u"Ram/Monkey"},
    {65535, 12, 31, u"Pig"},
    // One year of each row, in order.
    {2016, 7, 1, u"Monkey"},
    {2017, 7, 1, u"Chicken"},
    {2018, 7, 1, u"Dog"},
    {2019, 7, 1, u"Pig"},
    {2020, 7, 1, u"Rat"},
    {2021, 7, 1, u"Ox"},
    {2022, 7, 1, u"Tiger"},
    {2023, 7, 1, u"Rabbit"},
    {2024, 7, 1, u"Dragon"},
    {2025, 7, 1, u"Snake"},
    {2026, 7, 1, u"Horse"},
    {2027, 7, 1, u"Ram"},
};

TEST(ChineseZodiac, AnimalFollowsYearWithSharedWeeksAroundNewYear) {
  for (const AnimalCase& c : kAnimalCases) {
    EXPECT_EQ(ChineseZodiacAnimal(c.year, c.month, c.day), c.animal)
        << c.year << "-" << c.month << "-" << c.day;
  }
}

}  // namespace
