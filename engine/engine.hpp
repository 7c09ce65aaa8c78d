// The stand-in host engine: runs a syntax file command by command against one
// working data file, calling the procedures through the host interface, and
// collects everything they produce in one output document.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/active_file.hpp"
#include "engine/charts.hpp"
#include "engine/dictionary.hpp"
#include "engine/files.hpp"
#include "engine/listing.hpp"
#include "engine/messages.hpp"
#include "engine/numerics_state.hpp"
#include "engine/output_model.hpp"
#include "engine/pivot.hpp"
#include "engine/session.hpp"
#include "engine/syntax_file.hpp"
#include "engine/tokens.hpp"
#include "engine/value_tables.hpp"
#include "engine/workspace.hpp"
#include "host/host.hpp"

namespace oscat::engine {

// A procedure command the engine knows: the words that name it and the export
// that runs it.
struct ProcedureCommand {
  std::vector<std::string> words;  // e.g. {"MULTIPLE", "CORRESPONDENCE"}
  std::string name;                // shown in the output, e.g. "MULTIPLE CORRESPONDENCE"
  std::string export_name;         // e.g. "MCORRESP"
};
const std::vector<ProcedureCommand>& procedure_commands();

// Whether the typed command word `typed` names `word`: the full word, or
// (for words of 8 characters and more) any word with the same first 8.
bool command_word_matches(std::string_view typed, std::string_view word);

class Engine {
 public:
  Engine();
  ~Engine();
  Engine(const Engine&) = delete;
  Engine& operator=(const Engine&) = delete;

  // The function that runs the procedure behind export `export_name`
  // ("CATPCA", "CATREG", "MCORRESP", "CORRES", "ANACOR", "HOMALS", "OVERAL",
  // "PRINCL"). The host must already be bound for the procedures.
  void set_procedure(const std::string& export_name, std::function<void()> fn);

  // Relative file names in the syntax (GET DATA, SAVE, procedure files)
  // resolve against this directory; default: the current directory.
  void set_base_dir(std::string dir);
  const std::string& base_dir() const { return base_dir_; }

  // Run every command of `syntax_text` in order.
  void run_syntax(std::string_view syntax_text);
  // Read a data file as the working file, as GET DATA does (the path is used
  // as given). False with `error` set when it cannot be read.
  bool load_data(const std::string& path, std::string& error);

  int errors() const { return session_.errors(); }
  const Document& document() const { return session_.document(); }
  const std::string& title() const { return title_; }
  void set_title(std::string t) { title_ = std::move(t); }
  // Set when a Ctrl-C stopped the run; later commands were not run.
  bool interrupted() const { return interrupted_; }

  host::Host& host() { return host_; }
  Session& session() { return session_; }
  DictionaryStore& dictionary() { return dict_; }
  ActiveFile& active_file() { return active_; }
  TokenStream& tokens() { return tokens_; }
  MessageStore& messages() { return messages_; }
  WorkspaceArena& workspace() { return workspace_; }
  ValueTableStore& value_tables() { return tables_; }
  NumericsState& numerics() { return numerics_; }
  FileStore& files() { return files_; }

  // Report a message by key with literal parameters (class 2 unless given).
  void report(const std::string& key, const std::vector<std::string>& params, int severity, int cls = 2);
  // The text such a report would show.
  std::string message_text(const std::string& key, const std::vector<std::string>& params);

 private:
  void run_command(const CommandText& cmd);
  void dispatch_command(const CommandText& cmd);
  void run_procedure(const ProcedureCommand& proc, std::string_view text, int words);
  void after_procedure(const std::string& routine);

  Session session_;
  DictionaryStore dict_;
  MessageStore messages_;
  TokenStream tokens_;
  ActiveFile active_;
  PivotBuilder pivot_;
  ListingBuilder listing_;
  ChartBuilder charts_;
  WorkspaceArena workspace_;
  ValueTableStore tables_;
  NumericsState numerics_;
  FileStore files_;
  host::Host host_;

  std::map<std::string, std::function<void()>> procedures_;
  std::string base_dir_;
  std::string title_;
  bool interrupted_ = false;
};

}  // namespace oscat::engine
