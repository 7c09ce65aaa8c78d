// The procedure frame: what every procedure does around its own work.
//
// Opening: BP_PROCEDURE, the split-file warning (the whole file is analysed
// as one group), keeping the token stack and beginning data access. Closing,
// on every path including an exception: "Insufficient memory." once after a
// shortfall, the procedure's own closing steps, every workspace block
// released, data access ended, token stack dropped, split setting restored,
// chart work ended, BP_END_PROCEDURE.
//
//   frame::ProcedureFrame f({"CATPCA", "CATPCA"});
//   f.run([&] { if (!f.open()) return; ...; });
//
// run() turns an exception into a report for this command (an internal
// error, or "Insufficient memory." for an exhausted heap); the frame then
// closes as on any other error and the host goes on to the next command.
#pragma once

#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "frame/workspace.hpp"

namespace oscat::frame {

struct FrameSpec {
  std::string_view title;      // BP_PROCEDURE title
  std::string_view routine;    // the export's name, for internal-error reports
  bool keep_tokens = true;     // SSTACK / SSDELS around the command
};

class ProcedureFrame {
 public:
  explicit ProcedureFrame(const FrameSpec& spec);
  ~ProcedureFrame();
  ProcedureFrame(const ProcedureFrame&) = delete;
  ProcedureFrame& operator=(const ProcedureFrame&) = delete;

  // The token stack is kept and data access granted: the command may go on.
  bool open() const { return open_; }
  // Data access was granted (XYBEG).
  bool data_access() const { return begun_; }
  Workspace& workspace() { return ws_; }

  // BP_TABLE_ID for each identifier, then BP_END_TABLE_IDS.
  void declare_tables(std::span<const int> ids);
  // The credit table: six untranslated lines (title, version, "by" and three
  // lines of attribution).
  void credit(std::span<const char* const> lines);
  // A closing step of the procedure's own (value tables, output files); run
  // in order of registration, before the workspace is released.
  void at_close(std::function<void()> step) { closers_.push_back(std::move(step)); }

  // Runs `body`, reporting any exception it throws as this command's error.
  void run(const std::function<void()>& body);

  // A failed allocation or an error reported through the host.
  bool failed() const;

 private:
  void close() noexcept;
  std::string routine_;
  Workspace ws_;
  std::vector<std::function<void()>> closers_;
  int saved_split_ = 0;
  bool stacked_ = false, begun_ = false, open_ = false;
};

// Credit lines shared by every procedure after its title and version.
inline constexpr const char* kCreditBy = "by";
inline constexpr const char* kCreditGroup = "oscat project";
inline constexpr const char* kCreditLicence = "open source";

}  // namespace oscat::frame
