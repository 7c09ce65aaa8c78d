// Pivot-table builder: turns the procedures' BP_* table calls into
// engine::Table items of the session.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "engine/messages.hpp"
#include "engine/output_model.hpp"
#include "engine/session.hpp"
#include "host/host.hpp"

namespace oscat::engine {

class PivotBuilder : public host::Pivot {
 public:
  PivotBuilder(Session& session, MessageStore& msg, const host::Dictionary& dict);

  // Forget any unfinished table and headings (between commands).
  void reset();

  // For tests and the host: what the procedure declared.
  const std::vector<int>& table_ids() const { return table_ids_; }
  bool table_ids_ended() const { return table_ids_ended_; }
  bool table_open() const { return table_.has_value(); }

  void BP_PROCEDURE(std::string_view title) override;
  void BP_END_PROCEDURE() override;
  void BP_TABLE_ID(int id) override;
  void BP_END_TABLE_IDS() override;
  void BP_BEGIN_HEADING(host::Msg title) override;
  void BP_END_HEADING() override;

  int BP_BEGIN_PIVOT_TABLE(host::Msg title, int table_id, host::Msg name = 0) override;
  int BP_POSITION_DIMENSION(host::Msg label, host::Axis axis) override;
  int BP_CATEGORY_DIMENSION(host::Msg label, host::Axis axis) override;
  int BP_CELL_DIMENSION(host::Msg label, host::Axis axis) override;
  void BP_HIDE_DIMENSION_LABEL(int dim) override;
  void BP_BEGIN_GROUP(int dim, host::Msg label) override;
  void BP_END_GROUP(int dim) override;
  int BP_CELL_IN_CATEGORY(int dim, host::Msg label) override;
  void BP_SET_VALUE(const host::CellRef& cell, double value, host::Format f) override;
  void BP_SET_TEXT(const host::CellRef& cell, host::Msg text) override;
  void BP_ANNOTATE(host::Msg footnote) override;
  void BP_ANNOTATE_CATEGORY(int dim, int category, host::Msg footnote) override;
  void BP_ANNOTATE_CELL(const host::CellRef& cell, host::Msg footnote) override;
  void BP_DATA_COL_MIN_MAX_WIDTH(int min_chars, int max_chars) override;
  void BP_END_PIVOT_TABLE() override;
  void BP_ABANDON_PIVOT_TABLE() override;

  host::Msg BP_VARIABLE(int var) override;
  host::Msg BP_VARINDEX(int var) override;
  host::Msg BP_VARVALUE(int var, double value) override;
  host::Msg BP_VARVALUE(int var, std::string_view value) override;

  void add_note(host::Msg group, host::Msg item, host::Msg contents) override;

 private:
  int add_dimension(host::Msg label, host::Axis axis, const char* routine);
  bool check_table(const char* routine);
  bool check_dim(int dim, const char* routine);
  // Validated cell key, or nullopt after reporting an internal error.
  std::optional<std::vector<int>> cell_key(const host::CellRef& cell, const char* routine);
  // Footnote index for the text of `footnote` (a new marker on first use).
  std::optional<int> footnote(host::Msg footnote, const char* routine);
  std::vector<DimNode>& open_children(int dim);
  bool valid_var(int var, const char* routine) const;

  Session& session_;
  MessageStore& msg_;
  const host::Dictionary& dict_;

  std::optional<Table> table_;
  int tables_begun_ = 0;
  // Per dimension of the open table: child indexes of the open groups.
  std::vector<std::vector<std::size_t>> open_groups_;
  std::map<std::string, int> footnote_index_;  // footnote text -> index

  std::vector<int> table_ids_;
  bool table_ids_ended_ = false;
  int headings_open_ = 0;
};

// Footnote marker for index i: "a".."z", "aa", "ab", ...
std::string footnote_marker(int index);

}  // namespace oscat::engine
