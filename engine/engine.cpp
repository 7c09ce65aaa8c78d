#include "engine/engine.hpp"

#include <cctype>
#include <filesystem>
#include <new>
#include <stdexcept>

#include "engine/host_commands.hpp"

namespace oscat::engine {

namespace {
std::string upper(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return out;
}

// How many of the command's leading words name `words` (0 = no match).
int match_words(const std::vector<std::string>& typed, const std::vector<std::string>& words) {
  if (typed.size() < words.size()) return 0;
  for (std::size_t i = 0; i < words.size(); ++i)
    if (!command_word_matches(typed[i], words[i])) return 0;
  return static_cast<int>(words.size());
}
}  // namespace

const std::vector<ProcedureCommand>& procedure_commands() {
  // Longer names first: MULTIPLE CORRESPONDENCE before anything shorter.
  static const std::vector<ProcedureCommand> table = {
      {{"MULTIPLE", "CORRESPONDENCE"}, "MULTIPLE CORRESPONDENCE", "MCORRESP"},
      {{"CATPCA"}, "CATPCA", "CATPCA"},
      {{"CATREG"}, "CATREG", "CATREG"},
      {{"CORRESPONDENCE"}, "CORRESPONDENCE", "CORRES"},
      {{"ANACOR"}, "ANACOR", "ANACOR"},
      {{"HOMALS"}, "HOMALS", "HOMALS"},
      {{"OVERALS"}, "OVERALS", "OVERAL"},
      {{"PRINCALS"}, "PRINCALS", "PRINCL"},
  };
  return table;
}

bool command_word_matches(std::string_view typed, std::string_view word) {
  std::string t = upper(typed);
  if (t == word) return true;
  return t.size() >= 8 && word.size() >= 8 && t.compare(0, 8, word, 0, 8) == 0;
}

Engine::Engine()
    : messages_(session_),
      tokens_(dict_, messages_),
      active_(dict_),
      pivot_(session_, messages_, dict_),
      listing_(session_),
      charts_(session_, messages_, [this](host::Msg m) { return messages_.resolve(m); }),
      files_(tokens_),
      host_{tokens_, dict_, active_, workspace_, tables_, messages_, pivot_, listing_, numerics_, files_, charts_} {
  workspace_.set_note_sink([this](const std::string& key, const std::vector<std::string>& params) {
    report(key, params, 1, 1);
  });
  files_.set_reporter([this](const std::string& key, const std::vector<std::string>& params, int severity) {
    report(key, params, severity);
  });
  std::error_code ec;
  set_base_dir(std::filesystem::current_path(ec).string());
}

Engine::~Engine() = default;

void Engine::set_procedure(const std::string& export_name, std::function<void()> fn) {
  procedures_[export_name] = std::move(fn);
}

void Engine::set_base_dir(std::string dir) {
  base_dir_ = std::move(dir);
  files_.set_base_dir(base_dir_);
}

namespace {
host::Msg message_of(MessageStore& messages, const std::string& key, const std::vector<std::string>& params) {
  host::Msg m = messages.BP_CSTRING(key);
  if (!params.empty()) {
    host::Msg c = messages.BP_BEGIN_COMPSTRING(m);
    for (const auto& p : params) messages.BP_ADD_PARAMETER(c, messages.BP_CSTRING_NO_TRANSLATE(p));
    m = messages.BP_END_COMPSTRING(c);
  }
  return m;
}
}  // namespace

void Engine::report(const std::string& key, const std::vector<std::string>& params, int severity, int cls) {
  messages_.BP_ERROR(message_of(messages_, key, params), cls, severity);
}

std::string Engine::message_text(const std::string& key, const std::vector<std::string>& params) {
  return messages_.text(message_of(messages_, key, params));
}

bool Engine::load_data(const std::string& path, std::string& error) { return active_.load_csv(path, error); }

void Engine::run_syntax(std::string_view syntax_text) {
  for (const CommandText& cmd : split_commands(syntax_text)) {
    if (interrupted_) break;
    run_command(cmd);
    if (interrupt_flag().load()) {
      interrupted_ = true;
      report("Interrupted by the user: the remaining commands were not run.", {}, 3);
    }
  }
}

void Engine::run_command(const CommandText& cmd) {
  // A command that runs out of memory (reading a file, building a table) is
  // reported and the run goes on: the report so far is never lost.
  try {
    dispatch_command(cmd);
  } catch (const std::bad_alloc&) {
    report("Not enough memory for this command.", {}, 3, 3);
  } catch (const std::exception& e) {
    report("Command failed: ^1.", {e.what()}, 3, 3);
  }
}

void Engine::dispatch_command(const CommandText& cmd) {
  messages_.reset();
  listing_.reset();
  messages_.clear_error_flag();
  std::vector<std::string> typed = command_words(cmd.text, 2);

  for (const auto& proc : procedure_commands()) {
    if (int n = match_words(typed, proc.words)) {
      run_procedure(proc, cmd.text, n);
      return;
    }
  }
  for (const auto& hc : host_commands()) {
    if (int n = match_words(typed, hc.words)) {
      session_.begin_command(hc.name, cmd.text);
      tokens_.load(command_body(cmd.text, n));
      run_host_command(*this, hc);
      return;
    }
  }
  std::string first = typed.empty() ? std::string(cmd.text.substr(0, 20)) : typed[0];
  session_.begin_command(first, cmd.text);
  report("Unknown command ^1.", {first}, 3, 3);
}

void Engine::run_procedure(const ProcedureCommand& proc, std::string_view text, int words) {
  session_.begin_command(proc.name, std::string(text));
  tokens_.load(command_body(text, words));
  pivot_.reset();
  auto it = procedures_.find(proc.export_name);
  if (it == procedures_.end() || !it->second) {
    report("Procedure ^1 not available.", {proc.name}, 3);
    return;
  }
  // Without data a procedure would find no cases and say nothing.
  if (!active_.loaded()) {
    report("No working data file.", {}, 3, 3);
    return;
  }
  // The procedure sets the split count to 0 while it runs and restores it;
  // keep the user's setting even if it does not.
  const int split = active_.split_count();
  it->second();
  active_.set_split_count(split);
  after_procedure(proc.export_name);
}

void Engine::after_procedure(const std::string& routine) {
  // Whatever the procedure left behind is released here, and a block that was
  // never freed is a fault of the procedure, so it is reported.
  if (workspace_.outstanding() > 0) {
    messages_.ASSERT(false, routine, "workspace released");
    workspace_.release_all();
  }
  if (files_.end_command() > 0) messages_.ASSERT(false, routine, "files closed");
  if (pivot_.table_open()) messages_.ASSERT(false, routine, "pivot table ended");
  pivot_.reset();
  active_.XYENDF();
  charts_.CX_TERMINATE();
  tables_.free_all();
  numerics_.end_command();
}

}  // namespace oscat::engine
