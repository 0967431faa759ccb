#include "python/py_convert.h"

#include <bit>
#include <cstdint>
#include <initializer_list>
#include <new>
#include <optional>
#include <stdexcept>
#include <string_view>
#include <vector>

namespace {

bool isNumber(const OrderedJson& v) { return v.is_number_integer() || v.is_number_unsigned(); }

// An integer member's value; the caller has checked that it is one.
int64_t integerOf(const OrderedJson& v) {
  return v.is_number_unsigned() ? static_cast<int64_t>(*v.get_ptr<const uint64_t*>())
                                : *v.get_ptr<const int64_t*>();
}

bool allNumbers(const OrderedJson::array_t& items) {
  for (const auto& v : items)
    if (!isNumber(v)) return false;
  return true;
}

// The dtypes of the tables, made once for the life of the process.
const py::dtype& int16Type() {
  static const auto* type = new py::dtype(py::dtype::of<int16_t>());
  return *type;
}
const py::dtype& int64Type() {
  static const auto* type = new py::dtype(py::dtype::of<int64_t>());
  return *type;
}

// A fresh C-ordered array of the given dtype and shape, made by numpy's C interface at once:
// a result holds several short tables, and pybind11's general constructor costs more than
// filling them.
py::array freshArray(const py::dtype& type, std::initializer_list<py::ssize_t> shape) {
  auto& api = py::detail::npy_api::get();
  Py_INCREF(type.ptr());  // numpy takes over this reference
  PyObject* made =
      api.PyArray_NewFromDescr_(api.PyArray_Type_, type.ptr(), static_cast<int>(shape.size()),
                                const_cast<py::ssize_t*>(shape.begin()), nullptr, nullptr, 0, nullptr);
  if (made == nullptr) throw py::error_already_set();
  return py::reinterpret_steal<py::array>(made);
}

template <typename T>
T* cellsOf(py::array& array) {
  return reinterpret_cast<T*>(py::detail::array_proxy(array.ptr())->data);
}

template <typename T>
py::array numbers(const OrderedJson::array_t& items, const py::dtype& type) {
  py::array out = freshArray(type, {static_cast<py::ssize_t>(items.size())});
  T* data = cellsOf<T>(out);
  for (const auto& item : items) *data++ = static_cast<T>(integerOf(item));
  return out;
}

// Rows of numbers, all of one length.
bool isMatrix(const OrderedJson::array_t& items) {
  if (items.empty() || !items.front().is_array()) return false;
  const size_t width = items.front().size();
  for (const auto& row : items)
    if (!row.is_array() || row.size() != width || !allNumbers(row.get_ref<const OrderedJson::array_t&>()))
      return false;
  return true;
}

py::array matrix(const OrderedJson::array_t& items) {
  const size_t width = items.front().size();
  py::array out =
      freshArray(int64Type(), {static_cast<py::ssize_t>(items.size()), static_cast<py::ssize_t>(width)});
  auto* cells = cellsOf<int64_t>(out);
  for (const auto& row : items)
    for (const auto& cell : row.get_ref<const OrderedJson::array_t&>()) *cells++ = integerOf(cell);
  return out;
}

// The structured dtype with one int64 field per member name of the object, in order. Making
// one costs more than filling the array, so each set of names gets one for the life of the
// process (the interpreter lock guards the table).
const py::dtype& recordType(const OrderedJson::object_t& first) {
  struct Known {
    std::vector<std::string> names;
    py::dtype type;
  };
  static auto* known = new std::vector<Known>();
  for (const Known& k : *known) {
    if (k.names.size() != first.size()) continue;
    bool same = true;
    size_t i = 0;
    for (const auto& member : first) same = same && member.first == k.names[i++];
    if (same) return k.type;
  }
  Known made;
  py::list fields;
  for (const auto& member : first) {
    made.names.push_back(member.first);
    fields.append(py::make_tuple(member.first, int64Type()));
  }
  made.type = py::dtype::from_args(fields);
  known->push_back(std::move(made));
  return known->back().type;
}

// Objects whose members are all integers, every one with the same names in the same order, as
// a structured array with one int64 field per name, one record per object; nullopt for
// anything else.
std::optional<py::array> records(const OrderedJson::array_t& items) {
  if (items.empty() || !items.front().is_object() || items.front().empty()) return std::nullopt;
  const auto& first = items.front().get_ref<const OrderedJson::object_t&>();
  for (const auto& item : items) {
    if (!item.is_object() || item.size() != first.size()) return std::nullopt;
    auto b = first.begin();
    for (const auto& member : item.get_ref<const OrderedJson::object_t&>()) {
      if (member.first != b->first || !isNumber(member.second)) return std::nullopt;
      ++b;
    }
  }
  // Filled in place: numpy's copy of a structured array sets up a transfer per field, which
  // costs more than the rest of the conversion together.
  py::array out = freshArray(recordType(first), {static_cast<py::ssize_t>(items.size())});
  auto* cells = cellsOf<int64_t>(out);
  for (const auto& item : items)
    for (const auto& member : item.get_ref<const OrderedJson::object_t&>())
      *cells++ = integerOf(member.second);
  return out;
}

// A member name as a Python str, made once per name for the life of the process (the
// interpreter lock guards the table): the documents repeat the same few dozen names. The table
// is open-addressed by a cheap hash of the name's bytes; it holds at most kSlots names, and a
// name beyond them gets a fresh str on every call.
py::object keyOf(const std::string& name) {
  constexpr size_t kSlots = 256;
  struct Slot {
    std::string name;
    PyObject* text = nullptr;
  };
  static auto* slots = new Slot[kSlots];
  size_t hash = name.size();
  for (const char c : name) hash = hash * 31 + static_cast<unsigned char>(c);
  for (size_t probe = 0; probe < kSlots; ++probe) {
    Slot& slot = slots[(hash + probe) % kSlots];
    if (slot.text != nullptr && slot.name == name) return py::reinterpret_borrow<py::object>(slot.text);
    if (slot.text != nullptr) continue;
    PyObject* text = PyUnicode_FromStringAndSize(name.data(), static_cast<py::ssize_t>(name.size()));
    if (text == nullptr) throw py::error_already_set();
    PyUnicode_InternInPlace(&text);
    slot.name = name;
    slot.text = text;  // kept for the life of the process
    return py::reinterpret_borrow<py::object>(text);
  }
  return py::str(name);
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
      const auto& members = value.get_ref<const OrderedJson::object_t&>();
#if defined(PYPY_VERSION) || defined(Py_LIMITED_API)
      py::dict dict;
#else
      // Sized once for all its members, instead of growing as they are added.
      auto dict =
          py::reinterpret_steal<py::dict>(_PyDict_NewPresized(static_cast<Py_ssize_t>(members.size())));
      if (!dict) throw py::error_already_set();
#endif
      for (const auto& [name, item] : members) {
        const py::object member = toPython(item, name);
        if (PyDict_SetItem(dict.ptr(), keyOf(name).ptr(), member.ptr()) != 0) throw py::error_already_set();
      }
      return dict;
    }
    case OrderedJson::value_t::array: {
      const auto& items = value.get_ref<const OrderedJson::array_t&>();
      // The series header's tables are 16-bit; every other number table is widened.
      if (allNumbers(items)) {
        const bool table16 = key.starts_with("lp") || key == "samples";
        return table16 ? numbers<int16_t>(items, int16Type()) : numbers<int64_t>(items, int64Type());
      }
      if (isMatrix(items)) return matrix(items);
      if (auto list = records(items)) return std::move(*list);
      py::list list;
      for (const auto& item : items) list.append(toPython(item));
      return list;
    }
    default:
      return py::none();
  }
}

namespace {

template <typename T>
void widen(const void* data, size_t count, std::vector<double>& out) {
  const T* values = static_cast<const T*>(data);
  out.assign(values, values + count);  // converting, without filling the vector first
}

// The values of a C-contiguous, aligned array of native byte order as float64, converted by a
// plain loop, which costs less than numpy's casting set-up on a short series; false for a
// layout or dtype numpy must convert.
bool widenInPlace(const py::array& array, std::vector<double>& out) {
  using Api = py::detail::npy_api;
  const int needed = Api::NPY_ARRAY_C_CONTIGUOUS_ | Api::NPY_ARRAY_ALIGNED_;
  if ((array.flags() & needed) != needed) return false;
  const py::dtype type = array.dtype();
  const char order = type.byteorder();
  const bool native =
      order == '=' || order == '|' || (order == '<') == (std::endian::native == std::endian::little);
  if (!native) return false;
  const size_t count = static_cast<size_t>(array.size());
  const void* data = array.data();
  switch (type.kind()) {
    case 'i':
      switch (type.itemsize()) {
        case 1:
          return widen<int8_t>(data, count, out), true;
        case 2:
          return widen<int16_t>(data, count, out), true;
        case 4:
          return widen<int32_t>(data, count, out), true;
        case 8:
          return widen<int64_t>(data, count, out), true;
      }
      return false;
    case 'u':
      switch (type.itemsize()) {
        case 1:
          return widen<uint8_t>(data, count, out), true;
        case 2:
          return widen<uint16_t>(data, count, out), true;
        case 4:
          return widen<uint32_t>(data, count, out), true;
        case 8:
          return widen<uint64_t>(data, count, out), true;
      }
      return false;
    case 'f':
      if (type.itemsize() == 4) return widen<float>(data, count, out), true;
      return false;
  }
  return false;
}

}  // namespace

py::array numericView(py::handle value, const char* name, int ndim) {
  // Looked up once: importing numpy on every call costs more than converting a short series.
  static const auto* asarray = new py::object(py::module_::import("numpy").attr("asarray"));
  // A numpy array is taken as it is; anything else goes through numpy.asarray.
  py::array array = py::isinstance<py::array>(value) ? py::reinterpret_borrow<py::array>(value)
                                                     : py::array((*asarray)(value));
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
  return array;
}

namespace {

[[noreturn]] void raiseShortage(const char* name, size_t count) {
  PyErr_SetString(PyExc_MemoryError, (std::string(name) + ": not enough memory to take its " +
                                      std::to_string(count) + " values as float64")
                                         .c_str());
  throw py::error_already_set();
}

}  // namespace

DoubleValues numericValues(py::array array, const char* name) {
  DoubleValues out;
  out.rows = static_cast<size_t>(array.shape(0));
  out.columns = array.ndim() == 2 ? static_cast<size_t>(array.shape(1)) : 1;
  out.count = static_cast<size_t>(array.size());
  // One conversion at most: nothing is copied for a contiguous float64 array, a contiguous
  // array of another number type is widened by a loop, anything else by numpy's own casting.
  using Doubles = py::array_t<double, py::array::c_style>;
  if (py::isinstance<Doubles>(array)) {
    out.values = static_cast<const double*>(array.data());
    out.owner = std::move(array);
    return out;
  }
  try {
    if (widenInPlace(array, out.copy)) {
      out.values = out.copy.data();
      return out;
    }
  } catch (const std::bad_alloc&) {
    raiseShortage(name, out.count);
  } catch (const std::length_error&) {
    raiseShortage(name, out.count);
  }
  // numpy's casting; its failure is kept as numpy raised it, a shortage named as above.
  auto& api = py::detail::npy_api::get();
  const py::dtype doubles = py::dtype::of<double>();
  Py_INCREF(doubles.ptr());  // numpy takes over this reference
  PyObject* converted = api.PyArray_FromAny_(array.ptr(), doubles.ptr(), 0, 0,
                                             py::detail::npy_api::NPY_ARRAY_C_CONTIGUOUS_ |
                                                 py::detail::npy_api::NPY_ARRAY_ENSUREARRAY_ |
                                                 py::detail::npy_api::NPY_ARRAY_FORCECAST_,
                                             nullptr);
  if (converted == nullptr) {
    if (PyErr_ExceptionMatches(PyExc_MemoryError)) {
      PyErr_Clear();
      raiseShortage(name, out.count);
    }
    throw py::error_already_set();
  }
  auto owner = py::reinterpret_steal<py::array>(converted);
  out.values = static_cast<const double*>(owner.data());
  out.owner = std::move(owner);
  return out;
}

std::string pathArgument(py::handle value, const char* name) {
  PyObject* path = PyOS_FSPath(value.ptr());
  if (path == nullptr) {
    PyErr_Clear();
    throw py::type_error(std::string(name) + ": expected str, bytes or os.PathLike, not " +
                         Py_TYPE(value.ptr())->tp_name);
  }
  auto text = py::reinterpret_steal<py::object>(path);
  if (PyUnicode_Check(path)) {
    PyObject* encoded = PyUnicode_EncodeFSDefault(path);
    if (encoded == nullptr) throw py::error_already_set();
    text = py::reinterpret_steal<py::object>(encoded);
  }
  std::string bytes(PyBytes_AS_STRING(text.ptr()), static_cast<size_t>(PyBytes_GET_SIZE(text.ptr())));
  if (bytes.find('\0') != std::string::npos)
    throw py::value_error(std::string(name) + ": embedded null byte");
  return bytes;
}

std::string listText(py::handle value, const char* name) {
  if (value.is_none()) return {};
  if (py::isinstance<py::str>(value)) return value.cast<std::string>();
  if (py::isinstance<py::int_>(value)) {
    int overflow = 0;
    const long long number = PyLong_AsLongLongAndOverflow(value.ptr(), &overflow);
    // Beyond 64 bits the digits, and a bool its name, go to the option check, which refuses them.
    return overflow == 0 && !PyBool_Check(value.ptr()) ? std::to_string(number)
                                                       : py::str(value).cast<std::string>();
  }
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
