// The oscat program: runs syntax files against the procedures of liboscat.so
// and writes one report (text, HTML or JSON).
//
// Exit status: 0 no error was issued; 1 a command issued an error (a GET DATA
// that cannot read its file included: the run goes on and the report says
// so); 2 nothing was run or no report was written (usage errors, an
// unreadable syntax or --data file, a refused --output, a missing library, a
// report that could not be written).
#include <dlfcn.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "engine/engine.hpp"
#include "engine/files.hpp"
#include "engine/host_commands.hpp"
#include "engine/numerics_state.hpp"
#include "engine/render_html.hpp"
#include "engine/render_json.hpp"
#include "engine/render_text.hpp"
#include "host/host.hpp"

#ifndef OSCAT_VERSION
#define OSCAT_VERSION "0.0.0"
#endif

namespace fs = std::filesystem;

namespace {

constexpr int kUsage = 2;

int fail(const std::string& text) {
  std::cerr << "oscat: " << text << "\n";
  return kUsage;
}

bool read_file(const std::string& path, std::string& out, std::string& error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = std::strerror(errno);
    return false;
  }
  std::ostringstream s;
  s << in.rdbuf();
  if (in.bad()) {
    error = std::strerror(errno);
    return false;
  }
  out = s.str();
  return true;
}

// The library lives next to the program; otherwise the loader's search path.
void* open_library(std::string& error) {
  std::error_code ec;
  fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  if (!ec) {
    fs::path lib = exe.parent_path() / "liboscat.so";
    if (fs::exists(lib, ec)) {
      if (void* h = dlopen(lib.c_str(), RTLD_NOW | RTLD_LOCAL)) return h;
      error = dlerror();
      return nullptr;
    }
  }
  if (void* h = dlopen("liboscat.so", RTLD_NOW | RTLD_LOCAL)) return h;
  error = dlerror();
  return nullptr;
}

// Where --output really goes: through symlinks to their target. Anything
// there that is not a regular file (a device, a pipe, a directory) is never
// replaced by a regular file.
bool output_target(const std::string& output, std::string& target, std::string& error) {
  std::error_code ec;
  fs::path p = fs::absolute(output, ec);
  for (int hops = 0; fs::is_symlink(fs::symlink_status(p, ec)); ++hops) {
    if (hops == 40) {
      error = "too many levels of symbolic links";
      return false;
    }
    const fs::path link = fs::read_symlink(p, ec);
    if (ec) {
      error = ec.message();
      return false;
    }
    p = link.is_absolute() ? link : p.parent_path() / link;
  }
  const fs::file_status st = fs::status(p, ec);
  if (fs::exists(st) && !fs::is_regular_file(st)) {
    error = "it is not a regular file (" + p.string() + "); the report replaces only regular files";
    return false;
  }
  target = p.lexically_normal().string();
  return true;
}

bool write_atomically(const std::string& path, const std::function<void(std::ostream&)>& write, std::string& error) {
  std::string tmp = path + ".tmp-" + std::to_string(::getpid());
  oscat::engine::register_temporary(tmp);
  struct Forget {
    std::string p;
    ~Forget() { oscat::engine::unregister_temporary(p); }
  } forget{tmp};
  {
    std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
    if (!out) {
      error = std::strerror(errno);
      return false;
    }
    try {
      write(out);
    } catch (...) {
      out.close();
      std::remove(tmp.c_str());
      throw;
    }
    out.close();
    if (!out) {
      error = std::strerror(errno);
      std::remove(tmp.c_str());
      return false;
    }
  }
  if (std::rename(tmp.c_str(), path.c_str()) != 0) {
    error = std::strerror(errno);
    std::remove(tmp.c_str());
    return false;
  }
  return true;
}

// Text reports fit the terminal they are shown on; anywhere else 80 columns.
int terminal_width() {
  struct winsize ws {};
  if (::isatty(STDOUT_FILENO) == 1 && ::ioctl(STDOUT_FILENO, TIOCGWINSZ, &ws) == 0 && ws.ws_col > 0)
    return ws.ws_col;
  return oscat::engine::kDefaultTextWidth;
}

// A file the run reads, as the user named it.
struct Input {
  fs::path path;
  std::string shown;
  std::string how;  // e.g. "read by GET DATA in cmd.sps"; empty for the command line's own
};

// A data file comes with its dictionary beside it.
void add_data_input(std::vector<Input>& inputs, const fs::path& path, const std::string& shown, const std::string& how) {
  inputs.push_back({path, shown, how});
  inputs.push_back({fs::path(path.string() + ".dict.json"), shown + ".dict.json", how.empty() ? "its dictionary" : how});
}

bool same_file(const fs::path& a, const fs::path& b) {
  std::error_code ec;
  if (fs::exists(a, ec) && fs::exists(b, ec)) return fs::equivalent(a, b, ec);
  // Not there yet: the same name is the same file once one is written.
  return fs::weakly_canonical(a, ec) == fs::weakly_canonical(b, ec);
}

const Input* clobbered(const std::string& target, const std::vector<Input>& inputs) {
  for (const auto& in : inputs)
    if (same_file(target, in.path)) return &in;
  return nullptr;
}

int refuse_output(const std::string& output, const Input& in) {
  return fail("--output " + output + " is the input file " + in.shown + (in.how.empty() ? "" : " (" + in.how + ")") +
              "; the report would replace it");
}

struct Source {
  std::string name;
  std::string text;
  std::string dir;  // base directory for relative file names
};

int run(const std::vector<std::string>& files, const std::string& data, const std::string& format,
        const std::string& output) {
  std::error_code ec;
  const std::string cwd = fs::current_path(ec).string();

  // Read every syntax file first: an unreadable one runs nothing.
  std::vector<Source> sources;
  bool stdin_used = false;
  for (const auto& f : files) {
    Source s;
    s.name = f;
    std::string error;
    if (f == "-") {
      if (stdin_used) return fail("standard input can be named only once");
      stdin_used = true;
      s.text.assign(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
      s.dir = cwd;
    } else {
      if (fs::is_directory(f, ec)) return fail("cannot read " + f + ": it is a directory");
      if (!read_file(f, s.text, error)) return fail("cannot read " + f + ": " + error);
      s.dir = fs::absolute(f, ec).parent_path().string();
    }
    sources.push_back(std::move(s));
  }

  // The report must never replace what the run reads: the syntax files, the
  // --data file, the files that GET DATA names, and their dictionaries.
  std::string target;
  if (!output.empty()) {
    std::string why;
    if (!output_target(output, target, why)) return fail("cannot write the report to " + output + ": " + why);
    std::vector<Input> inputs;
    if (!data.empty()) add_data_input(inputs, fs::absolute(data, ec), data, "");
    for (const auto& f : files)
      if (f != "-") inputs.push_back({fs::absolute(f, ec), f, ""});
    for (const auto& s : sources)
      for (const auto& spec : oscat::engine::get_data_files(s.text)) {
        fs::path p(spec);
        add_data_input(inputs, p.is_relative() ? fs::path(s.dir) / p : p, spec, "read by GET DATA in " + s.name);
      }
    if (const Input* in = clobbered(target, inputs)) return refuse_output(output, *in);
  }

  std::string error;
  void* lib = open_library(error);
  if (lib == nullptr) return fail("cannot load the procedure library liboscat.so: " + error);
  using LoadFn = void (*)(oscat::host::Host*);
  using ProcFn = void (*)(int*);
  auto load = reinterpret_cast<LoadFn>(dlsym(lib, "oscat_load"));
  if (load == nullptr) return fail("liboscat.so has no load notification (oscat_load)");

  oscat::engine::Engine engine;
  load(&engine.host());
  for (const char* name : {"CATPCA", "CATREG", "MCORRESP", "CORRES", "ANACOR", "HOMALS", "OVERAL", "PRINCL"}) {
    auto fn = reinterpret_cast<ProcFn>(dlsym(lib, name));
    if (fn == nullptr) return fail(std::string("liboscat.so does not export ") + name);
    engine.set_procedure(name, [fn] {
      int work = 0;  // the work array is the host's; this host keeps it behind GETMEM
      fn(&work);
    });
  }
  oscat::engine::install_interrupt_handler();
  // Long runs show their iteration or sample counter on a terminal only.
  engine.numerics().set_progress(stderr, ::isatty(STDERR_FILENO) != 0);

  if (!data.empty()) {
    if (!engine.load_data(fs::absolute(data, ec).string(), error)) return fail("cannot read " + data + ": " + error);
    // No command is running yet: how the cells were read goes to standard error.
    for (const auto& note : engine.active_file().read_notes())
      std::cerr << "oscat: " << data << ": " << engine.message_text(note.key, note.params) << "\n";
  }
  for (const auto& s : sources) {
    engine.set_base_dir(s.dir);
    engine.run_syntax(s.text);
    if (engine.interrupted()) break;
  }

  // Files the procedures read (their configuration and sign files, say) are
  // known only now; the report is not written over one either.
  if (!output.empty()) {
    std::vector<Input> read;
    for (const auto& f : engine.files().files_read()) add_data_input(read, f, f, "read by the run");
    if (const Input* in = clobbered(target, read)) return refuse_output(output, *in);
  }

  // The report is written as the document is walked, never held whole.
  const int width = output.empty() ? terminal_width() : oscat::engine::kDefaultTextWidth;
  auto write_report = [&](std::ostream& os) {
    if (format == "html") {
      oscat::engine::render_html(os, engine.document(), engine.title().empty() ? "oscat report" : engine.title());
    } else if (format == "json") {
      oscat::engine::render_json(os, engine.document(), OSCAT_VERSION);
    } else {
      oscat::engine::render_text(os, engine.document(), width);
    }
  };
  try {
    if (output.empty()) {
      write_report(std::cout);
      std::cout << std::flush;
      if (!std::cout) return fail("cannot write the report to standard output");
    } else if (!write_atomically(target, write_report, error)) {
      return fail("cannot write " + output + ": " + error);
    }
  } catch (const std::bad_alloc&) {
    return fail("not enough memory to write the report");
  }
  // The library stays loaded until exit: the engine's host may still be bound.
  return engine.errors() > 0 ? 1 : 0;
}

// The synopses of the command reference (docs/*.md), embedded at build time.
struct HelpPage {
  const char* title;
  const char* page;
  const char* synopsis;
};
const HelpPage kHelpPages[] = {
#include "help_pages.inc"
};

std::string upper(std::string s) {
  for (char& ch : s) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
  return s;
}

// `oscat help COMMAND`: a procedure's page by its title, a host command on the
// host commands' page. Words may be given separately or quoted together.
int help(const std::vector<std::string>& words) {
  std::string name;
  for (const auto& w : words) name += (name.empty() ? "" : " ") + upper(w);
  const HelpPage* found = nullptr;
  for (const auto& p : kHelpPages)
    if (upper(p.title) == name) found = &p;
  if (found == nullptr)
    for (const auto& c : oscat::engine::host_commands())
      if (c.name == name)
        for (const auto& p : kHelpPages)
          if (upper(p.title) == "HOST COMMANDS") found = &p;
  if (found == nullptr) {
    std::string known;
    for (const auto& p : kHelpPages)
      if (upper(p.title) != "HOST COMMANDS") known += std::string("\n  ") + p.title;
    for (const auto& c : oscat::engine::host_commands()) known += "\n  " + c.name;
    std::cerr << "oscat: no help for \"" << name << "\"; commands:" << known << "\n";
    return kUsage;
  }
  std::cout << found->synopsis << "\nThe whole reference: " << found->page << "\n";
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{"oscat: optimal scaling for categorical data.\nRuns syntax files and writes one report."};
  app.set_version_flag("--version", std::string("oscat ") + OSCAT_VERSION);
  app.require_subcommand(1);

  std::vector<std::string> files;
  std::string data, format = "text", output;
  CLI::App* run_cmd = app.add_subcommand("run", "Run syntax files (\"-\" reads standard input) in one session");
  run_cmd->add_option("files", files, "Syntax files, run in order")->required();
  run_cmd->add_option("--data", data, "CSV file read as the working data file before the syntax runs");
  run_cmd->add_option("--format", format, "Report format")->check(CLI::IsMember({"text", "html", "json"}));
  run_cmd->add_option("--output", output, "Write the report to this file instead of standard output");

  std::vector<std::string> help_words;
  CLI::App* help_cmd = app.add_subcommand("help", "Print the synopsis of a command, e.g. oscat help CATPCA");
  help_cmd->add_option("command", help_words, "A procedure or host command")->required();
  app.footer("Command reference: docs/README.md (one page per procedure and one for the host commands);\n"
             "oscat help COMMAND prints a command's synopsis.\n\n"
             "Text reports fit the terminal's width (80 columns elsewhere; SET WIDTH=n in the syntax).\n\n"
             "Exit status:\n"
             "  0  the run finished and no command issued an error\n"
             "  1  a command issued an error, e.g. a GET DATA that cannot read its file;\n"
             "     the later commands still run and the report says which\n"
             "  2  nothing was run or no report was written: a usage error, a syntax or\n"
             "     --data file that cannot be read, an --output that is refused (it is\n"
             "     not a regular file, or the run reads it), or a report not written");

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    int rc = app.exit(e);
    return rc == 0 ? 0 : kUsage;
  }
  if (help_cmd->parsed()) return help(help_words);
  return run(files, data, format, output);
}
