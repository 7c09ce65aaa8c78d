#include "engine/listing.hpp"

#include <algorithm>
#include <memory>

namespace oscat::engine {

ListingBuilder::ListingBuilder(Session& session) : session_(session) {}

void ListingBuilder::reset() { block_ = nullptr; }

// The block stays current only while nothing else (a message, a table) has
// been output after it; otherwise later lines start a new block so that the
// document keeps the order in which things were produced. New items go after
// the last item of the innermost open heading, which is always found by
// following the last items down from the command.
TextBlock* ListingBuilder::current() const {
  if (block_ == nullptr) return nullptr;
  auto& doc = const_cast<Session&>(session_).document();
  if (doc.commands.empty()) return nullptr;
  std::vector<Item>* items = &doc.commands.back().items;
  while (!items->empty()) {
    Item& last = items->back();
    if (auto* h = std::get_if<std::shared_ptr<Heading>>(&last)) {
      items = &(*h)->items;
      continue;
    }
    auto* tb = std::get_if<TextBlock>(&last);
    return tb == block_ ? tb : nullptr;
  }
  return nullptr;
}

TextBlock& ListingBuilder::block() {
  if (TextBlock* b = current()) return *b;
  session_.append(TextBlock{});
  auto& doc = session_.document();
  std::vector<Item>* items = &doc.commands.back().items;
  while (true) {
    Item& last = items->back();
    if (auto* h = std::get_if<std::shared_ptr<Heading>>(&last)) {
      if (!(*h)->items.empty()) {
        items = &(*h)->items;
        continue;
      }
    }
    block_ = std::get_if<TextBlock>(&last);
    break;
  }
  return *block_;
}

void ListingBuilder::PRTLNC(std::string_view line) {
  TextBlock& b = block();
  // Listing lines arrive blank padded to the page width; the padding means nothing.
  std::size_t start = 0;
  while (true) {
    std::size_t nl = line.find('\n', start);
    std::string_view part = line.substr(start, nl == std::string_view::npos ? line.npos : nl - start);
    std::size_t end = part.find_last_not_of(' ');
    b.lines.emplace_back(end == std::string_view::npos ? std::string_view() : part.substr(0, end + 1));
    if (nl == std::string_view::npos) break;
    start = nl + 1;
  }
}

void ListingBuilder::PUTSKP(int lines) {
  if (lines <= 0) return;
  TextBlock& b = block();
  b.lines.insert(b.lines.end(), static_cast<std::size_t>(std::min(lines, kMaxSkip)), std::string());
}

void ListingBuilder::PUTCPG() { block_ = nullptr; }

void ListingBuilder::PUTTAB(std::string_view title) {
  block().title = Text{{}, std::string(title), {}};
}

bool ListingBuilder::LINECK(int) { return true; }

int ListingBuilder::LINECT() const {
  const TextBlock* b = current();
  return b ? static_cast<int>(b->lines.size()) : 0;
}

}  // namespace oscat::engine
