#include "files/npy_reader.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace {

// The longest header read, and the largest piece of values read at once.
constexpr size_t kMaxNpyHeaderBytes = size_t{1} << 20;
constexpr size_t kNpyPieceBytes = size_t{8} << 20;

std::string name(const std::string& source) { return "\"" + source + "\": "; }

// A small reader of the Python literal of the header: a dict of string keys whose values are
// strings, True/False or tuples of integers.
struct Literal {
  std::string_view text;
  size_t at = 0;

  void blanks() {
    while (at < text.size() && (text[at] == ' ' || text[at] == '\t' || text[at] == '\n')) ++at;
  }
  bool eat(char c) {
    blanks();
    if (at < text.size() && text[at] == c) {
      ++at;
      return true;
    }
    return false;
  }
  bool string(std::string& out) {
    blanks();
    if (at >= text.size() || (text[at] != '\'' && text[at] != '"')) return false;
    const char quote = text[at++];
    const size_t end = text.find(quote, at);
    if (end == std::string_view::npos) return false;
    out.assign(text.substr(at, end - at));
    at = end + 1;
    return true;
  }
  bool word(std::string_view w) {
    blanks();
    if (text.substr(at, w.size()) != w) return false;
    at += w.size();
    return true;
  }
  bool integer(size_t& out) {
    blanks();
    const size_t start = at;
    out = 0;
    while (at < text.size() && text[at] >= '0' && text[at] <= '9') {
      const size_t digit = static_cast<size_t>(text[at] - '0');
      if (out > (SIZE_MAX - digit) / 10) return false;
      out = out * 10 + digit;
      ++at;
    }
    if (at < text.size() && text[at] == 'L') ++at;  // written by old writers
    return at > start;
  }
};

bool parseShape(Literal& lit, std::vector<size_t>& shape) {
  if (!lit.eat('(')) return false;
  while (true) {
    if (lit.eat(')')) return true;
    size_t v = 0;
    if (!lit.integer(v) || shape.size() >= 32) return false;
    shape.push_back(v);
    if (lit.eat(',')) continue;
    return lit.eat(')');
  }
}

double valueAt(const NpyHeader& h, const char* p) {
  unsigned char b[8];
  std::memcpy(b, p, h.itemSize);
  const bool swap = h.bigEndian && h.itemSize > 1;
  if (swap) {
    for (size_t i = 0; i < h.itemSize / 2; ++i) std::swap(b[i], b[h.itemSize - 1 - i]);
  }
  // The data are little-endian now (the machines we build for are).
  switch (h.kind) {
    case 'f':
      if (h.itemSize == 4) {
        float f;
        std::memcpy(&f, b, 4);
        return f;
      } else {
        double d;
        std::memcpy(&d, b, 8);
        return d;
      }
    case 'u': {
      uint64_t u = 0;
      std::memcpy(&u, b, h.itemSize);
      return static_cast<double>(u);
    }
    default: {
      switch (h.itemSize) {
        case 1:
          return static_cast<int8_t>(b[0]);
        case 2: {
          int16_t v;
          std::memcpy(&v, b, 2);
          return v;
        }
        case 4: {
          int32_t v;
          std::memcpy(&v, b, 4);
          return v;
        }
        default: {
          int64_t v;
          std::memcpy(&v, b, 8);
          return static_cast<double>(v);
        }
      }
    }
  }
}

// The header's dict: descr into `descr`, shape into h.shape; false with the message when it is not
// a dict of exactly descr, fortran_order and shape, or the array is in Fortran order.
bool parseHeaderDict(std::string_view text, const std::string& source, NpyHeader& h, std::string& descr,
                     std::string& error) {
  Literal lit{text};
  bool haveDescr = false, haveOrder = false, haveShape = false, fortran = false;
  bool ok = lit.eat('{');
  while (ok && !lit.eat('}')) {
    std::string key;
    ok = lit.string(key) && lit.eat(':');
    if (!ok) break;
    // A key given twice would leave the reader to choose one of two shapes or types.
    if ((key == "descr" && haveDescr) || (key == "fortran_order" && haveOrder) ||
        (key == "shape" && haveShape)) {
      error = name(source) + "the .npy header gives '" + key + "' twice";
      return false;
    }
    if (key == "descr") {
      ok = lit.string(descr);
      haveDescr = true;
    } else if (key == "fortran_order") {
      fortran = lit.word("True");
      ok = fortran || lit.word("False");
      haveOrder = true;
    } else if (key == "shape") {
      ok = parseShape(lit, h.shape);
      haveShape = true;
    } else {
      ok = false;
    }
    if (ok && !lit.eat(',')) ok = lit.eat('}') ? (lit.at--, true) : false;
  }
  if (!ok || !haveDescr || !haveOrder || !haveShape) {
    error = name(source) + "the .npy header is not a dict of descr, fortran_order and shape";
    return false;
  }
  if (fortran) {
    error = name(source) + "Fortran-ordered arrays are not supported; save the array in C order";
    return false;
  }
  return true;
}

// The value type of descr into h (kind, item size, byte order); false with the message for a type
// that is not read.
bool parseDescr(const std::string& descr, const std::string& source, NpyHeader& h, std::string& error) {
  const bool known =
      descr.size() == 3 && (descr[0] == '<' || descr[0] == '>' || descr[0] == '|' || descr[0] == '=');
  if (known) {
    h.kind = descr[1];
    h.itemSize = static_cast<size_t>(descr[2] - '0');
    h.bigEndian = descr[0] == '>';
  }
  const bool supported =
      known &&
      ((h.kind == 'i' && (h.itemSize == 1 || h.itemSize == 2 || h.itemSize == 4 || h.itemSize == 8)) ||
       (h.kind == 'u' && (h.itemSize == 1 || h.itemSize == 2)) ||
       (h.kind == 'f' && (h.itemSize == 4 || h.itemSize == 8)));
  if (!supported) {
    error = name(source) + "values of type '" + descr.substr(0, 20) +
            "' are not supported (int8/16/32/64, uint8/16, float32/64 are)";
    return false;
  }
  return true;
}

}  // namespace

bool parseNpyHeader(std::string_view bytes, const std::string& source, NpyHeader& header,
                    std::string& error) {
  MemoryBytes memory(bytes);
  return parseNpyHeader(memory, source, header, error);
}

bool parseNpyHeader(ByteSource& file, const std::string& source, NpyHeader& header, std::string& error) {
  static constexpr std::string_view kMagic("\x93NUMPY", 6);
  std::string_view bytes;
  if (!file.read(0, 12, bytes, error)) return false;
  if (bytes.size() < 10 || bytes.substr(0, 6) != kMagic) {
    error =
        name(source) + (bytes.substr(0, 6) == kMagic || kMagic.substr(0, bytes.size()) == bytes.substr(0, 6)
                            ? "truncated .npy header"
                            : "not a .npy file (no \\x93NUMPY magic)");
    return false;
  }
  const auto major = static_cast<unsigned char>(bytes[6]);
  size_t length = 0;
  size_t offset = 0;
  if (major == 1) {
    length = static_cast<unsigned char>(bytes[8]) | size_t{static_cast<unsigned char>(bytes[9])} << 8;
    offset = 10;
  } else if (major == 2 || major == 3) {
    if (bytes.size() < 12) {
      error = name(source) + "truncated .npy header";
      return false;
    }
    for (int i = 3; i >= 0; --i) length = length << 8 | static_cast<unsigned char>(bytes[8 + i]);
    offset = 12;
  } else {
    error = name(source) + ".npy version " + std::to_string(major) + " is not supported (1 and 2 are)";
    return false;
  }
  if (length > file.size() - offset) {
    error = name(source) + "the .npy header of " + std::to_string(length) +
            " bytes reaches past the end of the " + std::to_string(file.size()) + "-byte file";
    return false;
  }
  if (length > kMaxNpyHeaderBytes) {
    error = name(source) + "a .npy header of " + std::to_string(length) + " bytes; at most " +
            std::to_string(kMaxNpyHeaderBytes) + " are read";
    return false;
  }
  if (!file.read(offset, length, bytes, error)) return false;
  NpyHeader h;
  h.dataOffset = offset + length;
  std::string descr;
  if (!parseHeaderDict(bytes, source, h, descr, error) || !parseDescr(descr, source, h, error)) return false;
  if (h.shape.empty() || h.shape.size() > 2) {
    error = name(source) + "a " + std::to_string(h.shape.size()) +
            "-dimensional array; 1 or 2 dimensions are read";
    return false;
  }
  // The declared data must lie within the file.
  size_t count = 1;
  for (size_t d : h.shape) {
    if (d != 0 && count > SIZE_MAX / d)
      count = SIZE_MAX;
    else
      count *= d;
  }
  const size_t available = static_cast<size_t>((file.size() - h.dataOffset) / h.itemSize);
  if (count > available) {
    std::string shape;
    for (size_t d : h.shape) shape += (shape.empty() ? "" : " x ") + std::to_string(d);
    error = name(source) + "the shape " + shape + " declares more values than the file holds (" +
            std::to_string(available) + ")";
    return false;
  }
  header = h;
  return true;
}

bool parseNpySeries(std::string_view bytes, const std::string& source, const SeriesReadOptions& options,
                    SeriesValues& out, std::string& error) {
  MemoryBytes memory(bytes);
  return parseNpySeries(memory, source, options, out, error);
}

bool parseNpyEtalons(std::string_view bytes, const std::string& source, EtalonValues& out,
                     std::string& error) {
  MemoryBytes memory(bytes);
  return parseNpyEtalons(memory, source, out, error);
}

bool parseNpySeries(ByteSource& file, const std::string& source, const SeriesReadOptions& options,
                    SeriesValues& out, std::string& error) {
  NpyHeader h;
  if (!parseNpyHeader(file, source, h, error)) return false;
  const size_t rows = h.shape[0];
  const size_t columns = h.shape.size() == 2 ? h.shape[1] : 1;
  size_t column = 0;
  if (options.channel || !options.columnName.empty()) {
    error = name(source) + "a .npy file has no " + (options.channel ? "channels" : "named columns") +
            "; choose a column by number";
    return false;
  }
  if (options.column) {
    if (*options.column == 0 || *options.column > columns) {
      error = name(source) + "no column " + std::to_string(*options.column) + ": the array has " +
              std::to_string(columns) + (columns == 1 ? " column" : " columns");
      return false;
    }
    column = *options.column - 1;
  } else if (columns != 1) {
    error = name(source) + "the array has " + std::to_string(columns) + " columns; choose one";
    return false;
  }
  if (const std::string problem = segmentStartProblem(source, options, rows, "row"); !problem.empty()) {
    error = problem;
    return false;
  }
  SeriesValues result;
  result.source = source;
  result.unit = h.shape.size() == 2 ? "row" : "sample";
  const size_t end =
      options.count && *options.count < rows - options.from ? options.from + *options.count : rows;
  // Only the rows kept are read, in pieces of rows of at most kNpyPieceBytes (one row at a time
  // where a row is longer), so that neither a long column nor a wide array fills the memory.
  const size_t stride = columns * h.itemSize;
  const uint64_t first = h.dataOffset + uint64_t{options.from} * stride + column * h.itemSize;
  const size_t rowsPerPiece = stride >= kNpyPieceBytes ? 1 : kNpyPieceBytes / stride;
  std::string_view piece;
  size_t pieceStart = 0;  // the row (counted from options.from) the piece starts at
  size_t pieceRows = 0;
  for (size_t r = options.from; r < end; ++r) {
    if (!takeSegmentValue(options, r, result)) {
      result.totalSize += end - r - 1;  // the rest of the segment, counted without reading
      break;
    }
    const size_t k = r - options.from;
    if (k >= pieceStart + pieceRows) {
      pieceStart = k;
      pieceRows = std::min(rowsPerPiece, end - r);
      if (!file.read(first + uint64_t{k} * stride, (pieceRows - 1) * stride + h.itemSize, piece, error))
        return false;
    }
    const std::string_view value = piece.substr((k - pieceStart) * stride, h.itemSize);
    result.values.push_back(valueAt(h, value.data()));
  }
  out = std::move(result);
  return true;
}

bool parseNpyEtalons(ByteSource& file, const std::string& source, EtalonValues& out, std::string& error) {
  NpyHeader h;
  if (!parseNpyHeader(file, source, h, error)) return false;
  const size_t rows = h.shape.size() == 2 ? h.shape[0] : 1;
  const size_t length = h.shape.size() == 2 ? h.shape[1] : h.shape[0];
  if (rows == 0) {
    error = name(source) + "no etalons";
    return false;
  }
  if (length > kMaxUserEtalonLength) {
    error = name(source) + "etalons of " + std::to_string(length) + " values, more than the " +
            std::to_string(kMaxUserEtalonLength) + " an etalon may hold";
    return false;
  }
  EtalonValues result;
  result.source = source;
  result.totalRows = rows;
  const size_t kept = std::min(rows, kMaxUserEtalons + 1);
  std::string_view piece;
  if (!file.read(h.dataOffset, kept * length * h.itemSize, piece, error)) return false;
  const char* data = piece.data();
  for (size_t r = 0; r < kept; ++r) {
    std::vector<double> row(length);
    for (size_t k = 0; k < length; ++k) row[k] = valueAt(h, data + (r * length + k) * h.itemSize);
    result.rows.push_back(std::move(row));
  }
  out = std::move(result);
  return true;
}
