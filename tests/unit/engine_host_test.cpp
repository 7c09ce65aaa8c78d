// Engine assembly: workspace, value tables, files, numerics state and the
// host commands run through Engine::run_syntax.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "engine/engine.hpp"
#include "engine/files.hpp"
#include "engine/numerics_state.hpp"
#include "engine/value_tables.hpp"
#include "engine/workspace.hpp"

namespace fs = std::filesystem;
using namespace oscat;
using namespace oscat::engine;

namespace {

struct TempDir {
  fs::path path;
  TempDir() {
    path = fs::temp_directory_path() / ("oscat-host-test-" + std::to_string(::getpid()) + "-" +
                                        ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(path);
    fs::create_directories(path);
  }
  ~TempDir() { fs::remove_all(path); }
  std::string file(const std::string& name) const { return (path / name).string(); }
  void write(const std::string& name, const std::string& text) const { std::ofstream(file(name)) << text; }
  std::string read(const std::string& name) const {
    std::ifstream in(file(name));
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  std::vector<std::string> names() const {
    std::vector<std::string> out;
    for (const auto& e : fs::directory_iterator(path)) out.push_back(e.path().filename().string());
    std::sort(out.begin(), out.end());
    return out;
  }
};

// A token stream over a fixed list of tokens, for the file specifications.
class ListTokens : public host::Tokens {
 public:
  explicit ListTokens(std::vector<host::Token> toks) : toks_(std::move(toks)) {
    for (std::size_t i = 0; i < toks_.size(); ++i) toks_[i].position = static_cast<int>(i) + 1;
  }
  int SSTACK() override { return 0; }
  void SSDELS() override {}
  void SSETPT(int p) override { pos_ = p - 1; }
  const host::Token& SSNXT1() override {
    cur_ = pos_ < toks_.size() ? toks_[pos_] : host::Token{};
    cur_.position = static_cast<int>(pos_) + 1;
    if (pos_ < toks_.size()) ++pos_;
    return cur_;
  }
  const host::Token& SSNXT2() override { return SSNXT1(); }
  const host::Token& current() const override { return cur_; }
  int position() const override { return cur_.position; }
  int count() const override { return static_cast<int>(toks_.size()); }
  void skip_command() override { pos_ = toks_.size(); }
  int PRUVL(std::vector<int>&) override { return 2; }
  int PRUVL2(std::vector<int>&, std::span<const int>, std::string&, std::span<const char* const>) override { return 2; }
  int PRVRLT(std::vector<int>&, std::string&) override { return 2; }
  int PRVALT(std::vector<double>&, std::string&) override { return 0; }

 private:
  std::vector<host::Token> toks_;
  std::size_t pos_ = 0;
  host::Token cur_;
};

host::Token str_tok(const std::string& s) {
  host::Token t;
  t.kind = host::TokenKind::String;
  t.text = s;
  t.raw = "'" + s + "'";
  return t;
}
host::Token kind_tok(host::TokenKind k, const std::string& s) {
  host::Token t;
  t.kind = k;
  t.text = t.raw = s;
  return t;
}

}  // namespace

// ---------------------------------------------------------------- workspace
TEST(Workspace, GrantsZeroedBlocksWithinTheLimitAndRefusesBeyondIt) {
  WorkspaceArena ws;
  ws.set_limit(1000);
  std::size_t granted = 99;
  auto* a = static_cast<unsigned char*>(ws.GETMEM(600, granted));
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(granted, 600u);
  for (int i = 0; i < 600; ++i) ASSERT_EQ(a[i], 0) << i;
  EXPECT_EQ(ws.available(), 400u);

  void* b = ws.GETMEM(401, granted);  // one byte too many
  EXPECT_EQ(b, nullptr);
  EXPECT_EQ(granted, 0u);
  void* c = ws.GETMEM(400, granted);  // exactly the rest
  EXPECT_NE(c, nullptr);
  EXPECT_EQ(ws.outstanding(), 2u);

  ws.FREMEM(a);
  EXPECT_EQ(ws.available(), 600u);
  int foreign = 0;
  ws.FREMEM(&foreign);  // ignored, never passed to free()
  EXPECT_EQ(ws.bad_frees(), 1u);
  EXPECT_EQ(ws.outstanding(), 1u);
  EXPECT_EQ(ws.release_all(), 1u);
  EXPECT_EQ(ws.in_use(), 0u);

  // The typed helper computes bytes from elements.
  std::size_t elems = 0;
  double* d = host::GETMEM<double>(ws, 125, elems);  // 1000 bytes
  EXPECT_NE(d, nullptr);
  EXPECT_EQ(elems, 125u);
  ws.FREMEM(d);
  EXPECT_EQ(host::GETMEM<double>(ws, 126, elems), nullptr);
  EXPECT_EQ(elems, 0u);
  // A huge request cannot wrap the accounting around.
  EXPECT_EQ(ws.GETMEM(static_cast<std::size_t>(-1), granted), nullptr);
}

TEST(Workspace, MemaluUnits) {
  WorkspaceArena ws;
  EXPECT_EQ(ws.MEMALU(512), (std::pair<std::string, std::string>{"512", "bytes"}));
  EXPECT_EQ(ws.MEMALU(12.5 * 1024), (std::pair<std::string, std::string>{"12.5", "KB"}));
  EXPECT_EQ(ws.MEMALU(3.0 * 1024 * 1024), (std::pair<std::string, std::string>{"3", "MB"}));
  EXPECT_EQ(ws.MEMALU(1.25 * 1024 * 1024 * 1024), (std::pair<std::string, std::string>{"1.2", "GB"}));
}

// ------------------------------------------------------------- value tables
TEST(ValueTables, InsertLookupSortNumericAndLookupAfterSort) {
  ValueTableStore vt;
  vt.TMOPEN();
  int t = vt.TMNEWT(1);
  ASSERT_GT(t, 0);
  EXPECT_EQ(vt.TMKEYL(t), 8);
  const double values[] = {3.5, -2, 10, 3.5, -2, 3.5, 0.25};
  for (double v : values) {
    bool is_new = false;
    double* count = vt.TMGETV(t, host::numeric_key(v), true, is_new);
    ASSERT_NE(count, nullptr);
    *count += 1;
  }
  EXPECT_EQ(vt.TMPOIN(t), 4);
  bool is_new = true;
  // -0 finds the entry of 0 and vice versa.
  EXPECT_TRUE(*vt.TMGETV(t, host::numeric_key(-0.0), true, is_new) == 0 && is_new);
  EXPECT_NE(vt.TMGETV(t, host::numeric_key(0.0), false, is_new), nullptr);
  EXPECT_EQ(vt.TMPOIN(t), 5);
  vt.TMDSCP(t);
  for (double v : values) *vt.TMGETV(t, host::numeric_key(v), true, is_new) += 1;
  EXPECT_EQ(vt.TMGETV(t, host::numeric_key(99), false, is_new), nullptr);
  EXPECT_FALSE(is_new);

  vt.TMSORT(t, true);
  // Byte order of IEEE doubles is not numeric order: -2 must come first.
  const double order[] = {-2, 0.25, 3.5, 10};
  const double counts[] = {2, 1, 3, 1};
  for (int i = 1; i <= 4; ++i) {
    EXPECT_EQ(host::key_number(vt.TMKEY(t, i)), order[i - 1]);
    EXPECT_EQ(vt.TMVAL(t, i), counts[i - 1]);
  }
  // Lookups still work after sorting and reach the sorted entries.
  double* p = vt.TMGETV(t, host::numeric_key(3.5), false, is_new);
  ASSERT_NE(p, nullptr);
  *p = 7;
  EXPECT_EQ(vt.TMVAL(t, 3), 7);
  // Bad indexes and handles never crash.
  EXPECT_EQ(vt.TMKEY(t, 0), "");
  EXPECT_EQ(vt.TMKEY(t, 5), "");
  EXPECT_EQ(vt.TMVAL(t, 9), 0);
  EXPECT_EQ(vt.TMGETV(t + 7, "x", true, is_new), nullptr);
  vt.TMDSCP(t);
  EXPECT_EQ(vt.TMSIZE(t), 0);
  vt.TMFREE(t);
  EXPECT_EQ(vt.open_tables(), 0);
  EXPECT_EQ(vt.TMNEWT(0), 0);
  vt.TMCLOS();
}

TEST(ValueTables, StringKeysArePaddedAndSortedByteWise) {
  ValueTableStore vt;
  int t = vt.TMNEWT(2);
  ASSERT_EQ(vt.TMKEYL(t), 16);
  bool is_new = false;
  for (const char* s : {"b", "a", "B", "\xc3\xa9t\xc3\xa9", "a "}) *vt.TMGETV(t, s, true, is_new) += 1;
  // "a" and "a " are the same blank-padded key.
  EXPECT_EQ(vt.TMSIZE(t), 4);
  vt.TMSORT(t, false);
  EXPECT_EQ(vt.TMKEY(t, 1), std::string("B") + std::string(15, ' '));
  EXPECT_EQ(vt.TMKEY(t, 2).substr(0, 2), "a ");
  EXPECT_EQ(vt.TMVAL(t, 2), 2);
  EXPECT_EQ(vt.TMKEY(t, 3).substr(0, 1), "b");
  // Bytes >= 0x80 sort after ASCII (unsigned comparison).
  EXPECT_EQ(vt.TMKEY(t, 4).substr(0, 2), "\xc3\xa9");
  EXPECT_NE(vt.TMGETV(t, "B", false, is_new), nullptr);
}

// ----------------------------------------------------------------- numerics
TEST(Numerics, UrandIsReproducibleFromTheSeedAndUniform) {
  NumericsState a, b;
  EXPECT_EQ(a.seed(), 2000000u);
  std::vector<double> first;
  for (int i = 0; i < 5; ++i) first.push_back(a.URAND());
  for (int i = 0; i < 5; ++i) EXPECT_EQ(b.URAND(), first[i]);
  a.set_seed(2000000);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(a.URAND(), first[i]);
  a.set_seed(7);
  EXPECT_NE(a.URAND(), first[0]);

  // Mean and variance of U(0,1): 1/2 and 1/12; 10 bins each near 10%.
  NumericsState c;
  const int n = 200000;
  double sum = 0, sum2 = 0;
  int bins[10] = {};
  for (int i = 0; i < n; ++i) {
    double u = c.URAND();
    ASSERT_GE(u, 0.0);
    ASSERT_LT(u, 1.0);
    sum += u;
    sum2 += u * u;
    ++bins[static_cast<int>(u * 10)];
  }
  EXPECT_NEAR(sum / n, 0.5, 0.005);
  EXPECT_NEAR(sum2 / n - (sum / n) * (sum / n), 1.0 / 12, 0.002);
  for (int k : bins) EXPECT_NEAR(k / double(n), 0.1, 0.005);
}

// -------------------------------------------------------------------- files
TEST(Files, DataFileRoundTripWithSidecar) {
  TempDir dir;
  std::vector<DataColumn> cols(3);
  cols[0].var = {"id", 0, "Identifier", {{1, "first"}}, {}};
  cols[0].missing.values = {99};
  cols[0].missing.has_range = true;
  cols[0].missing.lo = -HUGE_VAL;
  cols[0].missing.hi = -1;
  cols[1].var = {"name", 12, "", {}, {{"a,b", "comma"}}};
  cols[2].var = {"x", 0, "", {}, {}};
  DataFileWriter w;
  std::string error;
  ASSERT_TRUE(w.open(dir.file("out.csv"), cols, error)) << error;
  ASSERT_TRUE(w.write({host::FileValue::num(1), host::FileValue::str("a,b"), host::FileValue::num(0.1)}, error));
  ASSERT_TRUE(w.write({host::FileValue::num(2), host::FileValue::str("say \"hi\""), host::FileValue::num(host::SYSMIS)}, error));
  ASSERT_TRUE(w.write({host::FileValue::num(-0.0), host::FileValue::str("12"), host::FileValue::num(1.0 / 3)}, error));
  EXPECT_FALSE(w.write({host::FileValue::num(1)}, error));  // wrong arity
  EXPECT_FALSE(fs::exists(dir.file("out.csv")));             // nothing visible before commit
  ASSERT_TRUE(w.commit(error)) << error;
  EXPECT_EQ(dir.names(), (std::vector<std::string>{"out.csv", "out.csv.dict.json"}));
  EXPECT_EQ(dir.read("out.csv"), "id,name,x\n1,\"a,b\",0.1\n2,\"say \"\"hi\"\"\",\n0,12,0.3333333333333333\n");

  DataFileContents in;
  ASSERT_TRUE(read_data_file(dir.file("out.csv"), in, error)) << error;
  ASSERT_EQ(in.vars.size(), 3u);
  EXPECT_EQ(in.vars[0].var.label, "Identifier");
  EXPECT_EQ(in.vars[0].missing.values, std::vector<double>{99});
  EXPECT_TRUE(in.vars[0].missing.has_range);
  EXPECT_TRUE(std::isinf(in.vars[0].missing.lo));
  EXPECT_EQ(in.vars[1].var.width, 12);  // declared string although "12" looks numeric
  EXPECT_EQ(in.vars[1].var.string_value_labels.size(), 1u);
  ASSERT_EQ(in.rows.size(), 3u);
  EXPECT_EQ(in.rows[1][1].text, "say \"hi\"");
  EXPECT_TRUE(host::is_sysmis(in.rows[1][2].number));
  EXPECT_EQ(in.rows[2][2].number, 1.0 / 3);  // full precision survives
  EXPECT_EQ(in.rows[2][1].text, "12");
}

TEST(Files, InvalidUtf8IsReplacedAndThePairIsCheckedOnReading) {
  EXPECT_EQ(valid_utf8("Ann\xE9" "e"), "Ann\xEF\xBF\xBD" "e");
  EXPECT_EQ(valid_utf8("caf\xC3\xA9 \xE2\x82\xAC"), "caf\xC3\xA9 \xE2\x82\xAC");  // valid text is kept
  EXPECT_EQ(valid_utf8("\xC0\xAF"), "\xEF\xBF\xBD\xEF\xBF\xBD");                    // overlong
  EXPECT_EQ(valid_utf8("\xED\xA0\x80"), "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD");  // surrogate
  EXPECT_EQ(valid_utf8("x\xF0\x9F"), "x\xEF\xBF\xBD\xEF\xBF\xBD");                  // cut short

  // The hash does not depend on how the bytes are fed.
  const std::string text = "id,name\n1,abcdefghijk\n2,\"x,y\"\n";
  ContentHash pieces;
  for (std::size_t at = 0; at < text.size(); at += 3) pieces.update(text.data() + at, std::min<std::size_t>(3, text.size() - at));
  EXPECT_EQ(pieces.hex(), content_hash(text));
  EXPECT_NE(content_hash(text), content_hash(text + " "));
  EXPECT_NE(content_hash("ab"), content_hash(std::string("ab\0", 3)));

  TempDir dir;
  std::vector<DataColumn> cols(1);
  cols[0].var = {"n\xE4me", 0, "Ann\xE9" "e", {{1, "\xFF"}}, {}};
  DataFileWriter w;
  std::string error;
  ASSERT_TRUE(w.open(dir.file("l.csv"), cols, error)) << error;
  ASSERT_TRUE(w.write({host::FileValue::num(1)}, error));
  ASSERT_TRUE(w.commit(error)) << error;
  DataFileContents in;
  ASSERT_TRUE(read_data_file(dir.file("l.csv"), in, error)) << error;
  EXPECT_EQ(in.vars[0].var.name, "n\xEF\xBF\xBDme");  // header and dictionary agree
  EXPECT_EQ(in.vars[0].var.label, "Ann\xEF\xBF\xBD" "e");
  // The same dictionary beside other data: refused, never read.
  dir.write("l.csv", "n\xEF\xBF\xBDme\n2\n");
  EXPECT_FALSE(read_data_file(dir.file("l.csv"), in, error));
  EXPECT_NE(error.find("not written with this data file"), std::string::npos) << error;
}

TEST(Files, WritesAreAtomicAndFailuresLeaveNothing) {
  TempDir dir;
  dir.write("keep.csv", "old\n1\n");
  std::string error;
  {
    DataFileWriter w;
    ASSERT_TRUE(w.open(dir.file("keep.csv"), {DataColumn{{"v", 0, "", {}, {}}, {}}}, error));
    ASSERT_TRUE(w.write({host::FileValue::num(5)}, error));
    // Destroyed without commit: the old file stays, the temporary goes.
  }
  EXPECT_EQ(dir.read("keep.csv"), "old\n1\n");
  EXPECT_EQ(dir.names(), std::vector<std::string>{"keep.csv"});

  DataFileWriter w;
  EXPECT_FALSE(w.open(dir.file("no/such/dir/x.csv"), {}, error));
  EXPECT_NE(error.find("No such file"), std::string::npos) << error;
}

TEST(Files, FileSpecificationsHandlesAndMatrixColumns) {
  TempDir dir;
  ListTokens toks({str_tok("m.csv"), str_tok("./m.csv"), kind_tok(host::TokenKind::Asterisk, "*"),
                   kind_tok(host::TokenKind::RParen, ")"), str_tok("v.csv")});
  FileStore files(toks);
  files.set_base_dir(dir.path.string());
  std::vector<std::string> reports;
  files.set_reporter([&](const std::string& key, const std::vector<std::string>&, int) { reports.push_back(key); });
  std::string p;
  int a = files.MTDFRO(p);
  EXPECT_EQ(p, "m.csv");
  int b = files.SFDFRO(p);  // another spelling of the same file: same handle
  EXPECT_GT(a, 0);
  EXPECT_EQ(a, b);
  EXPECT_EQ(files.SFDFRO(p), -1);
  EXPECT_EQ(files.SFDFRO(p), 0);  // ")" is no file specification ...
  EXPECT_EQ(toks.SSNXT1().kind, host::TokenKind::RParen);  // ... and is left for the caller
  int c = files.MTDFRO(p);
  EXPECT_NE(c, a);
  EXPECT_TRUE(files.QSAMEFILESPEC(a, b));
  EXPECT_FALSE(files.QSAMEFILESPEC(a, c));
  EXPECT_EQ(files.path(a), "m.csv");
  EXPECT_EQ(files.resolved_path(a), (fs::weakly_canonical(dir.path) / "m.csv").string());

  files.MTDINI();
  std::vector<host::FileVar> vars = {{"ROWTYPE_", 8, "", {}, {}}, {"LEVEL_", 64, "", {}, {}},
                                     {"VARNAME_", 8, "", {}, {}}, {"DIM1", 0, "Dimension 1", {}, {}},
                                     {"DIM2", 0, "", {}, {}}};
  ASSERT_TRUE(files.MTDDIC(a, vars));
  ASSERT_TRUE(files.MTDWRT(a, {host::FileValue::str("ROW"), host::FileValue::str("senior, managers"),
                               host::FileValue::str("staff"), host::FileValue::num(-0.066), host::FileValue::num(0.194)}));
  EXPECT_FALSE(fs::exists(dir.file("m.csv")));
  files.MTDCLS(a);
  EXPECT_EQ(dir.read("m.csv"), "ROWTYPE_,LEVEL_,VARNAME_,DIM1,DIM2\nROW,\"senior, managers\",staff,-0.066,0.194\n");

  // Reading it back through the host calls.
  ListTokens again({str_tok("m.csv")});
  FileStore reader(again);
  reader.set_base_dir(dir.path.string());
  int h = reader.SFDFRI(p);
  std::vector<host::FileVar> got;
  ASSERT_TRUE(reader.DSRDDICT(h, got));
  ASSERT_EQ(got.size(), 5u);
  EXPECT_EQ(got[3].label, "Dimension 1");
  std::vector<host::FileValue> rec;
  ASSERT_TRUE(reader.DSRDCASE(h, rec));
  EXPECT_EQ(rec[1].text, "senior, managers");
  EXPECT_EQ(rec[4].number, 0.194);
  EXPECT_FALSE(reader.DSRDCASE(h, rec));

  // A file left open when the command ends is discarded, not half-written.
  ASSERT_TRUE(files.DSDICTX(c, {{"a", 0, "", {}, {}}}));
  ASSERT_TRUE(files.DSWRCASE(c, {host::FileValue::num(1)}));
  EXPECT_EQ(files.end_command(), 1);
  EXPECT_FALSE(fs::exists(dir.file("v.csv")));
  EXPECT_EQ(dir.names(), (std::vector<std::string>{"m.csv", "m.csv.dict.json"}));
  EXPECT_TRUE(reports.empty());
}

// ----------------------------------------------------- engine, host commands
namespace {
std::vector<Message> reported(const Engine& e) {
  std::vector<Message> out;
  for (const auto& c : e.document().commands)
    for (const auto& item : c.items)
      if (const auto* m = std::get_if<Message>(&item)) out.push_back(*m);
  return out;
}

const char* const kData =
    "id,sex,score,w,grp\n"
    "1,1,10,1,a\n"
    "2,2,20,2,a\n"
    "3,1,-1,1,b\n"
    "4,2,99,0,b\n"
    "5,1,,3,c\n";

struct EngineFixture : ::testing::Test {
  TempDir dir;
  Engine e;
  EngineFixture() {
    dir.write("data.csv", kData);
    e.set_base_dir(dir.path.string());
    e.run_syntax("GET DATA /TYPE=CSV /FILE='data.csv'.\n");
  }
  int var(const char* name) { return e.dictionary().DICSCH(name); }
};
}  // namespace

TEST_F(EngineFixture, LabelsMissingWeightFilterAndSplit) {
  e.run_syntax(
      "VARIABLE LABELS score 'Test score' / sex 'Sex'.\n"
      "VALUE LABELS sex 1 'male' 2 'female' / grp 'a' 'Group A'.\n"
      "MISSING VALUES score (LO THRU 0, 99) grp ('c').\n"
      "WEIGHT BY w.\n"
      "SPLIT FILE BY grp.\n");
  ASSERT_TRUE(reported(e).empty()) << reported(e)[0].text.text;
  EXPECT_EQ(e.errors(), 0);
  auto& d = e.dictionary();
  EXPECT_EQ(d.VRLABG(var("score")), "Test score");
  EXPECT_EQ(d.VLBLST(var("sex"), 2.0), "female");
  EXPECT_EQ(d.VLBLST(var("grp"), std::string_view("a")), "Group A");
  auto& cases = e.active_file();
  EXPECT_TRUE(cases.QAMISS(var("score"), -1.0));
  EXPECT_TRUE(cases.QAMISS(var("score"), 0.0));
  EXPECT_TRUE(cases.QAMISS(var("score"), 99.0));
  EXPECT_FALSE(cases.QAMISS(var("score"), 10.0));
  EXPECT_TRUE(cases.QLMISS(var("score"), -5.0));
  EXPECT_TRUE(cases.QAMISS(var("grp"), std::string_view("c")));
  EXPECT_EQ(cases.weight_variable(), var("w"));
  EXPECT_EQ(cases.split_count(), 1);

  // The case loop sees the weighted cases: case 4 (weight 0) is skipped.
  double total = 0;
  int seen = 0;
  cases.OBPINI();
  while (cases.OBSERV()) {
    ++seen;
    total += cases.case_weight();
  }
  cases.OBPEND();
  EXPECT_EQ(seen, 4);
  EXPECT_EQ(total, 7);

  // A filter on sex == 2 only: FILTER keeps cases whose value is not 0/missing.
  e.run_syntax("WEIGHT OFF.\nSPLIT FILE OFF.\nFILTER BY score.\n");
  EXPECT_EQ(cases.weight_variable(), 0);
  EXPECT_EQ(cases.split_count(), 0);
  seen = 0;
  cases.OBPINI();
  while (cases.OBSERV()) ++seen;
  EXPECT_EQ(seen, 2);  // 10 and 20; -1 and 99 are user-missing, case 5 system-missing
  e.run_syntax("FILTER OFF.\nMISSING VALUES score ().\n");
  EXPECT_FALSE(cases.QAMISS(var("score"), 99.0));
  EXPECT_EQ(e.errors(), 0);
}

TEST_F(EngineFixture, ErrorsAreReportedAndLeaveEverythingUnchanged) {
  e.run_syntax(
      "FROBNICATE the data.\n"
      "MISSING VALUES score (1, 2) nosuch (3).\n"
      "WEIGHT BY grp.\n"
      "MISSING VALUES score (5 THRU 1).\n"
      "MISSING VALUES sex (1, 2, 3, 4).\n"
      "VALUE LABELS sex 'a' 'x'.\n"
      "SET SEED=-4.\n"
      "GET DATA /TYPE=CSV /FILE='absent.csv'.\n"
      "VARIABLE LABELS id 'Case id'.\n");
  auto msgs = reported(e);
  ASSERT_EQ(msgs.size(), 8u);
  EXPECT_EQ(e.errors(), 8);
  EXPECT_EQ(msgs[0].text.key, "Unknown command ^1.");
  EXPECT_EQ(msgs[0].text.params, std::vector<std::string>{"FROBNICATE"});
  EXPECT_EQ(msgs[1].text.key, "Variable ^1 not found.");
  EXPECT_EQ(msgs[1].text.params[0], "nosuch");
  EXPECT_EQ(msgs[2].text.key, "Weight variable ^1 must be numeric.");
  EXPECT_EQ(msgs[3].text.key, "Invalid range ^1 THRU ^2.");
  EXPECT_EQ(msgs[4].text.key, "Too many missing values for ^1.");
  EXPECT_EQ(msgs[5].text.key, "Invalid value ^1 for ^2.");
  EXPECT_EQ(msgs[6].text.key, "Seed must be a positive integer.");
  EXPECT_EQ(msgs[6].text.params, std::vector<std::string>{"-4"});
  EXPECT_EQ(msgs[7].text.key, "File ^1 cannot be read: ^2.");
  EXPECT_NE(msgs[7].text.text.find("No such file"), std::string::npos) << msgs[7].text.text;
  for (const auto& m : msgs) EXPECT_EQ(m.severity, 3);
  // Nothing changed, and the last command still ran.
  EXPECT_TRUE(e.dictionary().DICGET(var("score")).missing.empty());
  EXPECT_TRUE(e.dictionary().DICGET(var("sex")).missing.empty());
  EXPECT_EQ(e.active_file().weight_variable(), 0);
  EXPECT_EQ(e.numerics().seed(), 2000000u);
  EXPECT_EQ(e.dictionary().size(), 5);
  EXPECT_EQ(e.dictionary().VRLABG(var("id")), "Case id");

  // A ragged CSV names its line and keeps the current data.
  dir.write("ragged.csv", "a,b\n1,2\n3\n");
  e.run_syntax("GET DATA /TYPE=CSV /FILE='ragged.csv'.\n");
  auto last = reported(e).back();
  EXPECT_NE(last.text.text.find("line 3"), std::string::npos) << last.text.text;
  EXPECT_EQ(e.dictionary().size(), 5);
}

TEST_F(EngineFixture, SaveWritesTheWorkingFileIncludingSavedVariables) {
  e.run_syntax(
      "VARIABLE LABELS score 'Test score'.\n"
      "VALUE LABELS grp 'a' 'Group A'.\n"
      "MISSING VALUES score (99).\n");
  // A saved variable as a procedure creates it.
  host::VarInfo v = e.dictionary().DICCLR();
  v.name = "TRA1_1";
  int added = e.dictionary().DICPUT(v);
  e.active_file().set_value(added, 2, 0.5);
  e.run_syntax("SET SEED=12345 WORKSPACE=64.\nSAVE OUTFILE='saved.csv'.\n");
  ASSERT_EQ(e.errors(), 0) << reported(e).back().text.text;
  EXPECT_EQ(e.numerics().seed(), 12345u);
  EXPECT_EQ(e.workspace().limit(), 64u * 1024);
  EXPECT_EQ(dir.read("saved.csv"),
            "id,sex,score,w,grp,TRA1_1\n1,1,10,1,a,\n2,2,20,2,a,0.5\n3,1,-1,1,b,\n4,2,99,0,b,\n5,1,,3,c,\n");

  Engine back;
  back.set_base_dir(dir.path.string());
  back.run_syntax("GET DATA /TYPE=CSV /FILE='saved.csv'.\n");
  ASSERT_EQ(back.errors(), 0);
  auto& d = back.dictionary();
  ASSERT_EQ(d.size(), 6);
  EXPECT_EQ(d.VRLABG(d.DICSCH("score")), "Test score");
  EXPECT_EQ(d.DICGET(d.DICSCH("score")).missing.values, std::vector<double>{99});
  EXPECT_EQ(d.VLBLST(d.DICSCH("grp"), std::string_view("a")), "Group A");
  EXPECT_EQ(back.active_file().number(6, 1), 0.5);
}

TEST_F(EngineFixture, ProceduresRunThroughTheTableAndLeftoversAreReported) {
  int calls = 0;
  e.set_procedure("CORRES", [&] {
    ++calls;
    std::size_t granted = 0;
    host::Host& h = e.host();
    h.cases.set_split_count(0);
    h.workspace.GETMEM(128, granted);  // never released
    int t = h.tables.TMNEWT(1);
    bool is_new = false;
    h.tables.TMGETV(t, host::numeric_key(1), true, is_new);
  });
  e.set_procedure("MCORRESP", [&] { calls += 100; });
  e.run_syntax(
      "SPLIT FILE BY grp.\n"
      "CORRESPONDENCE TABLE=sex(1,2) BY grp.\n"
      "correspondance TABLE=sex(1,2) BY grp.\n"  // first 8 characters decide
      "MULTIPLE CORRESPONDENCE sex grp.\n"
      "CATPCA sex grp.\n"
      "CORRESP sex.\n");
  EXPECT_EQ(calls, 102);
  EXPECT_EQ(e.workspace().outstanding(), 0u);
  EXPECT_EQ(e.value_tables().open_tables(), 0);
  EXPECT_EQ(e.active_file().split_count(), 1);  // restored for the next command
  auto msgs = reported(e);
  ASSERT_EQ(msgs.size(), 4u);
  EXPECT_EQ(msgs[0].text.key, "Internal error in ^1: ^2.");
  EXPECT_EQ(msgs[0].text.params, (std::vector<std::string>{"CORRES", "workspace released"}));
  EXPECT_EQ(msgs[1].text.key, "Internal error in ^1: ^2.");
  EXPECT_EQ(msgs[2].text.key, "Procedure ^1 not available.");
  EXPECT_EQ(msgs[3].text.key, "Unknown command ^1.");  // 7 characters are not enough
  const auto& cmds = e.document().commands;
  EXPECT_EQ(cmds[cmds.size() - 5].name, "CORRESPONDENCE");
  EXPECT_EQ(cmds[cmds.size() - 3].name, "MULTIPLE CORRESPONDENCE");
}

TEST(EngineWords, CommandWordMatching) {
  EXPECT_TRUE(command_word_matches("catpca", "CATPCA"));
  EXPECT_FALSE(command_word_matches("CATPC", "CATPCA"));
  EXPECT_FALSE(command_word_matches("CATPCAX", "CATPCA"));
  EXPECT_TRUE(command_word_matches("CORRESPO", "CORRESPONDENCE"));
  EXPECT_FALSE(command_word_matches("CORRESP", "CORRESPONDENCE"));
  EXPECT_TRUE(command_word_matches("PRINCALS", "PRINCALS"));
}

TEST_F(EngineFixture, InterruptStopsTheRunAndShomemReportsAsANote) {
  int calls = 0;
  e.set_procedure("HOMALS", [&] {
    ++calls;
    EXPECT_FALSE(e.host().num.ATNJMP());
    interrupt_flag().store(true);  // as the SIGINT handler does
    EXPECT_TRUE(e.host().num.ATNJMP());
    e.host().workspace.SHOMEM();
  });
  e.run_syntax("SET WORKSPACE=1048576.\nHOMALS sex grp.\nHOMALS sex grp.\nVARIABLE LABELS id 'never'.\n");
  interrupt_flag().store(false);
  EXPECT_EQ(calls, 1);
  EXPECT_TRUE(e.interrupted());
  EXPECT_EQ(e.dictionary().DICGET(var("id")).label, "");
  auto msgs = reported(e);
  ASSERT_EQ(msgs.size(), 2u);
  EXPECT_EQ(msgs[0].severity, 1);
  EXPECT_EQ(msgs[0].text.key, "Workspace limit ^1 ^2; in use ^3 ^4.");
  EXPECT_EQ(msgs[0].text.params, (std::vector<std::string>{"1", "GB", "0", "bytes"}));
  EXPECT_EQ(msgs[1].severity, 3);
  EXPECT_EQ(e.errors(), 1);
}

// The default limit follows the machine; a refused request is named in the
// note, with how to raise the limit.
TEST(Workspace, DefaultFromTheMachineAndTheRefusedRequestIsNamed) {
  const double phys = static_cast<double>(::sysconf(_SC_PHYS_PAGES)) * static_cast<double>(::sysconf(_SC_PAGESIZE));
  WorkspaceArena w;
  EXPECT_GE(static_cast<double>(w.limit()), std::min(phys, static_cast<double>(WorkspaceArena::kDefaultLimit)));
  EXPECT_LE(static_cast<double>(w.limit()), std::max(phys / 2, static_cast<double>(WorkspaceArena::kDefaultLimit)));
  std::vector<std::pair<std::string, std::vector<std::string>>> notes;
  w.set_note_sink([&](const std::string& k, const std::vector<std::string>& p) { notes.emplace_back(k, p); });
  w.set_limit(1 << 20);
  std::size_t granted = 0;
  void* a = w.GETMEM(1000, granted);
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(w.GETMEM(3u << 20, granted), nullptr);
  w.SHOMEM();
  w.SHOMEM();  // the refusal is told once
  ASSERT_EQ(notes.size(), 2u);
  EXPECT_EQ(notes[0].first, "Workspace asked ^1 ^2; limit ^3 ^4; in use ^5 ^6.");
  EXPECT_EQ(notes[0].second, (std::vector<std::string>{"3", "MB", "1", "MB", "1000", "bytes"}));
  EXPECT_EQ(notes[1].first, "Workspace limit ^1 ^2; in use ^3 ^4.");
  w.FREMEM(a);
}

TEST_F(EngineFixture, FirstTitleNamesTheReport) {
  e.run_syntax("TITLE 'First part'.\nTITLE 'Second part'.\n");
  EXPECT_EQ(e.title(), "First part");
}

// A host command run into the next one for want of a period: its error is
// followed by a note naming the command found where a variable or keyword
// was expected.
TEST_F(EngineFixture, ACommandThatLostItsPeriodGetsANote) {
  e.run_syntax(
      "VARIABLE LABELS score 'Score'\n"
      "WEIGHT BY w.\n"
      "SET SEED=5\n"
      "MULTIPLE CORRESPONDENCE VARIABLES = sex score.\n"
      "VARIABLE LABELS nosuch 'x'.\n");
  auto msgs = reported(e);
  ASSERT_EQ(msgs.size(), 5u);
  EXPECT_EQ(msgs[0].text.key, "Variable ^1 not found.");
  EXPECT_EQ(msgs[0].text.params, std::vector<std::string>{"WEIGHT"});
  EXPECT_EQ(msgs[1].text.key, "Period missing before ^1.");
  EXPECT_EQ(msgs[1].text.params, std::vector<std::string>{"WEIGHT"});
  EXPECT_EQ(msgs[1].severity, 1);
  EXPECT_EQ(msgs[2].text.key, "Syntax error near ^1.");
  EXPECT_EQ(msgs[3].text.key, "Period missing before ^1.");
  EXPECT_EQ(msgs[3].text.params, std::vector<std::string>{"MULTIPLE CORRESPONDENCE"});
  EXPECT_NE(msgs[3].text.text.find("period"), std::string::npos);
  // An unknown name that is no command gets no note.
  EXPECT_EQ(msgs[4].text.key, "Variable ^1 not found.");
  EXPECT_EQ(msgs[4].text.params, std::vector<std::string>{"nosuch"});
  EXPECT_EQ(e.active_file().weight_variable(), 0);  // the WEIGHT was never run
}
