// The host's own commands: GET DATA, VARIABLE LABELS, VALUE LABELS, MISSING
// VALUES, WEIGHT, FILTER, SPLIT FILE, SAVE, SET and TITLE.
//
// Each command is parsed completely before anything changes: a command with an
// error reports it and has no effect.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace oscat::engine {

class Engine;

struct HostCommand {
  std::vector<std::string> words;  // the command's name words
  std::string name;                // as shown in the output
};
const std::vector<HostCommand>& host_commands();

// The files that the GET DATA commands of a syntax text name, as written
// (found without running anything: the program checks its --output first).
std::vector<std::string> get_data_files(std::string_view syntax_text);

// Run host command `cmd`; the engine's token stream holds the command's body.
void run_host_command(Engine& engine, const HostCommand& cmd);

}  // namespace oscat::engine
