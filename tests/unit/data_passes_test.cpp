// The two data passes through the stand-in host: counts and codes per
// distinct value, with more distinct values than the passes' memo holds,
// user-missing values, blanks, signed zeros and a string variable.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <unistd.h>
#include <variant>
#include <vector>

#include "data/passes.hpp"
#include "scoped_host.hpp"
#include "engine/engine.hpp"
#include "host/host.hpp"

namespace fs = std::filesystem;
using namespace oscat;

TEST(DataPasses, CountsAndCodesPerDistinctValue) {
  const fs::path dir = fs::temp_directory_path() / ("oscat-passes-test-" + std::to_string(::getpid()));
  fs::create_directories(dir);
  engine::Engine e;
  testing_support::ScopedHost bound(e.host());
  host::register_messages();
  // x: 300 distinct values in a scrambled order (the memo evicts and
  // revisits), 7.5 user-missing, every 13th blank, -0 and 0 one value.
  // s: a string variable with a user-missing string.
  const int n = 4000;
  std::vector<std::string> xs(n), ss(n);
  {
    std::ofstream csv(dir / "d.csv");
    csv << "x,s\n";
    for (int i = 0; i < n; ++i) {
      const int k = (i * 7919) % 300;
      xs[i] = i % 13 == 0 ? "" : k == 0 ? (i % 2 ? "-0" : "0") : std::to_string(k) + ".5";
      ss[i] = std::string(1, static_cast<char>('a' + i % 5));
      csv << xs[i] << "," << ss[i] << "\n";
    }
    std::ofstream(dir / "d.csv.dict.json")
        << R"({"variables":[{"name":"x","width":0,"missing":{"values":[7.5]}},)"
        << R"({"name":"s","width":1,"missing":{"strings":["c"]}}]})";
  }
  std::string err;
  ASSERT_TRUE(e.load_data((dir / "d.csv").string(), err)) << err;
  fs::remove_all(dir);

  // What the passes must find, counted directly.
  std::map<double, double> xcount;
  std::map<std::string, double> scount;
  for (int i = 0; i < n; ++i) {
    if (!xs[i].empty() && xs[i] != "7.5") xcount[std::fabs(std::stod(xs[i]))] += 1;
    if (ss[i] != "c") scount[ss[i]] += 1;
  }

  const int vars[2] = {1, 2};
  int handles[2] = {0, 0}, ndistinct[2] = {0, 0};
  ASSERT_TRUE(data::open_value_tables(vars, 2, handles));
  bool error = true;
  ASSERT_EQ(data::first_data_pass(vars, 2, handles, ndistinct, error), n);
  ASSERT_FALSE(error);
  auto& t = e.host().tables;
  ASSERT_EQ(ndistinct[0], static_cast<int>(xcount.size()));
  ASSERT_EQ(ndistinct[1], static_cast<int>(scount.size()));
  int i = 1;
  for (const auto& [value, count] : xcount) {
    EXPECT_EQ(host::key_number(t.TMKEY(handles[0], i)), value);
    EXPECT_EQ(t.TMVAL(handles[0], i), count);
    t.TMVAL(handles[0], i) = 100 + i;  // the code the second pass must give
    ++i;
  }
  i = 1;
  for (const auto& [value, count] : scount) {
    EXPECT_EQ(t.TMVAL(handles[1], i), count) << value;
    t.TMVAL(handles[1], i) = i;
    ++i;
  }

  std::vector<double> coded(2 * n), w(n);
  std::vector<int> cases(2 * n);
  data::second_data_pass(vars, 2, handles, n, coded.data(), w.data(), cases.data());
  for (int r = 0; r < n; ++r) {
    SCOPED_TRACE(r);
    if (xs[r].empty()) {
      EXPECT_EQ(coded[r], 0);
    } else if (xs[r] == "7.5") {
      EXPECT_EQ(coded[r], -1);
    } else {
      const double v = std::fabs(std::stod(xs[r]));
      const auto pos = std::distance(xcount.begin(), xcount.find(v));
      EXPECT_EQ(coded[r], 101 + pos);
    }
    const double sc = ss[r] == "c" ? -1 : static_cast<double>(std::distance(scount.begin(), scount.find(ss[r])) + 1);
    EXPECT_EQ(coded[n + r], sc);
    EXPECT_EQ(w[r], 1);
    EXPECT_EQ(cases[r], r + 1);
  }
  data::close_value_tables(handles, 2);
}

// Objects missing on every analysis variable are named by case number, the
// first 30 of them, and the rest counted.
TEST(DataPasses, SetAsideObjectsAreNamed) {
  engine::Engine e;
  testing_support::ScopedHost bound(e.host());
  host::register_messages();
  e.session().begin_command("TEST", "");
  const int n = 35;
  std::vector<double> coded(2 * n, 0.0), w(n, 1.0);
  std::vector<int> cases(n);
  for (int i = 0; i < n; ++i) cases[i] = 101 + i;
  coded[0] = 1;          // case 101 has a valid code on the first variable
  coded[n + 34] = 2;     // case 135 on the second
  EXPECT_TRUE(data::all_missing_objects(coded.data(), w.data(), cases.data(), n, 2, nullptr));
  EXPECT_EQ(w[0], 1.0);
  EXPECT_EQ(w[1], 0.0);
  EXPECT_EQ(w[34], 1.0);
  const auto& items = e.session().document().commands.back().items;
  ASSERT_EQ(items.size(), 1u);
  const auto& m = std::get<engine::Message>(items[0]);
  EXPECT_EQ(m.text.key, "Object all missings.");
  ASSERT_EQ(m.text.params.size(), 31u);  // cases 102 .. 131, then the rest counted
  EXPECT_EQ(m.text.params[0], "102");
  EXPECT_EQ(m.text.params[29], "131");
  EXPECT_EQ(m.text.params[30], "and 3 more");  // 132, 133, 134
  EXPECT_NE(m.text.text.find("102, 103"), std::string::npos) << m.text.text;
  EXPECT_NE(m.text.text.find("131, and 3 more"), std::string::npos) << m.text.text;
}
