// The procedure frame: whatever ends a command (an exception, a shortfall)
// closes it, releases every workspace block, reports once, and the next
// command runs as if nothing had happened.
#include <gtest/gtest.h>

#include <algorithm>
#include <new>
#include <stdexcept>

#include "catpca/plan.hpp"
#include "driver/driver.hpp"
#include "driver/run_context.hpp"
#include "frame/frame.hpp"
#include "frame/workspace.hpp"
#include "procedure_fixture.hpp"

using namespace oscat;
using namespace oscat::engine;

namespace {

struct FrameFixture : oscat::testing_support::ProcedureFixture {
  std::vector<const Message*> messages(const CommandOutput& c, int severity) const {
    std::vector<const Message*> out;
    for (const auto& it : c.items)
      if (const auto* m = std::get_if<Message>(&it))
        if (m->severity == severity) out.push_back(m);
    return out;
  }
  int count(const CommandOutput& c, const std::string& key) const {
    int k = 0;
    for (const Message* m : messages(c, 3)) k += m->text.key == key;
    return k;
  }
  bool has_table(const CommandOutput& c, const std::string& key) const {
    for (const auto& it : c.items)
      if (const auto* t = std::get_if<Table>(&it))
        if (t->title.key == key) return true;
    return false;
  }
};

// CATPCA with its analysis replaced: it takes workspace, opens a table and
// then fails the way `kind` says.
enum class Fault { Runtime, OutOfMemory, None };
Fault g_fault = Fault::None;

bool faulty_analysis(driver::RunContext& ctx) {
  for (int k = 0; k < 60; ++k) ctx.ws->get<double>(driver::kFirstAnalysisSlot + k, 100);
  auto& p = host::H().pivot;
  p.BP_BEGIN_PIVOT_TABLE(host::H().msg.BP_CSTRING("Model Summary"), 5);
  if (g_fault == Fault::Runtime) throw std::runtime_error("analysis fault");
  if (g_fault == Fault::OutOfMemory) throw std::bad_alloc();
  p.BP_END_PIVOT_TABLE();
  return true;
}

void run_faulty() {
  static const driver::ProcedureDescriptor d = [] {
    auto d = catpca::describe(syntax::ProcedureKind::Catpca);
    d.analysis = faulty_analysis;
    return d;
  }();
  driver::run(d);
}

const char* kData = "a,b,g\n1,2,1\n2,1,1\n3,3,2\n1,1,2\n2,3,1\n";
const char* kCommand = "CATPCA VARIABLES=a b /ANALYSIS=a b /PRINT=NONE /PLOT=NONE.\n";

}  // namespace

TEST_F(FrameFixture, AnExceptionInTheAnalysisIsReportedAndTheCommandClosed) {
  data(kData);
  e.run_syntax("SPLIT FILE BY g.\n");
  e.set_procedure("CATPCA", run_faulty);
  g_fault = Fault::Runtime;
  e.run_syntax(kCommand);
  const auto& c = last();
  // One internal error naming the export and the fault; none of the host's
  // own complaints about what a procedure left behind.
  const auto errs = messages(c, 3);
  ASSERT_EQ(errs.size(), 1u);
  EXPECT_EQ(errs[0]->text.key, "Internal error in ^1: ^2.");
  ASSERT_EQ(errs[0]->text.params.size(), 2u);
  EXPECT_EQ(errs[0]->text.params[0], "CATPCA");
  EXPECT_EQ(errs[0]->text.params[1], "analysis fault");
  EXPECT_FALSE(has_table(c, "Model Summary"));  // the half-built table is not shown
  EXPECT_EQ(e.workspace().outstanding(), 0u);
  EXPECT_EQ(e.value_tables().open_tables(), 0);
  EXPECT_EQ(e.active_file().split_count(), 1);

  // The next command runs in full.
  e.set_procedure("CATPCA", [] { run_catpca(); });
  e.run_syntax(kCommand);
  EXPECT_TRUE(messages(last(), 3).empty());
  EXPECT_TRUE(has_table(last(), "Case Processing Summary"));
}

TEST_F(FrameFixture, AnExhaustedHeapIsInsufficientMemoryOnce) {
  data(kData);
  e.set_procedure("CATPCA", run_faulty);
  g_fault = Fault::OutOfMemory;
  e.run_syntax(kCommand);
  const auto errs = messages(last(), 3);
  ASSERT_EQ(errs.size(), 1u);
  EXPECT_EQ(errs[0]->text.key, "Insufficient memory.");
  EXPECT_EQ(e.workspace().outstanding(), 0u);
  // Without a fault the same analysis ends normally, its table shown.
  g_fault = Fault::None;
  e.run_syntax(kCommand);
  EXPECT_TRUE(messages(last(), 3).empty());
  EXPECT_TRUE(has_table(last(), "Model Summary"));
  EXPECT_EQ(e.workspace().outstanding(), 0u);
}

TEST_F(FrameFixture, WorkspaceKeepsEveryBlockAndReportsAShortfallOnce) {
  data(kData);
  e.set_procedure("CATPCA", [] {
    frame::Workspace ws;
    for (int k = 0; k < 200; ++k) ASSERT_NE(ws.get<int>(k, 10), nullptr);
    for (int k = 0; k < 200; ++k) ASSERT_NE(ws.get<double>(5), nullptr);  // without slots
    EXPECT_EQ(ws.blocks(), 400);
    // A slot asked for again gives back its old block first.
    ws.get<double>(3, 1000);
    EXPECT_EQ(ws.blocks(), 400);
    EXPECT_EQ(ws.granted(3), 1000u);
    ws.release(3);
    EXPECT_EQ(ws.block(3), nullptr);
    EXPECT_FALSE(ws.failed());
    EXPECT_EQ(ws.get<double>(7, std::size_t{1} << 60), nullptr);
    EXPECT_TRUE(ws.failed());
    EXPECT_EQ(ws.block(7), nullptr);  // the slot's old block went, no new one came
    ws.report_shortfall();
    ws.report_shortfall();
  });
  e.run_syntax(kCommand);
  EXPECT_EQ(count(last(), "Insufficient memory."), 1);
  // Every block went back when the registry went out of scope: the host found
  // nothing left over to complain about.
  EXPECT_EQ(count(last(), "Internal error in ^1: ^2."), 0);
}
