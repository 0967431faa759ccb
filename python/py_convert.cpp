#include "python/py_convert.h"

#include <cstdint>
#include <map>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace {

bool isNumber(const OrderedJson& v) { return v.is_number_integer() || v.is_number_unsigned(); }

bool allNumbers(const OrderedJson& array) {
  for (const auto& v : array)
    if (!isNumber(v)) return false;
  return true;
}

template <typename T>
py::array numbers(const OrderedJson& array) {
  py::array_t<T> out(static_cast<py::ssize_t>(array.size()));
  T* data = out.mutable_data();
  for (size_t i = 0; i < array.size(); ++i) data[i] = array[i].get<T>();
  return std::move(out);
}

// Rows of numbers, all of one length.
bool isMatrix(const OrderedJson& array) {
  if (array.empty() || !array.front().is_array()) return false;
  const size_t width = array.front().size();
  for (const auto& row : array)
    if (!row.is_array() || row.size() != width || !allNumbers(row)) return false;
  return true;
}

py::array matrix(const OrderedJson& array) {
  const size_t width = array.front().size();
  py::array_t<int64_t> out({static_cast<py::ssize_t>(array.size()), static_cast<py::ssize_t>(width)});
  auto cells = out.mutable_unchecked<2>();
  for (size_t i = 0; i < array.size(); ++i)
    for (size_t j = 0; j < width; ++j) cells(i, j) = array[i][j].get<int64_t>();
  return std::move(out);
}

// Objects whose members are all integers, every one with the same names in the same order.
bool isRecordList(const OrderedJson& array) {
  if (array.empty() || !array.front().is_object() || array.front().empty()) return false;
  const OrderedJson& first = array.front();
  for (const auto& item : array) {
    if (!item.is_object() || item.size() != first.size()) return false;
    auto a = item.begin();
    for (auto b = first.begin(); b != first.end(); ++a, ++b)
      if (a.key() != b.key() || !isNumber(a.value())) return false;
  }
  return true;
}

// A structured array with one int64 field per member name, one record per object.
py::array records(const OrderedJson& array) {
  // Making a structured dtype costs more than filling the array: one per set of member names,
  // kept for the life of the process (the interpreter lock guards the table).
  static auto* types = new std::map<std::string, py::dtype>();
  std::string names;
  for (const auto& [name, member] : array.front().items()) names += name + ",";
  auto known = types->find(names);
  if (known == types->end()) {
    py::list fields;
    for (const auto& [name, member] : array.front().items()) fields.append(py::make_tuple(name, "<i8"));
    known = types->emplace(names, py::dtype::from_args(fields)).first;
  }
  const py::dtype& type = known->second;
  const size_t width = array.front().size();
  std::vector<int64_t> cells;
  cells.reserve(array.size() * width);
  for (const auto& item : array)
    for (const auto& [name, member] : item.items()) cells.push_back(member.get<int64_t>());
  return py::array(type, {static_cast<py::ssize_t>(array.size())}, {},
                   reinterpret_cast<const void*>(cells.data()));
}

// A member name as a Python str, made once per name for the life of the process (the
// interpreter lock guards the table): the documents repeat the same few dozen names.
PyObject* keyOf(const std::string& name) {
  static auto* keys = new std::unordered_map<std::string, py::object>();
  auto known = keys->find(name);
  if (known == keys->end()) {
    PyObject* text = PyUnicode_FromStringAndSize(name.data(), static_cast<py::ssize_t>(name.size()));
    if (text == nullptr) throw py::error_already_set();
    PyUnicode_InternInPlace(&text);
    known = keys->emplace(name, py::reinterpret_steal<py::object>(text)).first;
  }
  return known->second.ptr();
}

std::string join(const std::vector<std::string>& parts, const char* separator) {
  std::string text;
  for (size_t i = 0; i < parts.size(); ++i) text += (i ? separator : "") + parts[i];
  return text;
}

}  // namespace

py::object toPython(const OrderedJson& value, std::string_view key) {
  switch (value.type()) {
    case OrderedJson::value_t::null:
      return py::none();
    case OrderedJson::value_t::boolean:
      return py::bool_(value.get<bool>());
    case OrderedJson::value_t::number_integer:
      return py::int_(value.get<int64_t>());
    case OrderedJson::value_t::number_unsigned:
      return py::int_(value.get<uint64_t>());
    case OrderedJson::value_t::number_float:
      return py::float_(value.get<double>());
    case OrderedJson::value_t::string:
      return py::str(value.get<std::string>());
    case OrderedJson::value_t::object: {
      py::dict dict;
      for (auto it = value.begin(); it != value.end(); ++it) {
        const py::object member = toPython(it.value(), it.key());
        if (PyDict_SetItem(dict.ptr(), keyOf(it.key()), member.ptr()) != 0) throw py::error_already_set();
      }
      return std::move(dict);
    }
    case OrderedJson::value_t::array: {
      // The series header's tables are 16-bit; every other number table is widened.
      const bool table16 = key.starts_with("lp") || key == "samples";
      if (allNumbers(value)) return table16 ? numbers<int16_t>(value) : numbers<int64_t>(value);
      if (isMatrix(value)) return matrix(value);
      if (isRecordList(value)) return records(value);
      py::list list;
      for (const auto& item : value) list.append(toPython(item));
      return std::move(list);
    }
    default:
      return py::none();
  }
}

py::array_t<double, py::array::c_style> numericArray(py::handle value, const char* name, int ndim) {
  // Looked up once: importing numpy on every call costs more than converting a short series.
  struct Numpy {
    py::object asarray;
  };
  static const Numpy* numpy = [] {
    py::module_ np = py::module_::import("numpy");
    return new Numpy{np.attr("asarray")};
  }();
  // A numpy array is taken as it is; anything else goes through numpy.asarray.
  py::array array = py::isinstance<py::array>(value) ? py::reinterpret_borrow<py::array>(value)
                                                     : py::array(numpy->asarray(value));
  const char kind = array.dtype().kind();
  if (kind != 'i' && kind != 'u' && kind != 'f') {
    throw py::type_error(std::string(name) + ": expected an array of integers or floats, got dtype " +
                         py::str(array.dtype()).cast<std::string>());
  }
  if (array.ndim() != ndim) {
    throw py::value_error(std::string(name) + ": expected a " + std::to_string(ndim) +
                          "-D array, got shape " +
                          py::str(py::tuple(array.attr("shape"))).cast<std::string>());
  }
  // One conversion at most: nothing is copied for a contiguous float64 array.
  using Doubles = py::array_t<double, py::array::c_style>;
  if (py::isinstance<Doubles>(array)) return py::reinterpret_borrow<Doubles>(array);
  // Converted in C (numpy's own casting), without a call through numpy's Python functions.
  auto converted = py::array_t<double, py::array::c_style | py::array::forcecast>::ensure(array);
  if (!converted) throw py::error_already_set();
  return py::reinterpret_steal<Doubles>(converted.release());
}

std::string listText(py::handle value, const char* name) {
  if (value.is_none()) return {};
  if (py::isinstance<py::str>(value)) return value.cast<std::string>();
  if (py::isinstance<py::int_>(value)) return py::str(value).cast<std::string>();
  std::vector<std::string> parts;
  try {
    for (py::handle item : py::iter(value)) {
      if (!py::isinstance<py::int_>(item) && !py::hasattr(item, "__index__"))
        throw py::type_error(std::string(name) + ": etalon numbers must be integers");
      parts.push_back(py::str(py::int_(py::reinterpret_borrow<py::object>(item))).cast<std::string>());
    }
  } catch (py::error_already_set&) {
    throw py::type_error(std::string(name) + ": expected an etalon number or a list of them");
  }
  return join(parts, ",");
}

std::string listsText(py::handle value, const char* name) {
  if (value.is_none()) return {};
  if (py::isinstance<py::str>(value)) return value.cast<std::string>();
  std::vector<std::string> parts;
  try {
    for (py::handle item : py::iter(value)) parts.push_back(listText(item, name));
  } catch (py::error_already_set&) {
    throw py::type_error(std::string(name) + ": expected a list of etalon-number lists");
  }
  return join(parts, ";");
}
