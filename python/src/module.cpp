// oscat._oscat: runs commands in this process, on a working data file built
// from columns the Python side hands over, and returns the output document.
//
// The engine is the program's: one Engine per run, the procedures from
// liboscat.so (loaded from beside this module). The run itself holds no GIL;
// the interrupt poll takes it briefly to let Python's SIGINT handler run.
#include <dlfcn.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include "engine/engine.hpp"
#include "engine/frame_input.hpp"
#include "engine/render_html.hpp"
#include "engine/render_json.hpp"
#include "engine/render_text.hpp"
#include "host/host.hpp"

#ifndef OSCAT_VERSION
#define OSCAT_VERSION "0.0.0"
#endif

namespace py = pybind11;
namespace eng = oscat::engine;
namespace host = oscat::host;

namespace {

// ------------------------------------------------------------ the library ---
using LoadFn = void (*)(host::Host*);
using ProcFn = void (*)(int*);

struct Library {
  LoadFn load = nullptr;
  std::vector<std::pair<std::string, ProcFn>> procs;
};

std::string module_dir() {
  Dl_info info{};
  if (dladdr(reinterpret_cast<void*>(&module_dir), &info) == 0 || info.dli_fname == nullptr) return {};
  return std::filesystem::path(info.dli_fname).parent_path().string();
}

// Loaded once and kept: the procedures keep no state between calls.
const Library& library() {
  static Library lib;
  static std::once_flag once;
  static std::string error;
  std::call_once(once, [] {
    const std::string path = module_dir() + "/liboscat.so";
    void* h = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (h == nullptr) {
      error = std::string("cannot load the procedure library: ") + dlerror();
      return;
    }
    lib.load = reinterpret_cast<LoadFn>(dlsym(h, "oscat_load"));
    for (const char* name : {"CATPCA", "CATREG", "MCORRESP", "CORRES", "ANACOR", "HOMALS", "OVERAL", "PRINCL"}) {
      auto fn = reinterpret_cast<ProcFn>(dlsym(h, name));
      if (fn == nullptr) {
        error = std::string("liboscat.so does not export ") + name;
        lib.load = nullptr;
        return;
      }
      lib.procs.emplace_back(name, fn);
    }
    if (lib.load == nullptr) error = "liboscat.so has no load notification (oscat_load)";
  });
  if (lib.load == nullptr) throw std::runtime_error(error);
  return lib;
}

// ------------------------------------------------------------ interrupts ---
// The engine's numerics with an interrupt poll that lets Python see Ctrl-C:
// Python's own SIGINT handler only records the signal; PyErr_CheckSignals
// (main thread, GIL held) runs the Python handler, which raises
// KeyboardInterrupt. That exception is kept for the caller and the engine's
// interrupt flag set, so the procedure stops as it does in the program.
class PollingNumerics : public host::Numerics {
 public:
  // `main_thread`: whether the run is in Python's main thread, the only one
  // whose PyErr_CheckSignals runs the handlers; elsewhere there is nothing to
  // poll, and taking the GIL would only slow other threads down.
  PollingNumerics(eng::NumericsState& base, bool main_thread) : base_(base), main_thread_(main_thread) {}
  ~PollingNumerics() override { drop(); }

  double URAND() override { return base_.URAND(); }
  std::uint64_t seed() const override { return base_.seed(); }
  void ODOMTR(std::string_view, long) override { poll(); }
  bool ATNJMP() const override {
    poll();
    return eng::interrupt_flag().load(std::memory_order_relaxed);
  }

  // The exception the signal handler raised (new reference), or null.
  PyObject* take_exception() {
    if (type_ == nullptr) return nullptr;
    PyErr_NormalizeException(&type_, &value_, &trace_);
    if (trace_ != nullptr) PyException_SetTraceback(value_, trace_);
    PyObject* v = value_;
    Py_XDECREF(type_);
    Py_XDECREF(trace_);
    type_ = value_ = trace_ = nullptr;
    return v;
  }

 private:
  void poll() const {
    if (eng::interrupt_flag().load(std::memory_order_relaxed)) return;
    if (!main_thread_ || std::this_thread::get_id() != owner_) return;  // the procedure's helper threads
    // A few checks a second are enough for a person at the keyboard and keep
    // the GIL out of the iterations.
    const auto now = std::chrono::steady_clock::now();
    if (now - last_ < std::chrono::milliseconds(50)) return;
    last_ = now;
    py::gil_scoped_acquire gil;
    if (PyErr_CheckSignals() != 0) {
      PyErr_Fetch(&type_, &value_, &trace_);
      eng::interrupt_flag().store(true);
    }
  }
  void drop() {
    if (type_ == nullptr || !Py_IsInitialized()) return;
    py::gil_scoped_acquire gil;
    Py_XDECREF(type_);
    Py_XDECREF(value_);
    Py_XDECREF(trace_);
    type_ = value_ = trace_ = nullptr;
  }

  eng::NumericsState& base_;
  bool main_thread_;
  std::thread::id owner_ = std::this_thread::get_id();
  mutable std::chrono::steady_clock::time_point last_{};
  mutable PyObject* type_ = nullptr;
  mutable PyObject* value_ = nullptr;
  mutable PyObject* trace_ = nullptr;
};

// ------------------------------------------------------------ the columns ---
// A numeric array as the file reads it in place: the frame's memory is not
// copied (the caller keeps the arrays alive for the run).
eng::ActiveFile::LentNumbers numbers_of(const py::array& a, const std::string& name) {
  using Kind = eng::ActiveFile::LentNumbers::Kind;
  if (a.ndim() != 1) throw py::value_error("column \"" + name + "\" is not one-dimensional");
  const py::dtype dt = a.dtype();
  const char kind = dt.kind();
  const auto size = dt.itemsize();
  Kind k = Kind::None;
  if (kind == 'f') k = size == 8 ? Kind::F64 : size == 4 ? Kind::F32 : Kind::None;
  if (kind == 'i') k = size == 8 ? Kind::I64 : size == 4 ? Kind::I32 : size == 2 ? Kind::I16 : size == 1 ? Kind::I8 : Kind::None;
  if (kind == 'u' || kind == 'b')
    k = size == 8 ? Kind::U64 : size == 4 ? Kind::U32 : size == 2 ? Kind::U16 : size == 1 ? Kind::U8 : Kind::None;
  if (k == Kind::None) throw py::value_error("column \"" + name + "\" has a type that is neither numbers nor text");
  if (!dt.attr("isnative").cast<bool>()) throw py::value_error("column \"" + name + "\" is not in the machine's byte order");
  eng::ActiveFile::LentNumbers lent;
  lent.data = static_cast<const char*>(a.data());
  lent.stride = a.strides(0);
  lent.kind = k;
  return lent;
}

// One column as the Python side describes it:
// (name, kind, data, label, value_labels, missing) with kind "num" (data: a
// numeric array, read in place; value labels [(number, text)]; missing (values, range or
// None)) or "str" (data: a sequence of str; value labels [(text, text)];
// missing (strings, None)).
eng::FrameVariable variable_of(const py::tuple& t) {
  if (t.size() != 6) throw py::value_error("a column is described by 6 fields");
  eng::FrameVariable v;
  v.name = t[0].cast<std::string>();
  const std::string kind = t[1].cast<std::string>();
  v.label = t[3].cast<std::string>();
  const py::tuple missing = t[5].cast<py::tuple>();
  if (kind == "num") {
    // A numpy array only: anything else would be converted into a temporary
    // that is gone before the file reads it.
    if (!py::isinstance<py::array>(t[2])) throw py::value_error("column \"" + v.name + "\": numbers must come as an array");
    const py::array data = t[2].cast<py::array>();
    v.lent = numbers_of(data, v.name);
    v.lent_rows = static_cast<std::size_t>(data.shape(0));
    v.value_labels = t[4].cast<std::vector<std::pair<double, std::string>>>();
    v.missing.values = missing[0].cast<std::vector<double>>();
    if (!missing[1].is_none()) {
      const auto range = missing[1].cast<std::pair<double, double>>();
      v.missing.has_range = true;
      v.missing.lo = range.first;
      v.missing.hi = range.second;
    }
  } else if (kind == "str") {
    v.is_string = true;
    const py::sequence cells = t[2].cast<py::sequence>();
    v.str.reserve(cells.size());
    for (const auto& c : cells) v.str.push_back(c.cast<std::string>());
    v.string_value_labels = t[4].cast<std::vector<std::pair<std::string, std::string>>>();
    v.missing.strings = missing[0].cast<std::vector<std::string>>();
  } else {
    throw py::value_error("unknown column kind " + kind);
  }
  return v;
}

// ------------------------------------------------------------- the result ---
struct NewVariable {
  std::string name, label;
  bool is_string = false;
  std::vector<double> num;
  std::vector<std::string> str;
  std::vector<std::pair<double, std::string>> value_labels;
};

class Result {
 public:
  eng::Document doc;
  std::string title;
  int errors = 0;
  bool interrupted = false;
  std::vector<NewVariable> new_vars;

  Result() = default;
  Result(const Result&) = delete;
  Result& operator=(const Result&) = delete;
  // Destroyed by Python (GIL held) or, before a run ends, with none kept.
  ~Result() { Py_XDECREF(exception_); }
  void set_exception(PyObject* e) { exception_ = e; }
  py::object exception() const {
    return exception_ == nullptr ? py::none() : py::reinterpret_borrow<py::object>(exception_);
  }

  std::string json() const { return eng::render_json(doc, OSCAT_VERSION); }
  std::string html(const std::string& t) const { return eng::render_html(doc, t.empty() ? title : t); }
  std::string text() const { return eng::render_text(doc); }
  // Every chart's SVG in document order (the order of the JSON report).
  std::vector<std::string> svgs() const {
    std::vector<std::string> out;
    for (const auto& c : doc.commands) collect(c.items, out);
    return out;
  }
  py::list new_variables() const {
    py::list out;
    for (const auto& v : new_vars) {
      py::object data;
      if (v.is_string) {
        data = py::cast(v.str);
      } else {
        py::array_t<double> a(static_cast<py::ssize_t>(v.num.size()));
        double* p = a.mutable_data();
        for (std::size_t i = 0; i < v.num.size(); ++i) p[i] = host::is_sysmis(v.num[i]) ? NAN : v.num[i];
        data = a;
      }
      out.append(py::make_tuple(v.name, v.label, v.is_string, data, v.value_labels));
    }
    return out;
  }

 private:
  static void collect(const std::vector<eng::Item>& items, std::vector<std::string>& out) {
    for (const auto& item : items) {
      if (const auto* c = std::get_if<eng::Chart>(&item)) out.push_back(c->svg);
      if (const auto* h = std::get_if<std::shared_ptr<eng::Heading>>(&item))
        if (*h) collect((*h)->items, out);
    }
  }
  PyObject* exception_ = nullptr;  // what the SIGINT handler raised, if anything
};

// One run at a time in the process: the procedures reach their host through
// one binding in the library, and the interrupt flag is process-wide.
std::mutex g_run;
std::atomic<std::thread::id> g_runner{};

std::unique_ptr<Result> run(const std::string& syntax, const py::list& columns, const std::string& weight,
                            const std::string& base_dir) {
  const Library& lib = library();
  if (g_runner.load() == std::this_thread::get_id())
    throw std::runtime_error("oscat.run was called again while a run of this thread is going on");

  std::vector<eng::FrameVariable> vars;
  vars.reserve(columns.size());
  for (const auto& c : columns) vars.push_back(variable_of(c.cast<py::tuple>()));

  const py::module_ threading = py::module_::import("threading");
  const bool main_thread = threading.attr("current_thread")().is(threading.attr("main_thread")());
  auto result = std::make_unique<Result>();
  py::gil_scoped_release nogil;
  std::lock_guard<std::mutex> lock(g_run);
  g_runner.store(std::this_thread::get_id());
  struct Clear {
    ~Clear() {
      eng::interrupt_flag().store(false);
      g_runner.store(std::thread::id{});
    }
  } clear;
  eng::interrupt_flag().store(false);

  eng::Engine engine;
  PollingNumerics numerics(engine.numerics(), main_thread);
  host::Host& base = engine.host();
  host::Host bound{base.tokens, base.dict,    base.cases, base.workspace, base.tables, base.msg,
                   base.pivot,  base.listing, numerics,   base.files,     base.charts};
  lib.load(&bound);
  for (const auto& [name, fn] : lib.procs) {
    ProcFn f = fn;
    engine.set_procedure(name, [f] {
      int work = 0;
      f(&work);
    });
  }
  engine.numerics().set_progress(nullptr, false);
  engine.set_base_dir(base_dir);

  const std::size_t ninput = vars.size();
  if (ninput > 0) {
    std::string error;
    if (!eng::load_frame(engine.active_file(), engine.dictionary(), std::move(vars), error)) {
      py::gil_scoped_acquire gil;
      throw py::value_error(error);
    }
    if (!weight.empty()) {
      const int w = engine.dictionary().DICSCH(weight);
      if (w == 0 || !engine.active_file().set_weight(w)) {
        py::gil_scoped_acquire gil;
        throw py::value_error("weight \"" + weight + "\" is not a numeric column of the data");
      }
    }
  }
  const std::uint64_t generation = engine.dictionary().generation();
  const int rows = engine.active_file().rows();

  engine.run_syntax(syntax);

  // What procedures saved: the variables added to the frame's file, as long
  // as the syntax did not replace that file.
  eng::DictionaryStore& dict = engine.dictionary();
  eng::ActiveFile& active = engine.active_file();
  if (ninput > 0 && dict.generation() == generation && active.rows() == rows) {
    for (int var = static_cast<int>(ninput) + 1; var <= dict.size(); ++var) {
      const host::VarInfo& info = dict.DICGET(var);
      NewVariable v{info.name, info.label, info.is_string(), {}, {}, dict.value_labels(var)};
      if (v.is_string) {
        v.str.reserve(static_cast<std::size_t>(rows));
        for (int r = 0; r < rows; ++r) v.str.push_back(active.text(var, r));
      } else {
        v.num.reserve(static_cast<std::size_t>(rows));
        for (int r = 0; r < rows; ++r) v.num.push_back(active.number(var, r));
      }
      result->new_vars.push_back(std::move(v));
    }
  }
  result->doc = std::move(engine.session().document());
  result->title = engine.title();
  result->errors = engine.errors();
  result->interrupted = engine.interrupted();
  {
    py::gil_scoped_acquire gil;
    result->set_exception(numerics.take_exception());
  }
  return result;
}

}  // namespace

PYBIND11_MODULE(_oscat, m) {
  m.doc() = "oscat's engine in this process (use the oscat package, not this module)";
  m.attr("version") = OSCAT_VERSION;
  m.attr("SYSMIS") = host::SYSMIS;

  py::class_<Result>(m, "Result")
      .def("json", &Result::json, py::call_guard<py::gil_scoped_release>())
      .def("html", &Result::html, py::arg("title") = "", py::call_guard<py::gil_scoped_release>())
      .def("text", &Result::text, py::call_guard<py::gil_scoped_release>())
      .def("svgs", &Result::svgs)
      .def("new_variables", &Result::new_variables)
      .def_readonly("title", &Result::title)
      .def_readonly("errors", &Result::errors)
      .def_readonly("interrupted", &Result::interrupted)
      .def_property_readonly("exception", &Result::exception);

  m.def("run", &run, py::arg("syntax"), py::arg("columns"), py::arg("weight") = "", py::arg("base_dir") = "",
        "Run the commands of `syntax` on the working data file built from `columns`; one run at a time.");
}
