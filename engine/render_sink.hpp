// Report text written in pieces: the renderers append to a small buffer that
// goes to the stream whenever it fills, so that no report is ever held whole.
#pragma once

#include <ostream>
#include <string>
#include <string_view>

namespace oscat::engine {

class Sink {
 public:
  explicit Sink(std::ostream& os) : os_(os) {}
  ~Sink() { flush(); }
  Sink(const Sink&) = delete;
  Sink& operator=(const Sink&) = delete;

  Sink& operator+=(std::string_view s) {
    buf_ += s;
    if (buf_.size() >= kChunk) flush();
    return *this;
  }
  Sink& operator+=(char c) {
    buf_ += c;
    if (buf_.size() >= kChunk) flush();
    return *this;
  }
  void flush() {
    os_.write(buf_.data(), static_cast<std::streamsize>(buf_.size()));
    buf_.clear();
  }

 private:
  static constexpr std::size_t kChunk = 1 << 16;
  std::ostream& os_;
  std::string buf_;
};

}  // namespace oscat::engine
