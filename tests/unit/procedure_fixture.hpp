// A stand-in host with the optimal-scaling procedures registered, working in
// a temporary directory of its own; tests feed it data and syntax and read
// the output document.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "engine/engine.hpp"
#include "exports/procedures.hpp"
#include "host/host.hpp"

namespace oscat::testing_support {

struct ProcedureFixture : ::testing::Test {
  std::filesystem::path dir;
  engine::Engine e;
  ProcedureFixture() {
    dir = std::filesystem::temp_directory_path() /
          ("oscat-proc-test-" + std::to_string(::getpid()) + "-" +
           ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    e.set_base_dir(dir.string());
    host::bind_host(&e.host());
    host::register_messages();
    e.set_procedure("CATPCA", [] { run_catpca(); });
    e.set_procedure("CATREG", [] { run_catreg(); });
    e.set_procedure("MCORRESP", [] { run_mcorresp(); });
  }
  ~ProcedureFixture() override {
    host::bind_host(nullptr);  // no later test finds this engine bound
    std::filesystem::remove_all(dir);
  }
  // `csv` becomes the working file.
  void data(const std::string& csv) {
    std::ofstream(dir / "d.csv") << csv;
    e.run_syntax("GET DATA /TYPE=CSV /FILE='d.csv'.\n");
  }
  const engine::CommandOutput& last() const { return e.document().commands.back(); }
};

}  // namespace oscat::testing_support
