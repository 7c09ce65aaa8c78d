// One chart description being built: created with its title (and subtitle),
// emitted at the end only when it is complete and no error was reported.
#pragma once

#include <string_view>

#include "host/host.hpp"

namespace oscat::frame {

struct Chart {
  host::Charts& cx = host::H().charts;
  int id = 0;
  Chart(std::string_view chart_template, host::Msg title, host::Msg subtitle = 0) {
    id = cx.CX_CREATECHARTDESCRIPTION(chart_template);
    cx.CX_ADDFRAMEWITHLABEL(id, host::ChartFrame::Title, title);
    if (subtitle != 0) cx.CX_ADDFRAMEWITHLABEL(id, host::ChartFrame::Subtitle, subtitle);
  }
  void end(bool ok) {
    if (ok && !host::H().msg.error_flag()) cx.CX_ENDCHART(id);
    else cx.CX_KILLCHART(id);
  }
};

}  // namespace oscat::frame
