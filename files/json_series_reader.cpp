#include "files/json_series_reader.h"

#include <nlohmann/json.hpp>
#include <optional>
#include <vector>

namespace {

using Json = nlohmann::json;

std::string name(const std::string& source) { return "\"" + source + "\": "; }

// What an array being read stands for.
enum class Role : uint8_t { kOther, kSeries, kEtalons, kEtalon, kSamples };

// An array of numbers being read: whether the last member of its name is an array, its
// entries, the values kept and the first entry kept that is no number (none kept after it).
struct NumberArray {
  bool found = false;
  size_t total = 0;
  std::vector<double> values;
  std::optional<size_t> bad;

  void reset(bool array) {
    found = array;
    total = 0;
    values.clear();
    bad.reset();
  }

  // Entry i, which the caller keeps.
  void keep(size_t i, bool isNumber, double v) {
    if (bad) return;
    if (isNumber)
      values.push_back(v);
    else
      bad = i;
  }
};

// Reads a series or an alphabet document as a stream of events, without building the
// document: only the values the caller keeps are stored (at most one more than the limits),
// so a document of any size takes memory for the segment alone. A member given twice counts
// with its last value, as a document read whole would have it.
class DocumentEvents : public nlohmann::json_sax<Json> {
 public:
  // Series: the top-level array `seriesKey`, its entries from `from` on (`count` of them at
  // most), the first keepAtMost + 1 of those kept. Etalons: `seriesKey` empty.
  DocumentEvents(std::string seriesKey, size_t from, std::optional<size_t> count, size_t keepAtMost)
      : seriesKey_(std::move(seriesKey)), from_(from), count_(count), keepAtMost_(keepAtMost) {}

  bool null() override { return scalar(false, 0); }
  bool boolean(bool) override { return scalar(false, 0); }
  bool number_integer(number_integer_t v) override { return scalar(true, static_cast<double>(v)); }
  bool number_unsigned(number_unsigned_t v) override { return scalar(true, static_cast<double>(v)); }
  bool number_float(number_float_t v, const string_t&) override { return scalar(true, v); }
  bool string(string_t&) override { return scalar(false, 0); }
  bool binary(binary_t&) override { return scalar(false, 0); }
  bool start_object(std::size_t) override { return open(false); }
  bool start_array(std::size_t) override { return open(true); }
  bool end_object() override { return close(); }
  bool end_array() override { return close(); }
  bool key(string_t& text) override {
    if (deeper_ == 0 && frames_.size() == 1) {
      pending_ = !seriesKey_.empty() && text == seriesKey_ ? Role::kSeries
                 : seriesKey_.empty() && text == "etalons" ? Role::kEtalons
                                                           : Role::kOther;
    } else if (deeper_ == 0 && frames_.back().role == Role::kEtalon) {
      pending_ = text == "samples" ? Role::kSamples : Role::kOther;
    } else {
      pending_ = Role::kOther;
    }
    return true;
  }
  bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) override {
    malformed_ = true;
    return false;
  }

  bool malformed() const { return malformed_; }
  bool documentIsObject() const { return documentIsObject_; }

  // The series.
  NumberArray series;

  // The etalons: whether "etalons" is an array, its entries, the rows kept, and the first
  // refusal of an etalon among those read.
  bool etalonsFound = false;
  size_t etalonsTotal = 0;
  std::vector<std::vector<double>> rows;
  std::string etalonProblem;

 private:
  struct Frame {
    bool array = false;
    Role role = Role::kOther;
    size_t next = 0;  // entries of an array so far
  };

  // The role of a value at the current place, and, in an array, its index.
  Role placeOf(size_t& index) {
    if (frames_.empty()) return Role::kOther;
    Frame& f = frames_.back();
    if (f.array) {
      index = f.next++;
      return f.role;
    }
    const Role r = pending_;  // set by the member's key
    pending_ = Role::kOther;
    return r;
  }

  bool scalar(bool isNumber, double v) {
    if (deeper_ > 0) return true;
    size_t index = 0;
    if (frames_.empty()) return true;  // a document that is no object
    const bool inArray = frames_.back().array;
    const Role parent = frames_.back().role;
    const Role role = placeOf(index);
    if (inArray) {
      if (parent == Role::kSeries) seriesEntry(index, isNumber, v);
      if (parent == Role::kSamples) sampleEntry(index, isNumber, v);
      if (parent == Role::kEtalons) etalonEntry(index, false);
      return true;
    }
    // A member that is no array.
    if (role == Role::kSeries) resetSeries(false);
    if (role == Role::kEtalons) resetEtalons(false);
    if (role == Role::kSamples) resetSamples(false);
    return true;
  }

  bool open(bool array) {
    if (deeper_ > 0 || frames_.size() >= 4) {
      ++deeper_;
      if (deeper_ == 1) noteContainerEntry();
      return true;
    }
    if (frames_.empty()) {
      documentIsObject_ = !array;
      frames_.push_back({array, Role::kOther, 0});
      return true;
    }
    const bool inArray = frames_.back().array;
    const Role parent = frames_.back().role;
    size_t index = 0;
    const Role role = placeOf(index);
    Role own = Role::kOther;
    if (inArray) {
      if (parent == Role::kSeries) seriesEntry(index, false, 0);
      if (parent == Role::kSamples) sampleEntry(index, false, 0);
      if (parent == Role::kEtalons) {
        own = etalonEntry(index, !array) ? Role::kEtalon : Role::kOther;
      }
    } else if (role == Role::kSeries) {
      resetSeries(array);
      own = array ? Role::kSeries : Role::kOther;
    } else if (role == Role::kEtalons) {
      resetEtalons(array);
      own = array ? Role::kEtalons : Role::kOther;
    } else if (role == Role::kSamples) {
      resetSamples(array);
      own = array ? Role::kSamples : Role::kOther;
    }
    frames_.push_back({array, own, 0});
    return true;
  }

  // A container nested too deep to matter still counts as an entry of the array around it.
  void noteContainerEntry() {
    Frame& f = frames_.back();
    if (!f.array) return;
    const size_t index = f.next++;
    if (f.role == Role::kSeries) seriesEntry(index, false, 0);
    if (f.role == Role::kSamples) sampleEntry(index, false, 0);
  }

  bool close() {
    if (deeper_ > 0) {
      --deeper_;
      return true;
    }
    const Frame f = frames_.back();
    frames_.pop_back();
    if (f.role == Role::kSeries) series.total = f.next;
    if (f.role == Role::kEtalons) etalonsTotal = f.next;
    if (f.role == Role::kSamples) samples_.total = f.next;
    if (f.role == Role::kEtalon) finishEtalon();
    return true;
  }

  void resetSeries(bool array) { series.reset(array); }

  void seriesEntry(size_t i, bool isNumber, double v) {
    if (i < from_ || (count_ && i - from_ >= *count_) || series.values.size() > keepAtMost_) return;
    series.keep(i, isNumber, v);
  }

  void resetEtalons(bool array) {
    etalonsFound = array;
    etalonsTotal = 0;
    rows.clear();
    etalonProblem.clear();
  }

  // Entry k of the etalons starts; true when it is an object to be read.
  bool etalonEntry(size_t k, bool object) {
    if (!etalonProblem.empty() || k > kMaxUserEtalons) return false;
    etalon_ = k;
    if (!object) {
      etalonProblem = "etalon " + std::to_string(k + 1) + " has no array \"samples\"";
      return false;
    }
    resetSamples(false);
    return true;
  }

  void resetSamples(bool array) { samples_.reset(array); }

  void sampleEntry(size_t i, bool isNumber, double v) {
    if (i < kMaxUserEtalonLength) samples_.keep(i, isNumber, v);
  }

  void finishEtalon() {
    const std::string which = "etalon " + std::to_string(etalon_ + 1);
    if (!samples_.found) {
      etalonProblem = which + " has no array \"samples\"";
    } else if (samples_.total > kMaxUserEtalonLength) {
      etalonProblem = which + ": more than " + std::to_string(kMaxUserEtalonLength) + " samples";
    } else if (samples_.bad) {
      etalonProblem = which + ", sample " + std::to_string(*samples_.bad + 1) + ": not a number";
    } else {
      rows.push_back(std::move(samples_.values));
    }
    samples_.values = {};
  }

  std::string seriesKey_;
  size_t from_;
  std::optional<size_t> count_;
  size_t keepAtMost_;
  std::vector<Frame> frames_;  // the containers open, down to the depth that matters
  size_t deeper_ = 0;          // containers open below them
  Role pending_ = Role::kOther;
  bool malformed_ = false;
  bool documentIsObject_ = false;
  size_t etalon_ = 0;
  NumberArray samples_;  // of the etalon being read
};

// Reads the whole text; false with the message when it is not one JSON object.
bool readEvents(std::string_view bytes, const std::string& source, DocumentEvents& events,
                std::string& error) {
  Json::sax_parse(bytes.begin(), bytes.end(), &events);
  if (events.malformed() || !events.documentIsObject()) {
    error = name(source) + "not a JSON object";
    return false;
  }
  return true;
}

}  // namespace

bool looksLikeJson(std::string_view bytes) {
  if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);  // a UTF-8 byte order mark
  const size_t at = bytes.find_first_not_of(" \t\r\n");
  return at != std::string_view::npos && bytes[at] == '{';
}

bool parseJsonSeries(std::string_view bytes, const std::string& source, const SeriesReadOptions& options,
                     SeriesValues& out, std::string& error) {
  const std::string key = options.columnName.empty() ? "lpNoisyData" : options.columnName;
  DocumentEvents events(key, options.from, options.count, options.keepAtMost);
  if (!readEvents(bytes, source, events, error)) return false;
  if (options.channel || options.column) {
    error = name(source) + "a JSON series is chosen by name (lpNoisyData, lpPureData), not by number";
    return false;
  }
  if (!events.series.found) {
    error = name(source) + "no array \"" + key + "\" in the document";
    return false;
  }
  const size_t total = events.series.total;
  if (const std::string problem = segmentStartProblem(source, options, total, "sample"); !problem.empty()) {
    error = problem;
    return false;
  }
  if (events.series.bad) {
    error = name(source) + key + " entry " + std::to_string(*events.series.bad + 1) + ": not a number";
    return false;
  }
  SeriesValues result;
  result.source = source;
  const size_t end =
      options.count && *options.count < total - options.from ? options.from + *options.count : total;
  result.totalSize = end > options.from ? end - options.from : 0;
  result.first = result.totalSize > 0 ? options.from : 0;
  result.values = std::move(events.series.values);
  out = std::move(result);
  return true;
}

bool parseJsonEtalons(std::string_view bytes, const std::string& source, EtalonValues& out,
                      std::string& error) {
  DocumentEvents events("", 0, std::nullopt, 0);
  if (!readEvents(bytes, source, events, error)) return false;
  if (!events.etalonsFound || events.etalonsTotal == 0) {
    error = name(source) + "no array \"etalons\" in the document";
    return false;
  }
  if (!events.etalonProblem.empty()) {
    error = name(source) + events.etalonProblem;
    return false;
  }
  EtalonValues result;
  result.source = source;
  result.totalRows = events.etalonsTotal;
  result.rows = std::move(events.rows);
  out = std::move(result);
  return true;
}
