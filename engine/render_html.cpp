#include "engine/render_html.hpp"

#include <sstream>

#include "engine/render_sink.hpp"
#include "engine/render_text.hpp"
#include "engine/svg.hpp"

namespace oscat::engine {
namespace {

const char* const kStyle = R"CSS(
:root { --ink:#1d2733; --muted:#5b6773; --rule:#c9d1da; --head:#eef2f6; --accent:#1f5fa8; }
* { box-sizing: border-box; }
body { margin:0; font-family: "Segoe UI", Helvetica, Arial, sans-serif; font-size:14px; color:var(--ink); background:#f6f8fa; }
header.page { background:#1f3b57; color:#fff; padding:14px 28px; }
header.page h1 { margin:0; font-size:20px; font-weight:600; letter-spacing:.2px; }
.layout { display:flex; align-items:flex-start; }
nav.outline { position:sticky; top:0; width:260px; flex:none; max-height:100vh; overflow:auto; padding:16px 10px 16px 20px; border-right:1px solid var(--rule); background:#fff; font-size:13px; }
nav.outline h2 { font-size:13px; text-transform:uppercase; color:var(--muted); margin:0 0 8px; letter-spacing:.6px; }
nav.outline ol { list-style:none; margin:0; padding-left:12px; }
nav.outline > ol { padding-left:0; }
nav.outline li { margin:3px 0; }
nav.outline a { color:var(--ink); text-decoration:none; }
nav.outline a:hover { color:var(--accent); text-decoration:underline; }
nav.outline .cmd > a { font-weight:600; }
nav.outline .sev-warning > a { color:#8a5a00; }
nav.outline .sev-error > a { color:#a61b1b; }
main { flex:1; min-width:0; padding:18px 28px 40px; }
section.command { background:#fff; border:1px solid var(--rule); border-radius:6px; padding:14px 22px 18px; margin-bottom:22px; }
section.command > h2 { margin:0 0 6px; font-size:18px; color:#1f3b57; }
section.command.empty { padding:6px 22px; margin-bottom:8px; }
section.command.empty > h2 { font-size:14px; margin:0; display:inline-block; margin-right:12px; }
section.command.empty details.syntax { display:inline-block; margin:0; }
section.command > h2 .proc { font-weight:400; color:var(--muted); margin-left:8px; }
details.syntax { margin:4px 0 12px; }
details.syntax summary { cursor:pointer; color:var(--muted); font-size:12px; }
details.syntax pre { background:#f3f5f7; border:1px solid var(--rule); padding:8px 10px; border-radius:4px; }
section.heading { border-left:3px solid var(--rule); padding-left:14px; margin:14px 0; }
section.heading > h3 { font-size:15px; margin:6px 0 10px; }
.item { margin:14px 0 20px; }
table.pivot { border-collapse:collapse; font-size:13px; font-variant-numeric:tabular-nums; border-bottom:2px solid #7b8894; }
table.pivot + table.pivot { margin-top:16px; }
table.pivot caption { caption-side:top; text-align:left; font-weight:600; font-size:14px; padding:0 0 6px; }
table.pivot th, table.pivot td { padding:3px 10px; vertical-align:top; }
table.pivot thead th { background:var(--head); font-weight:600; text-align:center; border-bottom:1px solid var(--rule); }
table.pivot thead th.group { border-bottom:1px solid #9aa7b4; }
table.pivot thead th.blank, table.pivot thead th.corner { border-bottom:none; }
table.pivot thead th.rowdim { text-align:left; vertical-align:bottom; }
table.pivot thead tr:last-child th { border-bottom:2px solid #7b8894; }
table.pivot tbody th { text-align:left; font-weight:500; background:#fafbfc; border-right:1px solid var(--rule); }
table.pivot tbody td { text-align:right; white-space:nowrap; }
table.pivot tbody td.text { text-align:left; white-space:normal; }
table.pivot tbody tr.boundary > * { border-top:1px solid var(--rule); }
table.pivot sup, .footnotes sup { color:var(--accent); font-size:10px; margin-left:1px; }
.layer { color:var(--muted); font-size:12px; margin:6px 0 2px; }
.footnotes { font-size:12px; color:var(--muted); margin-top:4px; }
.footnotes p { margin:1px 0; }
.msg { border-left:4px solid; border-radius:3px; padding:6px 12px; margin:10px 0; }
.msg .sev { font-weight:600; margin-right:6px; }
.msg.note { border-color:#1f5fa8; background:#eef4fb; }
.msg.warning { border-color:#d99a00; background:#fff8e5; }
.msg.error { border-color:#c62828; background:#fdecec; }
figure.chart { margin:10px 0; }
figure.chart svg { max-width:100%; height:auto; border:1px solid var(--rule); border-radius:4px; background:#fff; }
.textblock h4 { margin:4px 0; font-size:14px; }
.textblock pre, pre.listing { font-family: Consolas, "DejaVu Sans Mono", monospace; font-size:12.5px; background:#fbfbfc; border:1px solid var(--rule); padding:8px 10px; overflow:auto; }
.notes table { border-collapse:collapse; font-size:13px; }
.notes th, .notes td { border-bottom:1px solid var(--rule); padding:3px 10px; text-align:left; }
.notes h4 { margin:8px 0 4px; font-size:14px; }
)CSS";

std::string esc(std::string_view s) { return xml_escape(s); }

std::string sup_marks(const std::vector<std::string>& marks) {
  std::string out;
  for (const auto& m : marks) out += "<sup>" + esc(m) + "</sup>";
  return out;
}

std::string text_html(const LayoutText& t) { return esc(t.text) + sup_marks(t.marks); }

std::string span_attr(const char* name, int n) {
  return n > 1 ? std::string(" ") + name + "=\"" + std::to_string(n) + "\"" : std::string();
}

void table_html(Sink& out, const Table& t) {
  TableLayout L = layout_table(t);
  for (std::size_t ly = 0; ly < L.layers.size(); ++ly) {
    const LayerBlock& block = L.layers[ly];
    out += "<table class=\"pivot\">\n<caption>" + text_html(L.title);
    for (const auto& cap : block.caption) out += "<div class=\"layer\">" + esc(cap) + "</div>";
    out += "</caption>\n<thead>\n";
    const int nh = static_cast<int>(L.header.size());
    if (nh == 0) {
      bool any = false;
      for (const auto& c : L.corner) any = any || !c.empty();
      if (any) {
        out += "<tr>";
        for (const auto& c : L.corner) out += "<th class=\"rowdim\">" + esc(c) + "</th>";
        for (int c = 0; c < L.data_cols; ++c) out += "<th></th>";
        out += "</tr>\n";
      }
    }
    for (int r = 0; r < nh; ++r) {
      out += "<tr>";
      if (L.label_cols > 0) {
        if (r == 0 && nh > 1)
          out += "<th class=\"corner\"" + span_attr("colspan", L.label_cols) + span_attr("rowspan", nh - 1) + "></th>";
        if (r == nh - 1)
          for (const auto& c : L.corner) out += "<th class=\"rowdim\">" + esc(c) + "</th>";
      }
      for (const auto& s : L.header[r]) {
        bool group = s.group && !s.label.text.empty();
        bool blank = s.label.text.empty() && r + 1 < nh;
        out += std::string("<th") + (group ? " class=\"group\"" : blank ? " class=\"blank\"" : "") + span_attr("colspan", s.count) + ">" +
               text_html(s.label) + "</th>";
      }
      out += "</tr>\n";
    }
    out += "</thead>\n<tbody>\n";
    for (const auto& row : block.rows) {
      out += row.boundary && L.label_cols > 1 ? "<tr class=\"boundary\">" : "<tr>";
      for (const auto& lc : row.labels)
        if (lc.shown) out += "<th scope=\"row\"" + span_attr("rowspan", lc.rowspan) + ">" + text_html(lc.label) + "</th>";
      for (const auto& c : row.cells) out += std::string("<td") + (c.is_text ? " class=\"text\"" : "") + ">" + text_html(c) + "</td>";
      out += "</tr>\n";
    }
    out += "</tbody>\n</table>\n";
  }
  if (!L.footnotes.empty()) {
    out += "<div class=\"footnotes\">";
    for (const auto& [m, text] : L.footnotes) out += "<p><sup>" + esc(m) + "</sup> " + esc(text) + "</p>";
    out += "</div>\n";
  }
}

const char* severity_class(int s) { return s <= 1 ? "note" : s == 2 ? "warning" : "error"; }
const char* severity_word(int s) { return s <= 1 ? "Note" : s == 2 ? "Warning" : "Error"; }

std::string item_label(const Item& item) {
  if (const Table* t = std::get_if<Table>(&item)) return t->title.text.empty() ? "Table" : t->title.text;
  if (const Message* m = std::get_if<Message>(&item)) return severity_word(m->severity);
  if (const Chart* c = std::get_if<Chart>(&item)) return c->title.text.empty() ? "Chart" : c->title.text;
  if (const TextBlock* b = std::get_if<TextBlock>(&item)) return b->title.text.empty() ? "Text" : b->title.text;
  const auto& h = std::get<std::shared_ptr<Heading>>(item);
  return h && !h->title.text.empty() ? h->title.text : "Heading";
}

void outline(Sink& out, const std::vector<Item>& items, const std::string& prefix) {
  out += "<ol>";
  for (std::size_t i = 0; i < items.size(); ++i) {
    std::string id = prefix + "-" + std::to_string(i + 1);
    const Message* m = std::get_if<Message>(&items[i]);
    out += m ? std::string("<li class=\"sev-") + severity_class(m->severity) + "\">" : std::string("<li>");
    out += "<a href=\"#" + id + "\">" + esc(item_label(items[i])) + "</a>";
    if (const auto* h = std::get_if<std::shared_ptr<Heading>>(&items[i]); h && *h && !(*h)->items.empty())
      outline(out, (*h)->items, id);
    out += "</li>";
  }
  out += "</ol>";
}

void items_html(Sink& out, const std::vector<Item>& items, const std::string& prefix);

void item_html(Sink& out, const Item& item, const std::string& id) {
  if (const Table* t = std::get_if<Table>(&item)) {
    out += "<div class=\"item table\" id=\"" + id + "\">\n";
    table_html(out, *t);
    out += "</div>\n";
  } else if (const Message* m = std::get_if<Message>(&item)) {
    std::string head = severity_word(m->severity);
    if (m->number != 0) head += " " + std::to_string(m->number);
    out += std::string("<div class=\"item msg ") + severity_class(m->severity) + "\" id=\"" + id +
           "\"><span class=\"sev\">" + esc(head) + "</span>" + esc(m->text.text) + "</div>\n";
  } else if (const Chart* c = std::get_if<Chart>(&item)) {
    out += "<figure class=\"item chart\" id=\"" + id + "\">\n";
    out += c->svg.empty() ? render_svg(*c) : c->svg;
    out += "</figure>\n";
  } else if (const TextBlock* b = std::get_if<TextBlock>(&item)) {
    out += "<div class=\"item textblock\" id=\"" + id + "\">";
    if (!b->title.text.empty()) out += "<h4>" + esc(b->title.text) + "</h4>";
    out += "<pre>";
    for (const auto& l : b->lines) out += esc(l) + "\n";
    out += "</pre></div>\n";
  } else if (const auto* h = std::get_if<std::shared_ptr<Heading>>(&item)) {
    out += "<section class=\"heading\" id=\"" + id + "\">\n<h3>" + esc(*h ? (*h)->title.text : std::string()) +
           "</h3>\n";
    if (*h) items_html(out, (*h)->items, id);
    out += "</section>\n";
  }
}

void items_html(Sink& out, const std::vector<Item>& items, const std::string& prefix) {
  for (std::size_t i = 0; i < items.size(); ++i) item_html(out, items[i], prefix + "-" + std::to_string(i + 1));
}

}  // namespace

void render_html(std::ostream& os, const Document& doc, std::string_view title) {
  Sink out(os);
  out += "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
         "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n<title>" +
         esc(title) + "</title>\n<style>" + kStyle + "</style>\n</head>\n<body>\n";
  out += "<header class=\"page\"><h1>" + esc(title) + "</h1></header>\n<div class=\"layout\">\n";
  out += "<nav class=\"outline\"><h2>Outline</h2><ol>";
  for (std::size_t i = 0; i < doc.commands.size(); ++i) {
    const auto& c = doc.commands[i];
    std::string id = "c" + std::to_string(i + 1);
    std::string name = c.name.empty() ? (c.procedure_title.empty() ? "Output" : c.procedure_title) : c.name;
    out += "<li class=\"cmd\"><a href=\"#" + id + "\">" + esc(name) + "</a>";
    if (!c.items.empty()) outline(out, c.items, id);
    if (!c.notes.empty()) out += "<ol><li><a href=\"#" + id + "-notes\">Notes</a></li></ol>";
    out += "</li>";
  }
  out += "</ol></nav>\n<main>\n";
  for (std::size_t i = 0; i < doc.commands.size(); ++i) {
    const auto& c = doc.commands[i];
    std::string id = "c" + std::to_string(i + 1);
    const bool empty = c.items.empty() && c.notes.empty();
    out += std::string("<section class=\"command") + (empty ? " empty" : "") + "\" id=\"" + id + "\">\n<h2>" +
           esc(c.name.empty() ? "Output" : c.name);
    if (!c.procedure_title.empty()) out += "<span class=\"proc\">" + esc(c.procedure_title) + "</span>";
    out += "</h2>\n";
    if (!c.syntax.empty())
      out += "<details class=\"syntax\"><summary>Syntax</summary><pre>" + esc(c.syntax) + "</pre></details>\n";
    items_html(out, c.items, id);
    if (!c.notes.empty()) {
      out += "<div class=\"item notes\" id=\"" + id + "-notes\"><h4>Notes</h4><table>\n";
      for (const auto& n : c.notes)
        out += "<tr><th>" + esc(n.group.text) + "</th><td>" + esc(n.item.text) + "</td><td>" + esc(n.contents.text) +
               "</td></tr>\n";
      out += "</table></div>\n";
    }
    out += "</section>\n";
  }
  out += "</main>\n</div>\n</body>\n</html>\n";
}

std::string render_html(const Document& doc, std::string_view title) {
  std::ostringstream os;
  render_html(os, doc, title);
  return os.str();
}

}  // namespace oscat::engine
