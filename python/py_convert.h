#pragma once
// Between Python objects and the companion's inputs and JSON documents.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <string>
#include <string_view>
#include <vector>

#include "batch/json_output.h"

namespace py = pybind11;

// A JSON value as Python objects: objects become dicts, arrays of numbers numpy arrays
// (int16 for the series header's lp... tables, int64 otherwise), arrays of equally long
// arrays of numbers 2-D arrays, arrays of objects of the same integer members structured
// arrays with those field names (a chain's pulses: chain["pulses"]["position"]), other
// arrays lists.
py::object toPython(const OrderedJson& value, std::string_view key = {});

// The values of an array argument as float64 in C order, with its shape.
struct DoubleValues {
  py::object owner;          // the array the values are read from, kept alive
  std::vector<double> copy;  // the values, when they had to be widened
  const double* values = nullptr;
  size_t rows = 0;     // the length of a 1-D array
  size_t columns = 1;  // the row length of a 2-D array
  size_t count = 0;
};

// The array argument `name` of ndim dimensions, as it is: a numpy array is not copied (anything
// else goes through numpy.asarray). Raises TypeError for a non-numeric dtype and ValueError
// for another number of dimensions. Its sizes are for the caller to check before any copy.
py::array numericView(py::handle value, const char* name, int ndim);

// The values of such an array as float64: any integer or float dtype, any strides; copied at
// most once (not at all when it already is C-contiguous float64). A shortage of memory raises
// MemoryError naming the argument and the number of values.
DoubleValues numericValues(py::array array, const char* name);

// A path argument as open() takes it: str, bytes or os.PathLike; a str is encoded as the file
// system encodes names. Raises TypeError for anything else, ValueError for a NUL byte.
std::string pathArgument(py::handle value, const char* name);

// An etalon-number list as the companion's options take it ("1,2,3"): None gives an empty
// text, an int its digits, a str itself, an iterable of ints the comma-separated numbers.
std::string listText(py::handle value, const char* name);

// Several lists ("1,2;3,4"): None gives an empty text, a str itself, an iterable of lists
// the lists separated by semicolons.
std::string listsText(py::handle value, const char* name);
