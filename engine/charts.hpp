// The host's chart library: collects a chart description call by call and,
// when the procedure ends the chart, renders it and appends it to the output.
#pragma once

#include <functional>
#include <map>
#include <span>
#include <string_view>

#include "engine/output_model.hpp"
#include "engine/session.hpp"
#include "host/host.hpp"

namespace oscat::engine {

class ChartBuilder : public host::Charts {
 public:
  // `resolve` turns a message handle into its text (key, shown text, parameters).
  ChartBuilder(Session& session, host::Messages& msg, std::function<Text(host::Msg)> resolve);

  int CX_CREATECHARTDESCRIPTION(std::string_view chart_template) override;
  void CX_ADDFRAMEWITHLABEL(int chart, host::ChartFrame frame, host::Msg text) override;
  int CX_ADDAGGREGATE(int chart, host::Msg name, bool is_text) override;
  void CX_ADDXYDIMAXISWITHSAMERATIO(int chart, int x_col, int y_col, host::Msg x_label, host::Msg y_label) override;
  void CX_ADDXYDIMENSIONWITHAXIS(int chart, int x_col, int y_col, host::Msg x_label, host::Msg y_label) override;
  int CX_ADDXYELEMENTEX(int chart, host::ElementKind kind, int group_col) override;
  void CX_ADDSPLOMELEMENT(int chart, std::span<const int> cols, host::Msg label) override;
  void CX_ADDLABELING(int chart, int element, int label_col, int max_chars) override;
  void CX_SETELEMENTROWS(int chart, int element, int col) override;
  void CX_SETELEMENTDOT(int chart, int element, host::ElementDot dot) override;
  void CX_ADDLEGENDFRAMEEX(int chart, host::Msg title) override;
  void CX_ADDXREFERENCELINE(int chart, double x) override;
  void CX_ADDYREFERENCELINE(int chart, double y) override;
  void CX_ADDROW(int chart) override;
  void CX_ADDDATAVALUE(int chart, int col, double value) override;
  void CX_ADDDATATEXT(int chart, int col, host::Msg text) override;
  void CX_ENDCHART(int chart) override;
  void CX_KILLCHART(int chart) override;
  void CX_TERMINATE() override;

  // Charts opened and neither ended nor discarded yet.
  std::size_t open_charts() const { return open_.size(); }

 private:
  Chart* find(int chart);
  // 1-based column handle to a column index, -1 when invalid.
  int column(const Chart& c, int col) const;
  void set_axes(int chart, int x_col, int y_col, host::Msg x_label, host::Msg y_label, bool same_ratio);
  Text text(host::Msg m) const;

  Session& session_;
  [[maybe_unused]] host::Messages& msg_;
  std::function<Text(host::Msg)> resolve_;
  std::map<int, Chart> open_;
  int next_ = 1;
};

}  // namespace oscat::engine
