#include <gtest/gtest.h>

#include <cmath>

#include "host/host.hpp"

using oscat::host::QABMCH;

TEST(Keywords, EightCharacterRules) {
  const char* const table[] = {"VARIABLE", "ANALYSIS", "MATRIX O", "        ", "DISCRETI", "PRINT"};
  EXPECT_EQ(QABMCH("VARIABLES", table), 1);   // longer word: first eight characters
  EXPECT_EQ(QABMCH("variable", table), 1);    // case-insensitive
  EXPECT_EQ(QABMCH("MATRIX", table), 3);      // shorter word matches the field it begins
  EXPECT_EQ(QABMCH("DISCRETIZATION", table), 5);
  EXPECT_EQ(QABMCH("PRINT", table), 6);       // short literal is blank padded
  EXPECT_EQ(QABMCH("VAR", table), 0);         // not a whole word of the field
  EXPECT_EQ(QABMCH("", table), 0);            // blank never matches
  EXPECT_EQ(QABMCH(" ", table), 0);
  EXPECT_EQ(QABMCH("MATRIXO", table), 0);
}

TEST(Keywords, ShortFieldsTakeLongerWordsButExactMatchesWin) {
  const char* const plot[] = {"TRANS", "RESID", "OBJECT", "DISCRI", "NONE"};
  EXPECT_EQ(QABMCH("DISCRIM", plot), 4);       // the word begins with the short field
  EXPECT_EQ(QABMCH("DISCRIMINATION", plot), 4);
  EXPECT_EQ(QABMCH("DISC", plot), 0);          // too short to be the field
  const char* const print[] = {"DESCRIP", "COEFF", "CORR", "OCORR", "R", "QUANT", "REGU", "NONE"};
  EXPECT_EQ(QABMCH("REGU", print), 7);         // exact match beats the earlier "R"
  EXPECT_EQ(QABMCH("R", print), 5);
  EXPECT_EQ(QABMCH("CORR", print), 3);
  EXPECT_EQ(QABMCH("DESCRIPTIVES", print), 1);
}

TEST(Numerics, TailProbabilities) {
  // Chi-square with 2 df has survival exp(-x/2).
  EXPECT_NEAR(oscat::host::SIGCHI(3.0, 2), std::exp(-1.5), 1e-14);
  // F(1, n) at t^2 equals the two-sided t tail; F(1,1) at 1 is 0.5.
  EXPECT_NEAR(oscat::host::CDFF(1.0, 1, 1), 0.5, 1e-14);
  EXPECT_TRUE(oscat::host::QDINT(3.0));
  EXPECT_FALSE(oscat::host::QDINT(3.5));
  EXPECT_FALSE(oscat::host::QDINT(1e12));
}
