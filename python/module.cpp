// sceneinfo._native: the scene and its queries, answered through the
// plug-in's channel exactly as sci answers them. The Python package around
// it adds the views, the errors and the parallel scan.

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <cmath>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "python/answer_object.h"
#include "python/plugin_location.h"
#include "python/scene_handle.h"
#include "scene/import/guarded_import.h"
#include "scene/import/import_settings.h"
#include "session/query_list.h"
#include "session/query_table.h"
#include "session/value_text.h"

namespace py = pybind11;
using sceneinfo::SceneHandle;

namespace {

// Raises the exception class `name` of sceneinfo._errors with `message`.
[[noreturn]] void Raise(const char* name, const std::string& message) {
  const py::object type = py::module_::import("sceneinfo._errors").attr(name);
  PyErr_SetObject(type.ptr(), py::str(message).ptr());
  throw py::error_already_set();
}

py::object ParseJson(const std::string& text) { return py::module_::import("json").attr("loads")(text); }

// The query a str names. Names found are kept (a bounded number of them),
// so that a name asked again is not folded and looked up again; the dict is
// never freed, as it must not outlive the interpreter.
const sci::InfoTypeInfo* FindNamedQuery(const py::handle& name) {
  static PyObject* const found = PyDict_New();
  if (PyObject* index = PyDict_GetItemWithError(found, name.ptr())) return &Importing::kInfoTypes[PyLong_AsLong(index)];
  if (PyErr_Occurred()) throw py::error_already_set();
  const sci::InfoTypeInfo* info = sci::FindQuery(name.cast<std::string>());
  if (info != nullptr && PyDict_Size(found) < 1024 &&
      PyDict_SetItem(found, name.ptr(), py::int_(static_cast<int>(info->value)).ptr()) != 0)
    throw py::error_already_set();
  return info;
}

// A Python int read as sci reads its decimal text: the nearest float. False
// for anything else, and for ints too large for this shortcut.
bool ReadInt(const py::handle& value, float* number) {
  if (!PyLong_CheckExact(value.ptr())) return false;
  int overflow = 0;
  const long long whole = PyLong_AsLongLongAndOverflow(value.ptr(), &overflow);
  if (overflow != 0) return false;
  *number = static_cast<float>(whole);
  return true;
}

const sci::InfoTypeInfo& FindQuery(const py::handle& query) {
  const sci::InfoTypeInfo* info = nullptr;
  if (py::isinstance<py::str>(query)) info = FindNamedQuery(query);
  else if (py::isinstance<py::int_>(query) && !py::isinstance<py::bool_>(query))
    info = sci::FindQuery(py::str(query).cast<std::string>());
  else throw py::type_error("a query is named by its name or number, not " + std::string(py::str(query.get_type().attr("__name__"))));
  if (info != nullptr) return *info;
  const std::string name = py::str(query);
  std::string message = "unknown query '" + name + "'";
  const auto similar = sci::SimilarQueryNames(name);
  for (std::size_t i = 0; i < similar.size(); ++i) message += (i == 0 ? "; did you mean " : ", ") + similar[i];
  throw py::value_error(message + " (sceneinfo.queries() lists all " + std::to_string(Importing::kInfoTypeCount) + ")");
}

// A query and its inputs as sci would read them from the same words: a
// number is taken through its text, so 0.1 here is the float sci reads from
// "0.1", and a Node ID may be given as the node's name.
sci::QueryRequest Request(const py::handle& query, const py::tuple& inputs) {
  sci::QueryRequest request;
  request.info = &FindQuery(query);
  const auto& children = sci::Inputs(*request.info);
  request.inputs.reserve(children.size());
  const std::string& name = sci::ShortName(*request.info);
  if (inputs.size() != children.size())
    throw py::type_error(name + " takes " + std::to_string(children.size()) +
                         (children.size() == 1 ? " input" : " inputs") + " (" + sci::InputLabels(*request.info) +
                         "), " + std::to_string(inputs.size()) + " given");
  for (std::size_t i = 0; i < children.size(); ++i) {
    sci::QueryInput input{children[i], 0, {}};
    const py::handle value = inputs[i];
    const bool isText = py::isinstance<py::str>(value);
    const bool isNodeID = children[i].meaning.input == Importing::InputDomain::Node;
    if (children[i].kind == ChildKind::Text || (isNodeID && isText)) {
      if (!isText) throw py::type_error(name + ": " + children[i].label + " must be a str");
      input.text = value.cast<std::string>();
      input.nodeName = isNodeID;
    } else {
      if (isText || py::isinstance<py::bytes>(value) || !PyNumber_Check(value.ptr()))
        throw py::type_error(name + ": " + children[i].label + (isNodeID ? " must be a number or a node's name, not " : " must be a number, not ") +
                             std::string(py::str(value.get_type().attr("__name__"))));
      if (!ReadInt(value, &input.number)) {
        const std::string text = py::str(value);
        if (!sci::ParseFloat(text, &input.number))
          throw py::value_error(name + ": " + children[i].label + " must be a finite 32-bit float, not " + text);
        if (sci::TakesWholeNumber(children[i]) && std::trunc(input.number) != input.number)
          throw py::value_error(name + ": " + children[i].label + " must be a whole number, not " + text);
      }
    }
    request.inputs.push_back(std::move(input));
  }
  return request;
}

// A NumPy array that takes over `data`, so the bytes are not copied again.
template <class T>
py::array_t<T> Adopt(sceneinfo::Buffer<T> data, std::vector<py::ssize_t> shape) {
  py::capsule owner(data.get(), [](void* p) { std::free(p); });
  T* raw = data.release();
  return py::array_t<T>(std::move(shape), raw, owner);
}

std::unique_ptr<SceneHandle> Open(const std::string& path, bool cache, const std::string& cacheDir,
                                  double timeout, std::uint64_t maxMemory) {
  Importing::GuardedImportOptions options;
  options.useCache = cache;
  options.cacheDir = cacheDir;
  options.timeoutSeconds = timeout;
  options.maxMemoryBytes = maxMemory;
  std::string error;
  auto failure = sceneinfo::OpenFailure::Plugin;
  std::unique_ptr<SceneHandle> handle;
  {
    py::gil_scoped_release release;
    const std::string plugin = sceneinfo::FindPlugin(&error);
    if (!plugin.empty()) handle = SceneHandle::Open(path, plugin, options, &error, &failure);
  }
  if (!handle) Raise(failure == sceneinfo::OpenFailure::Scene ? "SceneReadError" : "PluginError", error);
  return handle;
}

py::object Query(SceneHandle& scene, const py::handle& query, const py::args& inputs) {
  sci::QueryRequest request = Request(query, inputs);
  py::object answer;
  std::string error;
  bool answered;
  {
    // The scene is locked without the GIL, so that a thread waiting for it
    // never holds the GIL that the thread inside needs to build its answer.
    py::gil_scoped_release release;
    answered = scene.Query(request, &error, [&](const sci::Answer& result) {
      py::gil_scoped_acquire acquire;
      answer = sceneinfo::AnswerObject(result);
    });
  }
  if (!answered) Raise("QueryInputError", error);
  return answer;
}

py::dict Geometry(SceneHandle& scene, const py::handle& id) {
  const sci::QueryRequest request = Request(py::str("geometry"), py::make_tuple(id));
  sceneinfo::GeometryArrays arrays;
  std::vector<std::string> messages;
  bool copied;
  {
    py::gil_scoped_release release;
    copied = scene.Geometry(request.inputs.at(0).number, &arrays, &messages);
  }
  if (!copied) Raise("QueryInputError", messages.at(0));
  const auto vertices = static_cast<py::ssize_t>(arrays.vertexCount);
  py::list uvSets;
  for (auto& set : arrays.uvSets) uvSets.append(Adopt(std::move(set), {vertices, 2}));
  py::dict result;
  result["primitive_type"] = arrays.primitiveType;
  result["positions"] = Adopt(std::move(arrays.positions), {vertices, 3});
  result["normals"] = Adopt(std::move(arrays.normals), {vertices, 3});
  result["uv_sets"] = uvSets;
  result["indices"] = Adopt(std::move(arrays.indices), {static_cast<py::ssize_t>(arrays.indexCount)});
  return result;
}

py::list SupportedExtensions() {
  // "*.3ds;*.dae;..." as [".3ds", ".dae", ...]
  py::list extensions;
  std::string error;
  const std::string all = Importing::Import::ReadableExtensions(&error);
  if (all.empty()) throw std::runtime_error("the formats cannot be listed: " + error);
  std::size_t start = 0;
  while (start < all.size()) {
    std::size_t end = all.find(';', start);
    if (end == std::string::npos) end = all.size();
    const std::string pattern = all.substr(start, end - start);
    if (pattern.size() > 1 && pattern[0] == '*') extensions.append(pattern.substr(1));
    start = end + 1;
  }
  return extensions;
}

}  // namespace

PYBIND11_MODULE(_native, m) {
  m.doc() = "Scenes imported and answered through the SceneContainerInfo plug-in (use the sceneinfo package).";

  py::class_<SceneHandle>(m, "Scene", "An imported scene with the plug-in loaded; calls into it run one at a time.")
      .def_property_readonly("path", &SceneHandle::Path, "The path the scene was opened with.")
      .def("query", &Query, py::arg("query"),
           "query(query, *inputs) -> dict\n\n"
           "Runs one query (its name, full name or number) with its inputs and returns its answer as sci --json\n"
           "writes it: query, info_type, inputs, outputs by child label, names, and the channel's messages.\n"
           "A Node ID may be given as the node's name; QueryInputError when no node has it.")
      .def(
          "summary",
          [](SceneHandle& scene) {
            std::string json;
            {
              py::gil_scoped_release release;
              json = scene.SummaryJson();
            }
            return ParseJson(json);
          },
          "summary() -> dict\n\nThe scene's format, counts, box and node tree, as sci --json writes them without a query.")
      .def(
          "tree",
          [](SceneHandle& scene) {
            std::string json;
            std::vector<std::string> messages;
            {
              py::gil_scoped_release release;
              json = scene.TreeJson(&messages);
            }
            return py::make_tuple(ParseJson(json), messages);
          },
          "tree() -> (dict, list)\n\nThe node tree as sci --tree --format json writes it, and the messages the channel\n"
          "showed while it was asked.")
      .def(
          "embedded_image_names",
          [](SceneHandle& scene) {
            std::vector<std::string> names;
            std::string error;
            bool read = false;
            {
              py::gil_scoped_release release;
              read = scene.EmbeddedImageNames(&names, &error);
            }
            if (!read) Raise("SceneReadError", scene.Path() + ": " + error);
            return names;
          },
          "embedded_image_names() -> list\n\nThe file names the scene gave the images embedded in it, by N of\n"
          "their \"*N\" texture paths (empty where it gave none).")
      .def("geometry", &Geometry, py::arg("id"),
           "geometry(id) -> dict\n\n"
           "The geometry query's mesh as arrays: primitive_type, positions and normals (N, 3) float32,\n"
           "uv_sets (list of (N, 2) float32), indices (M,) uint32. Raises QueryInputError for a bad ID.");

  m.def("open", &Open, py::arg("path"), py::arg("cache") = true, py::arg("cache_dir") = "",
        py::arg("timeout") = 600.0, py::arg("max_memory") = 0,
        "open(path, cache=True, cache_dir='', timeout=600.0, max_memory=0) -> Scene\n\n"
        "Imports the scene file at path as sci does: in the import helper, stopped after timeout seconds (0: no\n"
        "limit) or above max_memory bytes (0: the default limit), through the snapshot cache in cache_dir (empty:\n"
        "sci's) unless cache is False. Raises SceneReadError when the file cannot be read and PluginError when\n"
        "the plug-in cannot be loaded.");
  m.def(
      "queries", [] { return ParseJson(sci::QueryListJson()); },
      "queries() -> list\n\nThe 69 queries as sci --list --json gives them: info_type, query, name, inputs, outputs.");
  m.def("supported_extensions", &SupportedExtensions,
        "supported_extensions() -> list\n\nThe file extensions the importer reads, lower case with the dot.");
}
