#include "data/saved.hpp"

#include <algorithm>
#include <cctype>
#include <set>

namespace oscat::data {

using host::H;
using host::Msg;

namespace {

std::string upper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

// Cut `s` to at most `bytes` without splitting a UTF-8 sequence.
std::string_view cut(std::string_view s, std::size_t bytes) {
  if (s.size() <= bytes) return s;
  std::size_t k = bytes;
  while (k > 0 && (static_cast<unsigned char>(s[k]) & 0xC0) == 0x80) --k;
  return s.substr(0, k);
}

}  // namespace

std::string ZYL_SaveName(std::string_view root, const SavedVar& v, int counter) {
  std::string suffix;
  if (v.number > 0) suffix += std::to_string(v.number);
  // Appended piece by piece: `"_" + std::to_string(...)` trips a false
  // -Wrestrict warning of the compiler.
  if (v.dim > 0) suffix.append("_").append(std::to_string(v.dim));
  suffix.append("_").append(std::to_string(counter));
  const std::size_t room =
      suffix.size() >= kMaxSavedNameLength ? 0 : kMaxSavedNameLength - suffix.size();
  std::string name(cut(root, room));
  return name + suffix;
}

int ZYL_SaveCounter(std::string_view root, const std::vector<SavedVar>& vars,
                    const std::function<bool(const std::string&)>& taken) {
  for (int c = 1; c <= kMaxSaveCounter; ++c) {
    std::set<std::string> batch;  // names compare without regard to case
    bool free = true;
    for (const auto& v : vars) {
      const std::string name = ZYL_SaveName(root, v, c);
      if (taken(name) || !batch.insert(upper(name)).second) {
        free = false;
        break;
      }
    }
    if (free) return c;
  }
  return 0;
}

std::string ZYL_SaveLabel(std::string_view number, std::string_view label, int dim) {
  auto& msg = H().msg;
  const bool numbered = !number.empty() && std::all_of(number.begin(), number.end(), [](char ch) {
    return std::isdigit(static_cast<unsigned char>(ch)) != 0;
  });
  const Msg c = msg.BP_BEGIN_COMPSTRING(numbered ? msg.CX_NSTRING(number) : msg.BP_CSTRING(number));
  if (!label.empty()) msg.BP_ADD_PARAMETER(c, msg.BP_CSTRING_NO_TRANSLATE(label));
  if (dim > 0) msg.BP_ADD_PARAMETER(c, msg.BP_IVALUE(dim));
  return msg.text(msg.BP_END_COMPSTRING(c));
}

std::vector<int> ZYL_CreateSaved(std::string_view root, const std::vector<SavedVar>& vars,
                                 std::string_view out_of_names_key) {
  auto& h = H();
  std::vector<int> made;
  if (vars.empty()) return made;
  const int counter =
      ZYL_SaveCounter(root, vars, [&](const std::string& name) { return h.dict.DICSCH(name) != 0; });
  if (counter == 0) {
    h.msg.BP_ERROR(h.msg.BP_CSTRING(out_of_names_key), 2, 2);
    return made;
  }
  const Msg group = h.msg.BP_CSTRING("Variables Created or Modified");
  for (const auto& v : vars) {
    host::VarInfo info = h.dict.DICCLR();
    info.name = ZYL_SaveName(root, v, counter);
    info.width = 0;
    info.label = v.label;
    const int index = h.dict.DICPUT(info);
    // The counter search made the name free and the root was checked as a
    // name, so the host refusing it is an internal fault.
    h.msg.ASSERT(index > 0, "ZYL_CreateSaved", "index .gt. 0");
    if (index <= 0) break;
    h.dict.VRLBLC(index, v.label);
    made.push_back(index);
    h.pivot.add_note(group, h.msg.BP_CSTRING_NO_TRANSLATE(info.name), h.msg.BP_CSTRING_NO_TRANSLATE(v.label));
  }
  return made;
}

bool ZYL_WriteSavedFile(int handle, std::string_view root, const std::vector<SavedVar>& vars, int rows,
                        const double* values, std::string_view contents_key) {
  std::vector<host::FileVar> dict;
  dict.reserve(vars.size());
  for (const auto& v : vars) {
    host::FileVar f;
    f.name = ZYL_SaveName(root, v, 1);
    f.label = v.label;
    dict.push_back(std::move(f));
  }
  return ZYL_WriteDataFile(handle, std::move(dict), rows, values, contents_key);
}

bool ZYL_WriteDataFile(int handle, std::vector<host::FileVar> dict, int rows, const double* values,
                       std::string_view contents_key) {
  auto& h = H();
  const std::string spec = h.files.path(handle);
  auto failed = [&]() {
    auto& msg = h.msg;
    const Msg c = msg.BP_BEGIN_COMPSTRING(msg.BP_CSTRING("ZYL OUTFILE ^1 not written."));
    msg.BP_ADD_PARAMETER(c, msg.BP_CSTRING_NO_TRANSLATE(spec));
    msg.BP_ERROR(msg.BP_END_COMPSTRING(c), 2, 3);
    return false;
  };
  if (!h.files.DSDICTX(handle, dict)) return failed();
  const auto k = dict.size();
  std::vector<host::FileValue> row(k);
  for (int i = 0; i < rows; ++i) {
    for (std::size_t t = 0; t < k; ++t)
      row[t] = host::FileValue::num(values[static_cast<std::size_t>(i) + t * static_cast<std::size_t>(rows)]);
    // A refused case leaves the file unclosed: closing would put a partial
    // file in place, and the host drops the unclosed temporary.
    if (!h.files.DSWRCASE(handle, row)) return failed();
  }
  // SFCLDE puts the file in place; a failure there raises the host's error flag.
  const bool flagged = h.msg.error_flag();
  h.files.SFCLDE(handle);
  if (!flagged && h.msg.error_flag()) return failed();
  h.pivot.add_note(h.msg.BP_CSTRING("Files Saved"), h.msg.BP_CSTRING_NO_TRANSLATE(spec),
                   h.msg.BP_CSTRING(contents_key));
  return true;
}

}  // namespace oscat::data
