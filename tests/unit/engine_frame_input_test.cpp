// A working file built in memory (load_frame): lent numbers read in place,
// moved strings, declarations, and the checks that leave the file unchanged.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "engine/active_file.hpp"
#include "engine/dictionary.hpp"
#include "engine/frame_input.hpp"

namespace {

using oscat::engine::ActiveFile;
using oscat::engine::DictionaryStore;
using oscat::engine::FrameVariable;
using oscat::engine::load_frame;
using oscat::host::SYSMIS;
using Kind = ActiveFile::LentNumbers::Kind;

FrameVariable lent(std::string name, const void* data, std::ptrdiff_t stride, Kind kind, std::size_t rows) {
  FrameVariable v;
  v.name = std::move(name);
  v.lent.data = static_cast<const char*>(data);
  v.lent.stride = stride;
  v.lent.kind = kind;
  v.lent_rows = rows;
  return v;
}

TEST(EngineFrameInput, LentColumnsAreReadInPlace) {
  // A row-major 3 x 2 block: each column is strided, as a frame's columns often are.
  const double block[3][2] = {{1.5, 10}, {NAN, 20}, {-2, 30}};
  const std::int8_t small[3] = {-1, 0, 7};
  const std::uint16_t wide[3] = {65535, 1, 2};
  std::vector<FrameVariable> vars;
  vars.push_back(lent("x", &block[0][0], 2 * sizeof(double), Kind::F64, 3));
  vars.push_back(lent("y", &block[0][1], 2 * sizeof(double), Kind::F64, 3));
  vars.push_back(lent("s8", small, 1, Kind::I8, 3));
  vars.push_back(lent("u16", wide, 2, Kind::U16, 3));
  FrameVariable s;
  s.name = "city";
  s.is_string = true;
  s.str = {"Oslo", "", "Rome"};
  s.label = "City";
  s.string_value_labels = {{"Oslo", "The capital"}};
  s.missing.strings = {""};
  vars.push_back(std::move(s));
  vars[0].value_labels = {{1.5, "one and a half"}};
  vars[0].missing.has_range = true;
  vars[0].missing.lo = -std::numeric_limits<double>::infinity();
  vars[0].missing.hi = -1;

  DictionaryStore dict;
  ActiveFile file(dict);
  std::string error;
  ASSERT_TRUE(load_frame(file, dict, std::move(vars), error)) << error;
  ASSERT_EQ(file.rows(), 3);
  EXPECT_EQ(file.number(1, 0), 1.5);
  EXPECT_EQ(file.number(1, 1), SYSMIS);  // NaN is system-missing
  EXPECT_EQ(file.number(2, 2), 30);
  EXPECT_EQ(file.number(3, 0), -1);
  EXPECT_EQ(file.number(4, 0), 65535);
  EXPECT_EQ(file.text(5, 2), "Rome");
  EXPECT_EQ(dict.DICGET(5).width, 4);
  EXPECT_EQ(dict.VRLABG(5), "City");
  EXPECT_EQ(dict.VLBLST(1, 1.5), "one and a half");
  EXPECT_EQ(dict.VLBLST(5, std::string_view("Oslo")), "The capital");
  EXPECT_TRUE(file.QAMISS(1, -2.0));
  EXPECT_TRUE(file.QAMISS(5, std::string_view("")));

  // Weight by a lent column: the case loop reads it in place too.
  ASSERT_TRUE(file.set_weight(4));
  ASSERT_EQ(file.XYBEG(), 1);
  file.OBPINI();
  std::vector<double> weights;
  while (file.OBSERV()) weights.push_back(file.case_weight());
  EXPECT_EQ(weights, (std::vector<double>{65535, 1, 2}));

  // Writing a lent variable takes a copy; the lender's memory is untouched.
  file.set_value(2, 2, 99);  // case numbers are 1-based
  EXPECT_EQ(file.number(2, 1), 99);
  EXPECT_EQ(file.number(2, 0), 10);
  EXPECT_EQ(block[1][1], 20);
}

TEST(EngineFrameInput, RefusedFramesChangeNothing) {
  DictionaryStore dict;
  ActiveFile file(dict);
  std::string error;
  {
    std::vector<FrameVariable> ok(1);
    ok[0].name = "keep";
    ok[0].num = {1, 2};
    ASSERT_TRUE(load_frame(file, dict, std::move(ok), error)) << error;
  }
  const double inf[2] = {1, std::numeric_limits<double>::infinity()};
  const double two[2] = {1, 2};
  auto check = [&](std::vector<FrameVariable> vars, const std::string& word) {
    error.clear();
    EXPECT_FALSE(load_frame(file, dict, std::move(vars), error));
    EXPECT_NE(error.find(word), std::string::npos) << error;
    EXPECT_EQ(dict.size(), 1);
    EXPECT_EQ(dict.DICGET(1).name, "keep");
    EXPECT_EQ(file.number(1, 1), 2);
  };
  {
    std::vector<FrameVariable> v;
    v.push_back(lent("a", inf, sizeof(double), Kind::F64, 2));
    check(std::move(v), "infinite");
  }
  {
    std::vector<FrameVariable> v;
    v.push_back(lent("a", two, sizeof(double), Kind::F64, 2));
    v.push_back(lent("b", two, sizeof(double), Kind::F64, 1));
    check(std::move(v), "cases");
  }
  {
    std::vector<FrameVariable> v;
    v.push_back(lent("a", two, sizeof(double), Kind::F64, 2));
    v[0].missing.values = {1, 2, 3, 4};
    check(std::move(v), "at most three");
  }
  {
    std::vector<FrameVariable> v;
    v.push_back(lent("a", two, sizeof(double), Kind::F64, 2));
    v[0].missing.strings = {"x"};
    check(std::move(v), "numbers only");
  }
  {
    std::vector<FrameVariable> v;
    v.push_back(lent("a b", two, sizeof(double), Kind::F64, 2));
    check(std::move(v), "variable name");
  }
}

}  // namespace
