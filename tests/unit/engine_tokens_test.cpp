// Tokens, command splitting and variable/value lists of the engine.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/dictionary.hpp"
#include "engine/syntax_file.hpp"
#include "engine/tokens.hpp"

namespace {

using oscat::engine::command_body;
using oscat::engine::command_words;
using oscat::engine::DictionaryStore;
using oscat::engine::split_commands;
using oscat::engine::tokenize;
using oscat::engine::TokenStream;
using oscat::host::Msg;
using oscat::host::TokenKind;

// Records reported messages as "key|param,param|class|severity".
class RecordingMessages : public oscat::host::Messages {
 public:
  std::vector<std::string> reports;

  Msg BP_CSTRING(std::string_view key) override { return add(std::string(key)); }
  Msg BP_CSTRING_NO_TRANSLATE(std::string_view text) override { return add(std::string(text)); }
  Msg CX_NSTRING(std::string_view number) override { return add(std::string(number)); }
  Msg BP_IVALUE(std::int64_t v, oscat::host::Format) override { return add(std::to_string(v)); }
  Msg BP_LRVALUE(double v, oscat::host::Format) override { return add(std::to_string(v)); }
  Msg BP_BEGIN_COMPSTRING(Msg pattern) override { return add(texts_[pattern - 1] + "|"); }
  void BP_ADD_PARAMETER(Msg c, Msg p) override {
    std::string& t = texts_[c - 1];
    if (t.back() != '|') t += ",";
    t += texts_[p - 1];
  }
  Msg BP_END_COMPSTRING(Msg c) override { return c; }
  void BP_ERROR(Msg m, int cls, int severity) override {
    reports.push_back(texts_[m - 1] + "|" + std::to_string(cls) + "|" + std::to_string(severity));
    if (severity == 3) error_ = true;
  }
  void ERROR(int, int, int, std::vector<std::string>) override {}
  std::string text(Msg m) const override { return m > 0 ? texts_[m - 1] : std::string{}; }
  bool error_flag() const override { return error_; }
  void clear_error_flag() override { error_ = false; }
  void ASSERT(bool, std::string_view, std::string_view) override {}

 private:
  Msg add(std::string s) {
    texts_.push_back(std::move(s));
    return static_cast<Msg>(texts_.size());
  }
  std::vector<std::string> texts_;
  bool error_ = false;
};

std::vector<TokenKind> kinds(const std::vector<oscat::host::Token>& t) {
  std::vector<TokenKind> k;
  for (const auto& x : t) k.push_back(x.kind);
  return k;
}

// ------------------------------------------------------------- tokenizer ---

TEST(EngineTokens, NumbersWithSignsDecimalsAndExponents) {
  auto t = tokenize("(-1, +2.5) = .5 1e-5 1.5E+3 -.25 7.");
  ASSERT_EQ(t.size(), 11u);
  EXPECT_EQ(t[1].kind, TokenKind::Number);
  EXPECT_DOUBLE_EQ(t[1].value, -1);
  EXPECT_DOUBLE_EQ(t[3].value, 2.5);
  EXPECT_EQ(t[3].text, "+2.5");
  EXPECT_DOUBLE_EQ(t[6].value, 0.5);
  EXPECT_DOUBLE_EQ(t[7].value, 1e-5);
  EXPECT_DOUBLE_EQ(t[8].value, 1500);
  EXPECT_EQ(t[8].text, "1.5E+3");
  EXPECT_DOUBLE_EQ(t[9].value, -0.25);
  EXPECT_DOUBLE_EQ(t[10].value, 7);
  for (int i = 0; i < 11; ++i) EXPECT_EQ(t[i].position, i + 1);
}

TEST(EngineTokens, SignAfterValueIsAnOperatorUnlessSpacedAsANumber) {
  // "1-2" and "x - 2": the sign stands alone; "1 -2": two numbers.
  EXPECT_EQ(kinds(tokenize("1-2")), (std::vector{TokenKind::Number, TokenKind::Other, TokenKind::Number}));
  EXPECT_EQ(kinds(tokenize("x - 2")), (std::vector{TokenKind::Name, TokenKind::Other, TokenKind::Number}));
  auto t = tokenize("1 -2");
  ASSERT_EQ(t.size(), 2u);
  EXPECT_DOUBLE_EQ(t[1].value, -2);
  // An exponent marker without digits is not part of the number.
  t = tokenize("3e");
  ASSERT_EQ(t.size(), 2u);
  EXPECT_DOUBLE_EQ(t[0].value, 3);
  EXPECT_EQ(t[1].text, "E");
  // Out of range is no usable number.
  EXPECT_EQ(tokenize("1e999")[0].kind, TokenKind::Other);
}

TEST(EngineTokens, NamesStringsAndPunctuation) {
  auto t = tokenize("var_1.x @a #b 'it''s' \"say \"\"hi\"\"\" / ( ) = , * lastname.");
  ASSERT_EQ(t.size(), 12u);
  EXPECT_EQ(t[0].kind, TokenKind::Name);
  EXPECT_EQ(t[0].text, "VAR_1.X");
  EXPECT_EQ(t[0].raw, "var_1.x");
  EXPECT_EQ(t[2].text, "#B");
  EXPECT_EQ(t[3].kind, TokenKind::String);
  EXPECT_EQ(t[3].text, "it's");
  EXPECT_EQ(t[3].raw, "'it''s'");
  EXPECT_EQ(t[4].text, "say \"hi\"");
  EXPECT_EQ(kinds({t.begin() + 5, t.begin() + 11}),
            (std::vector{TokenKind::Slash, TokenKind::LParen, TokenKind::RParen, TokenKind::Equals,
                         TokenKind::Comma, TokenKind::Asterisk}));
  // A period ending the body is not part of the last name.
  EXPECT_EQ(t[11].text, "LASTNAME");
}

TEST(EngineTokens, UnterminatedStringIsOther) {
  auto t = tokenize("a 'open string");
  ASSERT_EQ(t.size(), 2u);
  EXPECT_EQ(t[1].kind, TokenKind::Other);
  EXPECT_EQ(t[1].text, "'open string");
}

TEST(EngineTokens, ComparisonTokens) {
  auto t = tokenize("< <= > >= <> ~= != = EQ ~ ;");
  ASSERT_EQ(t.size(), 11u);
  std::vector<std::string> texts;
  for (int i = 0; i < 7; ++i) {
    EXPECT_EQ(t[i].kind, TokenKind::Compare) << i;
    texts.push_back(t[i].text);
  }
  EXPECT_EQ(texts, (std::vector<std::string>{"<", "<=", ">", ">=", "~=", "~=", "~="}));
  EXPECT_EQ(t[7].kind, TokenKind::Equals);
  EXPECT_EQ(t[8].kind, TokenKind::Name);
  EXPECT_EQ(t[9].kind, TokenKind::Other);
  EXPECT_EQ(t[10].text, ";");
}

// ---------------------------------------------------------------- stream ---

struct EngineTokenStream : ::testing::Test {
  DictionaryStore dict;
  RecordingMessages msg;
  TokenStream ts{dict, msg};
  void SetUp() override {
    for (const char* n : {"a", "b", "c", "d", "e", "str"}) dict.add_variable(n, 0);
  }
};

TEST_F(EngineTokenStream, NextCurrentEndAndRewind) {
  ts.load("x = 1 /y");
  EXPECT_EQ(ts.count(), 5);
  EXPECT_EQ(ts.position(), 0);
  EXPECT_EQ(ts.current().kind, TokenKind::End);
  EXPECT_EQ(ts.SSNXT1().text, "X");
  EXPECT_EQ(ts.SSNXT2().kind, TokenKind::Equals);
  EXPECT_EQ(ts.current().kind, TokenKind::Equals);
  EXPECT_EQ(ts.position(), 2);
  ts.SSNXT1();
  ts.SSNXT1();
  EXPECT_EQ(ts.SSNXT1().text, "Y");
  for (int i = 0; i < 3; ++i) {
    const auto& end = ts.SSNXT1();
    EXPECT_EQ(end.kind, TokenKind::End);
    EXPECT_EQ(end.position, 6);
  }
  ts.SSETPT(3);
  EXPECT_EQ(ts.position(), 2);
  EXPECT_DOUBLE_EQ(ts.SSNXT1().value, 1);
  ts.SSETPT(1);
  EXPECT_EQ(ts.SSNXT1().text, "X");
  EXPECT_EQ(ts.SSTACK(), 0);
  ts.skip_command();
  EXPECT_EQ(ts.current().kind, TokenKind::End);
  EXPECT_EQ(ts.SSNXT1().kind, TokenKind::End);
  ts.SSDELS();
  // Loading a new command starts afresh.
  ts.load("");
  EXPECT_EQ(ts.count(), 0);
  EXPECT_EQ(ts.SSNXT1().kind, TokenKind::End);
}

TEST_F(EngineTokenStream, PruvlToRangesAndStopToken) {
  ts.load("a c TO e b ALL (x)");
  std::vector<int> vars{99};
  EXPECT_EQ(ts.PRUVL(vars), 0);
  EXPECT_EQ(vars, (std::vector<int>{1, 3, 4, 5, 2, 1, 2, 3, 4, 5, 6}));
  // Stopped on "(": current, and returned again by the next SSNXT.
  EXPECT_EQ(ts.current().kind, TokenKind::LParen);
  EXPECT_EQ(ts.position(), 7);
  EXPECT_EQ(ts.SSNXT1().kind, TokenKind::LParen);
  EXPECT_EQ(ts.SSNXT1().text, "X");
  EXPECT_TRUE(msg.reports.empty());
}

TEST_F(EngineTokenStream, PruvlReportsUnknownAndReversed) {
  ts.load("a nosuch e TO b c / next");
  std::vector<int> vars;
  EXPECT_EQ(ts.PRUVL(vars), 1);
  EXPECT_EQ(vars, (std::vector<int>{1, 3}));
  ASSERT_EQ(msg.reports.size(), 2u);
  EXPECT_EQ(msg.reports[0], "Variable ^1 not found.|nosuch|2|3");
  EXPECT_EQ(msg.reports[1], "Variable list ^1 TO ^2 is reversed.|e,b|2|3");
  EXPECT_EQ(ts.SSNXT1().kind, TokenKind::Slash);

  // Not a name first: 2, nothing consumed.
  ts.load("= a");
  EXPECT_EQ(ts.PRUVL(vars), 2);
  EXPECT_TRUE(vars.empty());
  EXPECT_EQ(ts.SSNXT1().kind, TokenKind::Equals);

  // TO without a second name.
  msg.reports.clear();
  ts.load("a TO /");
  EXPECT_EQ(ts.PRUVL(vars), 1);
  ASSERT_EQ(msg.reports.size(), 1u);
  EXPECT_EQ(ts.SSNXT1().kind, TokenKind::Slash);
}

TEST_F(EngineTokenStream, Pruvl2RestrictedToAllowed) {
  const std::vector<int> allowed{2, 3, 4, 1};
  std::string bad;
  std::vector<int> vars;

  ts.load("b TO d a WITH e");
  const char* const with[] = {"WITH"};
  EXPECT_EQ(ts.PRUVL2(vars, allowed, bad, with), 0);
  EXPECT_EQ(vars, (std::vector<int>{2, 3, 4, 1}));
  EXPECT_EQ(ts.current().text, "WITH");
  EXPECT_EQ(ts.SSNXT1().text, "WITH");

  // e exists but is not allowed: stops on it, nothing reported.
  ts.load("a E b");
  EXPECT_EQ(ts.PRUVL2(vars, allowed, bad), 1);
  EXPECT_EQ(bad, "E");
  EXPECT_EQ(vars, (std::vector<int>{1}));
  EXPECT_EQ(ts.SSNXT1().text, "E");

  // A range crossing a variable outside the list stops on the range.
  ts.load("c TO e");
  EXPECT_EQ(ts.PRUVL2(vars, allowed, bad), 1);
  EXPECT_EQ(bad, "e");
  EXPECT_EQ(ts.SSNXT1().text, "C");

  // ALL is every allowed variable, in the allowed order.
  ts.load("ALL");
  EXPECT_EQ(ts.PRUVL2(vars, allowed, bad), 0);
  EXPECT_EQ(vars, allowed);
  EXPECT_TRUE(msg.reports.empty());
}

TEST_F(EngineTokenStream, PrvrltAndPrvalt) {
  std::string bad;
  std::vector<int> vars;
  ts.load("a(1,3) BY zz(1 2)");
  EXPECT_EQ(ts.PRVRLT(vars, bad), 0);
  EXPECT_EQ(vars, std::vector<int>{1});
  EXPECT_EQ(ts.SSNXT1().kind, TokenKind::LParen);
  std::vector<double> vals;
  EXPECT_EQ(ts.PRVALT(vals, bad), 0);
  EXPECT_EQ(vals, (std::vector<double>{1, 3}));
  EXPECT_EQ(ts.current().kind, TokenKind::RParen);
  EXPECT_EQ(ts.SSNXT1().kind, TokenKind::RParen);
  EXPECT_EQ(ts.PRVRLT(vars, bad), 1);  // BY is no variable
  EXPECT_EQ(bad, "BY");
  EXPECT_TRUE(msg.reports.empty());

  ts.load("1, -2 3.5 LO 4)");
  EXPECT_EQ(ts.PRVALT(vals, bad), 1);
  EXPECT_EQ(vals, (std::vector<double>{1, -2, 3.5}));
  EXPECT_EQ(bad, "LO");
  EXPECT_EQ(ts.SSNXT1().text, "LO");

  ts.load("7 8");  // ends at the end of the command
  EXPECT_EQ(ts.PRVALT(vals, bad), 0);
  EXPECT_EQ(vals, (std::vector<double>{7, 8}));
  EXPECT_EQ(ts.current().kind, TokenKind::End);
}

// ------------------------------------------------------------- splitting ---

TEST(EngineSyntaxFile, PeriodAtLineEndAndBlankLine) {
  auto c = split_commands(
      "DATA x = 1.5 .5 'a. b'.\n"
      "NEXT cmd\n"
      "  continues 3.  \n"
      "THIRD without period\n"
      "\n"
      "FOURTH 'it''s.'\n"
      "  .\n"
      "LAST");
  ASSERT_EQ(c.size(), 5u);
  EXPECT_EQ(c[0].text, "DATA x = 1.5 .5 'a. b'");
  EXPECT_EQ(c[0].line, 1);
  EXPECT_EQ(c[1].text, "NEXT cmd\n  continues 3");
  EXPECT_EQ(c[1].line, 2);
  EXPECT_EQ(c[2].text, "THIRD without period");
  EXPECT_EQ(c[2].line, 4);
  EXPECT_EQ(c[3].text, "FOURTH 'it''s.'");
  EXPECT_EQ(c[3].line, 6);
  EXPECT_EQ(c[4].text, "LAST");
  EXPECT_EQ(c[4].line, 8);
}

TEST(EngineSyntaxFile, CommentsBomAndCrlf) {
  auto c = split_commands(
      "\xEF\xBB\xBF* a comment command, don't stop at this quote.\r\n"
      "COMMENT another 'one\r\n"
      "  still the comment.\r\n"
      "GET /* inline. */ x. /* after */\r\n"
      "/* a comment\r\nover lines */ HOMALS a\r\n"
      "  /b.\r\n"
      "comment.\r\n"
      "x /* runs to the line end\r\n"
      "  y.");
  ASSERT_EQ(c.size(), 3u);
  EXPECT_EQ(c[0].text, "GET   x");
  EXPECT_EQ(c[0].line, 4);
  EXPECT_EQ(c[1].text, "HOMALS a\n  /b");
  EXPECT_EQ(c[1].line, 6);
  EXPECT_EQ(c[2].text, "x  \n  y");
  EXPECT_EQ(c[2].line, 9);
}

TEST(EngineSyntaxFile, UnterminatedQuoteEndsAtLineEnd) {
  // The period still ends its line, so it ends the command.
  auto c = split_commands("TITLE Don't panic.\nNEXT.\n");
  ASSERT_EQ(c.size(), 2u);
  EXPECT_EQ(c[0].text, "TITLE Don't panic");
  EXPECT_EQ(c[1].text, "NEXT");
  c = split_commands("TITLE 'oops\nNEXT.\n");
  ASSERT_EQ(c.size(), 1u);
  EXPECT_EQ(c[0].text, "TITLE 'oops\nNEXT");
}

TEST(EngineSyntaxFile, CommandWordsAndBody) {
  EXPECT_EQ(command_words("multiple correspondence vars = a b", 2),
            (std::vector<std::string>{"MULTIPLE", "CORRESPONDENCE"}));
  EXPECT_EQ(command_words("CATPCA /VARIABLES", 2), std::vector<std::string>{"CATPCA"});
  EXPECT_EQ(command_words("  get\n data /type", 3), (std::vector<std::string>{"GET", "DATA"}));
  EXPECT_EQ(command_words("EXECUTE.", 1), std::vector<std::string>{"EXECUTE"});
  EXPECT_EQ(command_body("VALUE LABELS x 1 'a'", 2), " x 1 'a'");
  EXPECT_EQ(command_body("CATPCA", 2), "");
}

}  // namespace
