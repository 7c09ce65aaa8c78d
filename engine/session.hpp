// The session: the output document being built and where new items go.
// Every output builder (messages, pivot tables, listings, charts) appends here.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "engine/output_model.hpp"

namespace oscat::engine {

class Session {
 public:
  // Start the output of a new command; items appended afterwards belong to it.
  void begin_command(std::string name, std::string syntax) {
    CommandOutput c;
    c.name = std::move(name);
    c.syntax = std::move(syntax);
    c.text_width = text_width_;
    doc_.commands.push_back(std::move(c));
    headings_.clear();
  }
  // SET WIDTH: the text width of the commands that follow (0: the renderer's default).
  void set_text_width(int width) { text_width_ = width; }
  int text_width() const { return text_width_; }
  // Items before any command (e.g. a problem reading the syntax file) go to an
  // unnamed command.
  CommandOutput& current() {
    if (doc_.commands.empty()) begin_command("", "");
    return doc_.commands.back();
  }
  void append(Item item) {
    if (!headings_.empty()) {
      headings_.back()->items.push_back(std::move(item));
    } else {
      current().items.push_back(std::move(item));
    }
  }
  void push_heading(Text title) {
    auto h = std::make_shared<Heading>();
    h->title = std::move(title);
    append(h);
    headings_.push_back(h);
  }
  void pop_heading() {
    if (!headings_.empty()) headings_.pop_back();
  }
  void add_note(Note n) { current().notes.push_back(std::move(n)); }

  // Errors issued during the whole run (drives the program's exit status).
  void count_error() { ++errors_; }
  int errors() const { return errors_; }

  const Document& document() const { return doc_; }
  Document& document() { return doc_; }

 private:
  Document doc_;
  std::vector<std::shared_ptr<Heading>> headings_;
  int errors_ = 0;
  int text_width_ = 0;
};

}  // namespace oscat::engine
