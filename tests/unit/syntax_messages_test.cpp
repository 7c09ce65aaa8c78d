// Reports of the optimal-scaling parsers name what is wrong: the token,
// variable, keyword or value, in the text and among the parameters.
#include <gtest/gtest.h>

#include "syntax_harness.hpp"

using namespace oscat::syntax;
using syntax_test::Harness;
using syntax_test::kPca;
using K = ProcedureKind;

namespace {

struct Case {
  K kind;
  std::string body;
  std::string key;
  std::vector<std::string> named;  // parameters the report must hold, in order
};

void expect_named(Harness& h, const Case& c) {
  auto r = h.run(c.kind, c.body);
  const auto* m = r.find(c.key);
  ASSERT_NE(m, nullptr) << c.body << "\nno report " << c.key;
  ASSERT_GE(m->params.size(), c.named.size()) << c.body;
  for (std::size_t i = 0; i < c.named.size(); ++i) {
    EXPECT_EQ(m->params[i], c.named[i]) << c.body;
    EXPECT_NE(m->text.find(c.named[i]), std::string::npos) << c.body << "\ntext: " << m->text;
  }
  // No slot is left unfilled.
  EXPECT_EQ(m->text.find('^'), std::string::npos) << m->text;
}

}  // namespace

TEST(SyntaxMessages, ScanAndVariableListsNameTheToken) {
  Harness h;
  for (const Case& c : std::vector<Case>{
           {K::Catpca, "VARIABLES = a b /ANALYSIS = a b /BOGUS = 1", "Invalid CPR subcommand.", {"BOGUS"}},
           {K::Catreg, "VARIABLES = a b /ANALYSIS = a WITH b /GRAPH = TRANS(a)", "Invalid CRG subcommand.", {"GRAPH"}},
           {K::Mcorresp, "FOO a b /ANALYSIS a b", "Invalid MCOR VARI subcommand.", {"FOO"}},
           {K::Catpca, "VARIABLES = a b (3) /ANALYSIS = a b", "Unexpected token in variable list.", {"("}},
           {K::Catreg, "VARIABLES = a b (x) /ANALYSIS = a WITH b", "Unexpected token in variable list.", {"x"}},
           {K::Catpca, "VARIABLES = a zz /ANALYSIS = a", "Variable ^1 not found.", {"zz"}},
           {K::Catpca, "VARIABLES = a b c /ANALYSIS = a zz", "CPR Undefined ^1 Var.", {"ANALYSIS", "zz"}},
           {K::Catpca, "VARIABLES = a b c /ANALYSIS = a b d", "CPR Undefined ^1 Var.", {"ANALYSIS", "d"}},
           {K::Catpca, "VARIABLES = a b c /ANALYSIS = a b a", "CPR Duplicate var ANALY.", {"a"}},
           {K::Catreg, "VARIABLES = a b c /ANALYSIS = a b WITH c", "More than one dep var specified.", {"a", "b"}},
           {K::Catpca, "VARIABLES = a b /ANALYSIS = a b (NOMI", "Missing right par in ^1.",
            {"ANALYSIS", "end of command"}},
           {K::Catpca, kPca + "/MISSING = a EXTRACAT", "Missing left par in ^1.", {"MISSING", "EXTRACAT"}},
           {K::Catpca, kPca + "/PRINT = DESCRIP b", "Missing left par in ^1.", {"PRINT", "b"}},
       })
    expect_named(h, c);
}

TEST(SyntaxMessages, AnalysisAndValuesNameTheValue) {
  Harness h;
  for (const Case& c : std::vector<Case>{
           {K::Catpca, "VARIABLES = a b /ANALYSIS = a (WEIGHT = 0.5) b", "CPR weight not integer.", {"0.5"}},
           {K::Catpca, "VARIABLES = a b /ANALYSIS = a (SPORD INKNOT = -1) b", "CPR Invalid inknot.", {"-1"}},
           {K::Catpca, "VARIABLES = a b /ANALYSIS = a (SPORD DEGREE = 0) b", "CPR Invalid degree.", {"0"}},
           {K::Catpca, kPca + "/MAXITER = 2.5", "CPR Invalid value MAXI.", {"2.5"}},
           {K::Catpca, kPca + "/CRITITER = -1", "CPR Invalid value CRIT.", {"-1"}},
           {K::Catpca, kPca + "/DIMENSION = 0", "CPR Invalid value DIME.", {"0"}},
           {K::Catpca, kPca + "/DISCRETIZATION = a (GROUPING NCAT = 1)", "CPR NCAT not a number.", {"1"}},
           {K::Catpca, kPca + "/DISCRETIZATION = a (GROUPING EQINTV = -2)", "CPR Invalid value EQINTV.", {"-2"}},
           {K::Catpca, kPca + "/DISCRETIZATION = a (RANKING) b (RANKING) a (RANKING)", "CPR Duplicate var DISCR.",
            {"a"}},
           {K::Catpca, kPca + "/DISCRETIZATION = zz (RANKING)", "CPR Undefined ^1 Var.", {"DISCRETIZATION", "zz"}},
           {K::Catpca, kPca + "/MISSING = a (PASSIVE ACTIVE)", "CPR Mult Kwd MISS.", {"ACTIVE"}},
           {K::Catpca, kPca + "/MISSING = a (LISTWISE MODEIMPU)", "CPR Unexp impu kwd MISS.", {"MODEIMPU"}},
           {K::Catpca, kPca + "/MISSING = b (EXTRACAT) b (LISTWISE)", "CPR Duplicate var MISS.", {"b"}},
           {K::Catpca, kPca + "/RESAMPLE = BOOTSTRAP(10 95 3)", "CPR too many val RESMPL", {"3"}},
           {K::Catpca, kPca + "/RESAMPLE = BOOTSTRAP(10 150)", "CPR Invalid value2 RESMPL", {"150"}},
           {K::Catpca, kPca + "/RESAMPLE = BOOTSTRAP(10) EXTRA", "ZYL Mult Kwd RESMPL", {"EXTRA"}},
           {K::Catreg, syntax_test::kCrg + "/RESAMPLE = CROSSVAL(x)", "CRG Invalid value RESMPL.", {"x"}},
           {K::Catpca, kPca + "/ROTATION = OBLIMIN(0.9)", "CPR Invalid val Rot Obli", {"0.9"}},
           {K::Catpca, kPca + "/ROTATION = VARIMAX(2)", "CPR Invalid spec Rot", {"VARIMAX"}},
           {K::Catpca, kPca + "/NORMALIZATION = VPRINCIPAL OPRINCIPAL", "CPR Mult Kwd NORM.", {"OPRINCIPAL"}},
           {K::Catreg, syntax_test::kCrg + "/INITIAL = MULTISTART(150)('s.csv')", "CRG Invalid val INI MLT.",
            {"150"}},
       })
    expect_named(h, c);
}

TEST(SyntaxMessages, PrintPlotSupplementaryNameTheVariable) {
  Harness h;
  const std::string two = "VARIABLES = a b c /ANALYSIS = a b ";
  for (const Case& c : std::vector<Case>{
           {K::Catpca, kPca + "/PRINT = QUANT(zz)", "CPR Undefined ^1 Var.", {"PRINT", "zz"}},
           {K::Catpca, two + "/PRINT = QUANT(c)", "CPR Non ANA var PRINT kwd ^1.", {"QUANT", "c"}},
           {K::Catpca, kPca + "/PRINT = LOADING(UP)", "CPR inv option print load", {"UP"}},
           {K::Catpca, kPca + "/PRINT = SORT", "CPR out of place sort", {"SORT"}},
           {K::Catpca, kPca + "/PRINT = OBJECT(a b)", "CPR OBJECT too many vars.", {"a", "b"}},
           {K::Catpca, kPca + "/PLOT = TRANS(zz)", "CPR Undefined ^1 Var.", {"PLOT", "zz"}},
           {K::Catpca, two + "/PLOT = TRANS(c)", "CPR Non ANA var PLOT kwd ^1.", {"TRANS", "c"}},
           {K::Catpca, "VARIABLES = a b c /ANALYSIS = a (MNOMINAL) b c /PLOT = LOADING(a)",
            "CPR PLOT LOAD var is MNOM.", {"a"}},
           {K::Catpca, kPca + "/PLOT = NDIM(1, x)", "CPR Invalid plotdim.", {"x"}},
           {K::Catpca, kPca + "/DIMENSION = 2 /PLOT = NDIM(2, 1)", "CPR invalid plotdim spec.", {"2, 1", "2"}},
           {K::Catpca, kPca + "/PLOT = OBJECT NELLPNT 10", "CPR SpecWithoutLeftPar", {"NELLPNT"}},
           {K::Catpca, kPca + "/SUPPLEMENTARY = VARIABLE(zz)", "CPR Undefined Suppl. Var.", {"zz"}},
           {K::Catpca, two + "/SUPPLEMENTARY = VARIABLE(c)", "Invalid CPR Suppl. Var.", {"c"}},
           {K::Catpca, kPca + "/SAVE = APPROX(ap (2))", "CPR unexp dim spec SAVE APPROX.", {"APPROX"}},
           {K::Catpca, "VARIABLES = a b c /ANALYSIS = a (WEIGHT = 2) b c /SUPPLEMENTARY = VARIABLE(a)",
            "CPR suppl var no weight.", {"a"}},
           {K::Catpca, kPca + "/DISCRETIZATION = a (GROUPING NCAT = 40)", "No. cats greater max NORMAL distr.",
            {"40"}},
       })
    expect_named(h, c);
}

// Levels may be shortened to four letters or more, where the prefix names one
// level of the procedure; anything shorter or foreign is refused with the list.
TEST(SyntaxMessages, LevelPrefixes) {
  Harness h;
  auto r = h.run(K::Catpca, "VARIABLES = a b c d e /ANALYSIS = a (NOMI) b (LEVEL = ORDI) c (NUME) d (MNOM) e (SPNO)");
  ASSERT_TRUE(r.rest_ok) << (r.msgs.empty() ? "" : r.msgs[0].text);
  EXPECT_EQ(r.s.vars.levels[0].mlevel, NOMINAL);
  EXPECT_EQ(r.s.vars.levels[1].mlevel, ORDINAL);
  EXPECT_EQ(r.s.vars.levels[2].mlevel, NUMERICAL);
  EXPECT_EQ(r.s.vars.levels[3].mlevel, MNOMINAL);
  EXPECT_EQ(r.s.vars.levels[4].mlevel, SPNOM);
  EXPECT_EQ(r.s.vars.levels[4].inknot, 2);  // spline defaults still apply
  // Longer prefixes and the full name past eight letters.
  auto r2 = h.run(K::Catpca, "VARIABLES = a b /ANALYSIS = a (LEVEL = NUMERIC) b (LEVEL = NUMERICAL)");
  ASSERT_TRUE(r2.rest_ok);
  EXPECT_EQ(r2.s.vars.levels[0].mlevel, NUMERICAL);
  EXPECT_EQ(r2.s.vars.levels[1].mlevel, NUMERICAL);
  auto r3 = h.run(K::Catreg, "VARIABLES = a b c /ANALYSIS = a (NUME) WITH b (SPOR) c (LEVEL = ORDI)");
  ASSERT_TRUE(r3.rest_ok) << (r3.msgs.empty() ? "" : r3.msgs[0].text);
  EXPECT_EQ(r3.s.vars.levels[0].mlevel, NUMERICAL);
  EXPECT_EQ(r3.s.vars.levels[1].mlevel, SPORD);
  EXPECT_EQ(r3.s.vars.levels[2].mlevel, ORDINAL);
  auto r4 = h.run(K::Mcorresp, "VARIABLES = a b /ANALYSIS = a (MNOM) b (LEVEL = MNOM)");
  ASSERT_TRUE(r4.rest_ok);
  EXPECT_EQ(r4.s.vars.levels[1].mlevel, MNOMINAL);

  // Too short: a bare item is neither keyword nor level; after LEVEL it is no level.
  auto bad = h.run(K::Catpca, "VARIABLES = a b /ANALYSIS = a (ORD) b");
  const auto* m = bad.find("CPR Invalid/unexp Kwd/Val ANALY ^1.");
  ASSERT_NE(m, nullptr);
  EXPECT_EQ(m->params[0], "ORD");
  EXPECT_NE(m->text.find("NOMINAL, ORDINAL, NUMERICAL, MNOMINAL, SPORD, SPNOM"), std::string::npos) << m->text;
  EXPECT_NE(m->text.find("WEIGHT, LEVEL, INKNOT, DEGREE"), std::string::npos) << m->text;
  auto bad2 = h.run(K::Catpca, "VARIABLES = a b /ANALYSIS = a (LEVEL = NOM) b");
  m = bad2.find("CPR Invalid level ^1.");
  ASSERT_NE(m, nullptr);
  EXPECT_EQ(m->severity, 3);
  EXPECT_EQ(m->params[0], "NOM");
  EXPECT_NE(m->text.find("NOMINAL, ORDINAL, NUMERICAL, MNOMINAL, SPORD and SPNOM"), std::string::npos) << m->text;
  // An error: the text must not promise a fallback that never runs.
  EXPECT_EQ(m->text.find("is used"), std::string::npos) << m->text;
  // A prefix of no level, and levels the procedure does not have.
  EXPECT_TRUE(h.run(K::Catpca, "VARIABLES = a b /ANALYSIS = a (LEVEL = NOMX) b").has("CPR Invalid level ^1.", "NOMX"));
  auto crg = h.run(K::Catreg, "VARIABLES = a b /ANALYSIS = a WITH b (LEVEL = MNOM)");
  m = crg.find("CRG Invalid level ^1.");
  ASSERT_NE(m, nullptr);
  EXPECT_EQ(m->text.find("MNOMINAL"), std::string::npos) << m->text;
  EXPECT_TRUE(h.run(K::Mcorresp, "VARIABLES = a b /ANALYSIS = a (LEVEL = NOMI) b").has("MCOR Invalid level ^1.", "NOMI"));
}

// A command whose period was forgotten runs into the next one: the report is
// followed by a note naming the command found inside.
TEST(SyntaxMessages, ForgottenPeriodNote) {
  Harness h;
  const std::string note = "Period missing before ^1.";
  auto r = h.run(K::Catpca, "VARIABLES = a b /ANALYSIS = a b /PRINT = QUANT(a)\nCATREG VARIABLES = a b");
  ASSERT_TRUE(r.has(note, "CATREG"));
  // After the error, once.
  int notes = 0;
  std::size_t note_at = 0, error_at = r.msgs.size();
  for (std::size_t i = 0; i < r.msgs.size(); ++i) {
    if (r.msgs[i].key == note) {
      ++notes;
      note_at = i;
    } else if (r.msgs[i].severity == 3 && error_at == r.msgs.size()) {
      error_at = i;
    }
  }
  EXPECT_EQ(notes, 1);
  EXPECT_LT(error_at, note_at);
  EXPECT_EQ(r.find(note)->severity, 1);
  EXPECT_NE(r.find(note)->text.find("CATREG"), std::string::npos);

  // Where a variable is expected; two-word command names.
  auto r2 = h.run(K::Catpca, "VARIABLES = a b /ANALYSIS = a b\nMULTIPLE CORRESPONDENCE VARIABLES = a b");
  EXPECT_TRUE(r2.has("CPR Undefined ^1 Var.", "ANALYSIS"));
  EXPECT_TRUE(r2.has(note, "MULTIPLE CORRESPONDENCE"));
  auto r3 = h.run(K::Catpca, "VARIABLES = a b\nGET DATA /TYPE=CSV /FILE='x.csv'");
  EXPECT_TRUE(r3.has(note, "GET DATA"));
  // A repeated subcommand is what the second command's ANALYSIS looks like.
  auto r4 = h.run(K::Catreg, "VARIABLES = a b /ANALYSIS = a WITH b\nCATREG VARIABLES = a b /ANALYSIS = a WITH b");
  EXPECT_TRUE(r4.has("Mult CPR subcommand ^1.", "ANALYSIS"));
  EXPECT_TRUE(r4.has(note, "CATREG"));

  // The host's variable-list reader reports the name and gives the note
  // itself; the parsers do not repeat it.
  auto r5 = h.run(K::Catpca, "VARIABLES = a b\nCATREG /ANALYSIS = a b");
  EXPECT_TRUE(r5.has("Variable ^1 not found.", "CATREG"));
  int r5_notes = 0;
  for (auto& m : r5.msgs) r5_notes += m.key == note;
  EXPECT_EQ(r5_notes, 1);

  // No note for an ordinary mistake, for a variable named like a command,
  // nor for a subcommand keyword that is also a command word (SAVE).
  h.engine().dictionary().add_variable("homals", 0);
  EXPECT_FALSE(h.run(K::Catpca, "VARIABLES = a b /ANALYSIS = a zz").has(note));
  EXPECT_FALSE(h.run(K::Catpca, "VARIABLES = a homals /ANALYSIS = a homals zz").has(note));
  EXPECT_FALSE(h.run(K::Catpca, kPca + "/SAVE = BOGUS").has(note));
  EXPECT_FALSE(h.run(K::Catpca, "VARIABLES = a b /ANALYSIS = a (NOMINAL WEIGHT 2) zz").has(note));
}

TEST(SyntaxMessages, FileSpecificationsAndKeywordCombinationsNameWhatWasFound) {
  Harness h;
  const std::string crg = "VARIABLES = a b c /ANALYSIS = a WITH b c ";
  for (const Case& c : std::vector<Case>{
           {K::Catreg, crg + "/INITIAL = MULTISTART()", "CRG Inv filename INI MLT.", {")"}},
           {K::Catreg, crg + "/INITIAL = FIXSIGNS(2)(x)", "CRG Inv filename INI FIX.", {"x"}},
           {K::Catreg, crg + "/REGULARIZATION = LASSO()", "CRG Inv filename REGU.", {")"}},
           {K::Catpca, kPca + "/CONFIGURATION = INITIAL(abc)", "CPR Config file error.", {"abc"}},
           {K::Catpca, kPca + "/DISCRETIZATION = a (RANKING NCAT=3)", "CPR Invalid/unexp Kwd/Val DISCR.",
            {"RANKING and NCAT"}},
           {K::Catpca, kPca + "/DISCRETIZATION = a (EQINTV=2 NCAT=3)", "CPR Invalid/unexp Kwd/Val DISCR.",
            {"EQINTV and NCAT"}},
       })
    expect_named(h, c);
}
