#include "files/text_reader.h"

#include <charconv>
#include <cstdint>
#include <vector>

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

std::string_view trim(std::string_view s) {
  while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
  return s;
}

// True when the bytes are well-formed UTF-8 (no overlong forms, no surrogates).
bool validUtf8(std::string_view s) {
  size_t i = 0;
  while (i < s.size()) {
    const auto c = static_cast<unsigned char>(s[i]);
    if (c < 0x80) {
      ++i;
      continue;
    }
    size_t extra = 0;
    uint32_t cp = 0;
    if (c >= 0xC2 && c <= 0xDF) {
      extra = 1;
      cp = c & 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
      extra = 2;
      cp = c & 0x0F;
    } else if (c >= 0xF0 && c <= 0xF4) {
      extra = 3;
      cp = c & 0x07;
    } else {
      return false;
    }
    if (i + extra >= s.size()) return false;
    for (size_t k = 1; k <= extra; ++k) {
      const auto d = static_cast<unsigned char>(s[i + k]);
      if ((d & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (d & 0x3F);
    }
    if ((extra == 2 && (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF))) ||
        (extra == 3 && (cp < 0x10000 || cp > 0x10FFFF)))
      return false;
    i += extra + 1;
  }
  return true;
}

enum class Separator { kBlanks, kTab, kComma, kSemicolon };

Separator separatorOf(std::string_view line) {
  if (line.find('\t') != std::string_view::npos && trim(line).find('\t') != std::string_view::npos)
    return Separator::kTab;
  if (line.find(',') != std::string_view::npos) return Separator::kComma;
  if (line.find(';') != std::string_view::npos) return Separator::kSemicolon;
  return Separator::kBlanks;
}

// Splits a line (comment removed, not blank) into its fields.
void splitFields(std::string_view line, Separator sep, std::vector<std::string_view>& fields) {
  fields.clear();
  if (sep == Separator::kBlanks) {
    size_t i = 0;
    while (i < line.size()) {
      while (i < line.size() && isBlank(line[i])) ++i;
      if (i >= line.size()) break;
      const size_t start = i;
      while (i < line.size() && !isBlank(line[i])) ++i;
      fields.push_back(line.substr(start, i - start));
    }
    return;
  }
  const char c = sep == Separator::kTab ? '\t' : sep == Separator::kComma ? ',' : ';';
  size_t start = 0;
  while (true) {
    const size_t at = line.find(c, start);
    fields.push_back(
        trim(line.substr(start, at == std::string_view::npos ? std::string_view::npos : at - start)));
    if (at == std::string_view::npos) break;
    start = at + 1;
  }
}

// Parses one field as a number: blanks and one pair of double quotes around it, a leading
// '+', a decimal point. False when it is not wholly a number.
bool parseNumber(std::string_view field, double& value) {
  field = trim(field);
  if (field.size() >= 2 && field.front() == '"' && field.back() == '"')
    field = trim(field.substr(1, field.size() - 2));
  if (!field.empty() && field.front() == '+') {
    field.remove_prefix(1);
    if (!field.empty() && field.front() == '-') return false;
  }
  if (field.empty()) return false;
  const auto result = std::from_chars(field.data(), field.data() + field.size(), value);
  return result.ec == std::errc() && result.ptr == field.data() + field.size();
}

std::string shown(std::string_view field) {
  std::string s(field.substr(0, 40));
  if (field.size() > 40) s += "...";
  return "\"" + s + "\"";
}

std::string name(const std::string& source) { return "\"" + source + "\": "; }

// The longest line read: far more than an etalon of the most values takes.
constexpr size_t kMaxLineBytes = size_t{4} << 20;
constexpr size_t kTextPiece = size_t{1} << 20;

// Walks the content lines of the text, reading the source piece by piece: comment removed,
// blank lines skipped. For each it calls visit(line, number); stops, reading no further, and
// returns false when visit returns false (with error set, or empty when the walk is done). Refuses NUL bytes,
// bytes that are not UTF-8 and lines longer than kMaxLineBytes (a file of zeros or of binary data ends there,
// not at its end).
template <typename Visit>
bool forEachLine(ByteSource& bytes, const std::string& source, std::string& error, Visit visit) {
  uint32_t number = 0;
  const auto take = [&](std::string_view line) {
    if (number < UINT32_MAX) ++number;
    if (line.find('\0') != std::string_view::npos) {
      error = name(source) + "line " + std::to_string(number) + ": a NUL byte; this is not a text file";
      return false;
    }
    if (!validUtf8(line)) {
      error = name(source) + "line " + std::to_string(number) + ": bytes that are not UTF-8 text";
      return false;
    }
    const size_t hash = line.find('#');
    if (hash != std::string_view::npos) line = line.substr(0, hash);
    if (trim(line).empty()) return true;
    return visit(line, number);
  };
  std::string carry;  // the start of a line that goes on in the next piece
  uint64_t offset = 0;
  while (offset < bytes.size()) {
    std::string_view piece;
    if (!bytes.read(offset, kTextPiece, piece, error)) return false;
    if (offset == 0 && piece.substr(0, 3) == "\xEF\xBB\xBF") {
      piece.remove_prefix(3);
      offset += 3;
    }
    offset += piece.size();
    size_t start = 0;
    for (size_t end; (end = piece.find('\n', start)) != std::string_view::npos; start = end + 1) {
      bool going = true;
      if (carry.empty()) {
        going = take(piece.substr(start, end - start));
      } else {
        carry.append(piece.substr(start, end - start));
        going = take(carry);
        carry.clear();
      }
      if (!going) return false;
    }
    carry.append(piece.substr(start));
    if (carry.size() > kMaxLineBytes) {
      const uint32_t at = number + 1;
      if (carry.find('\0') != std::string::npos) {
        error = name(source) + "line " + std::to_string(at) + ": a NUL byte; this is not a text file";
      } else {
        error = name(source) + "line " + std::to_string(at) + " is longer than " +
                std::to_string(kMaxLineBytes) + " bytes; this is not a text file of values";
      }
      return false;
    }
  }
  return carry.empty() || take(carry);
}

std::string unquoted(std::string_view f) {
  f = trim(f);
  if (f.size() >= 2 && f.front() == '"' && f.back() == '"') f = f.substr(1, f.size() - 2);
  return std::string(trim(f));
}

// True when a field is meant as a number, whether or not it is a well-formed one: it reads as
// a number, or starts like one (a digit, or a sign or point and a digit: "0x1F", "1,5",
// "-.5e"), or is nan or inf. A line holding such a field is data, never a header.
bool meantAsNumber(std::string_view field) {
  double v = 0;
  if (parseNumber(field, v)) return true;
  std::string f = unquoted(field);
  size_t at = 0;
  if (at < f.size() && (f[at] == '+' || f[at] == '-')) ++at;
  if (at < f.size() && f[at] == '.') ++at;
  if (at < f.size() && f[at] >= '0' && f[at] <= '9') return true;
  std::string word = f.substr(f.empty() || (f[0] != '+' && f[0] != '-') ? 0 : 1);
  for (char& c : word) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  return word == "nan" || word == "inf" || word == "infinity";
}

// A line is a header only when none of its fields is meant as a number.
bool anyNumber(const std::vector<std::string_view>& fields) {
  for (std::string_view f : fields) {
    if (meantAsNumber(f)) return true;
  }
  return false;
}

std::string notANumber(const std::string& source, uint32_t line, size_t column, std::string_view field) {
  std::string text =
      name(source) + "line " + std::to_string(line) + ", column " + std::to_string(column) + ": ";
  if (trim(field).empty()) return text + "empty field";
  text += shown(trim(field)) + " is not a number";
  if (field.find(',') != std::string_view::npos) text += " (decimals take a point)";
  return text;
}

}  // namespace

bool parseTextSeries(std::string_view bytes, const std::string& source, const SeriesReadOptions& options,
                     SeriesValues& out, std::string& error) {
  MemoryBytes memory(bytes);
  return parseTextSeries(memory, source, options, out, error);
}

bool parseTextEtalons(std::string_view bytes, const std::string& source, EtalonValues& out,
                      std::string& error) {
  MemoryBytes memory(bytes);
  return parseTextEtalons(memory, source, out, error);
}

bool parseTextSeries(ByteSource& bytes, const std::string& source, const SeriesReadOptions& options,
                     SeriesValues& out, std::string& error) {
  SeriesValues result;
  result.source = source;
  Separator sep = Separator::kBlanks;
  bool first = true;
  size_t columns = 0;
  size_t column = 0;  // 0-based
  size_t index = 0;   // data values seen
  uint32_t firstLine = 0;
  const bool bounded = options.count.has_value();
  std::vector<std::string_view> fields;
  const bool ok = forEachLine(bytes, source, error, [&](std::string_view line, uint32_t number) {
    if (first) {
      first = false;
      firstLine = number;
      sep = separatorOf(line);
      splitFields(line, sep, fields);
      columns = fields.size();
      const bool header = !anyNumber(fields);
      if (!options.columnName.empty()) {
        if (!header) {
          error = name(source) + "no header line to find column \"" + options.columnName + "\" in (line " +
                  std::to_string(number) + " holds numbers)";
          return false;
        }
        for (size_t k = 0; k < fields.size(); ++k) {
          if (unquoted(fields[k]) == options.columnName) {
            column = k;
            break;
          }
          if (k + 1 == fields.size()) {
            std::string names;
            for (size_t j = 0; j < fields.size() && j < 20; ++j)
              names += (j ? ", " : "") + unquoted(fields[j]);
            error = name(source) + "no column \"" + options.columnName + "\" in the header (line " +
                    std::to_string(number) + ": " + names + ")";
            return false;
          }
        }
      } else if (options.column) {
        if (*options.column == 0 || *options.column > columns) {
          error = name(source) + "no column " + std::to_string(*options.column) + ": line " +
                  std::to_string(number) + " has " + std::to_string(columns) +
                  (columns == 1 ? " column" : " columns");
          return false;
        }
        column = *options.column - 1;
      } else if (columns > 1) {
        error = name(source) + "line " + std::to_string(number) + " has " + std::to_string(columns) +
                " columns; choose one";
        return false;
      }
      if (header) return true;
    } else {
      splitFields(line, sep, fields);
    }
    if (fields.size() != columns) {
      error = name(source) + "line " + std::to_string(number) + " has " + std::to_string(fields.size()) +
              " fields, line " + std::to_string(firstLine) + " has " + std::to_string(columns);
      return false;
    }
    const size_t at = index++;
    if (at < options.from) return true;
    if (bounded && at - options.from >= *options.count) return false;  // past the segment: done
    if (!takeSegmentValue(options, at, result)) return true;
    double v = 0;
    if (!parseNumber(fields[column], v)) {
      error = notANumber(source, number, column + 1, fields[column]);
      return false;
    }
    result.values.push_back(v);
    result.lines.push_back(number);
    return true;
  });
  if (!ok && !error.empty()) return false;
  error.clear();
  if (const std::string problem = segmentStartProblem(source, options, index, "value"); !problem.empty()) {
    error = problem;
    return false;
  }
  out = std::move(result);
  return true;
}

bool parseTextEtalons(ByteSource& bytes, const std::string& source, EtalonValues& out, std::string& error) {
  EtalonValues result;
  result.source = source;
  Separator sep = Separator::kBlanks;
  bool first = true;
  std::vector<std::string_view> fields;
  const bool ok = forEachLine(bytes, source, error, [&](std::string_view line, uint32_t number) {
    if (first) {
      first = false;
      sep = separatorOf(line);
      splitFields(line, sep, fields);
      if (!anyNumber(fields)) return true;  // a header line
    } else {
      splitFields(line, sep, fields);
    }
    ++result.totalRows;
    if (result.rows.size() > kMaxUserEtalons) return true;
    if (fields.size() > kMaxUserEtalonLength) {
      error = name(source) + "line " + std::to_string(number) + ": " + std::to_string(fields.size()) +
              " values, more than the " + std::to_string(kMaxUserEtalonLength) + " an etalon may hold";
      return false;
    }
    std::vector<double> row(fields.size());
    for (size_t k = 0; k < fields.size(); ++k) {
      if (!parseNumber(fields[k], row[k])) {
        error = notANumber(source, number, k + 1, fields[k]);
        return false;
      }
    }
    result.rows.push_back(std::move(row));
    result.lines.push_back(number);
    return true;
  });
  if (!ok) return false;
  if (result.totalRows == 0) {
    error = name(source) + "no etalons";
    return false;
  }
  out = std::move(result);
  return true;
}
