// Hostile and broken files: each a one-line message naming the file and the place, never a
// crash and never values.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "files/series_files.h"

namespace {

std::string failure(const std::string& bytes, const SeriesReadOptions& options = {}) {
  SeriesValues values;
  std::string error;
  EXPECT_FALSE(parseSeriesBytes(bytes, "f", options, values, error)) << bytes.substr(0, 60);
  EXPECT_EQ(values.values.size(), 0u);
  EXPECT_EQ(error.rfind("\"f\": ", 0), 0u) << error;
  EXPECT_EQ(error.find('\n'), std::string::npos) << error;
  return error;
}

std::string etalonFailure(const std::string& bytes) {
  EtalonValues values;
  std::string error;
  EXPECT_FALSE(parseEtalonBytes(bytes, "f", values, error));
  return error;
}

std::string npy(const std::string& dict, const std::string& data, int version = 1) {
  std::string header = dict;
  const size_t prefix = version == 1 ? 10 : 12;
  while ((prefix + header.size() + 1) % 64 != 0) header += ' ';
  header += '\n';
  std::string out("\x93NUMPY", 6);
  out += static_cast<char>(version);
  out += '\0';
  const size_t n = header.size();
  out += static_cast<char>(n & 0xFF);
  out += static_cast<char>((n >> 8) & 0xFF);
  if (version != 1) out += std::string(2, '\0');
  return out + header + data;
}

std::string int16s(std::initializer_list<int16_t> values) {
  std::string out;
  for (int16_t v : values) {
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>((v >> 8) & 0xFF);
  }
  return out;
}

TEST(NpyBadInput, HeadersMagicShapesOrderAndTypes) {
  const std::string good =
      npy("{'descr': '<i2', 'fortran_order': False, 'shape': (3,), }", int16s({1, -2, 3}));
  SeriesValues values;
  std::string error;
  ASSERT_TRUE(parseSeriesBytes(good, "f", {}, values, error)) << error;
  EXPECT_EQ(values.values, (std::vector<double>{1, -2, 3}));

  // Every truncation of a good file is refused (the magic cut short reads as text).
  for (size_t cut = 7; cut < good.size(); ++cut) {
    const std::string e = failure(good.substr(0, cut));
    EXPECT_TRUE(e.find("truncated") != std::string::npos || e.find("past the end") != std::string::npos ||
                e.find("more values than the file holds") != std::string::npos)
        << cut << ": " << e;
  }
  std::string wrong = good;
  wrong[1] = 'M';
  EXPECT_EQ(failure(wrong), "\"f\": line 1: a NUL byte; this is not a text file");  // no magic: read as text
  std::string past = good;
  past[8] = '\xFF';
  past[9] = '\x7F';
  EXPECT_NE(failure(past).find("the .npy header of 32767 bytes reaches past the end"), std::string::npos);
  EXPECT_NE(failure(npy("{'descr': '<i2', 'fortran_order': False, 'shape': (3,), }", "", 2).substr(0, 11))
                .find("truncated"),
            std::string::npos);

  EXPECT_EQ(failure(npy("{'descr': '<i2', 'fortran_order': False, 'shape': (4611686018427387904, 4), }", "")),
            "\"f\": the shape 4611686018427387904 x 4 declares more values than the file holds (0)");
  EXPECT_NE(
      failure(npy("{'descr': '<i2', 'fortran_order': False, 'shape': (99999999999999999999999,), }", ""))
          .find("not a dict"),
      std::string::npos);
  EXPECT_EQ(failure(npy("{'descr': '<i2', 'fortran_order': True, 'shape': (2, 2), }", int16s({1, 2, 3, 4}))),
            "\"f\": Fortran-ordered arrays are not supported; save the array in C order");
  for (const char* type : {"<c16", "<U4", "|b1", "<u4", "<f2", "|O", "<M8[s]"}) {
    const std::string e =
        failure(npy(std::string("{'descr': '") + type + "', 'fortran_order': False, 'shape': (1,), }",
                    std::string(16, '\0')));
    EXPECT_EQ(e, std::string("\"f\": values of type '") + type +
                     "' are not supported (int8/16/32/64, uint8/16, float32/64 are)");
  }
  EXPECT_EQ(failure(npy("{'descr': '<i2', 'fortran_order': False, 'shape': (1, 1, 1), }", int16s({1}))),
            "\"f\": a 3-dimensional array; 1 or 2 dimensions are read");
  EXPECT_EQ(failure(npy("{'descr': '<i2', 'fortran_order': False, 'shape': (), }", int16s({1}))),
            "\"f\": a 0-dimensional array; 1 or 2 dimensions are read");
  for (const char* dict :
       {"{'descr': '<i2', 'shape': (1,), }", "{'descr': '<i2' 'fortran_order': False}", "[]",
        "{'descr': '<i2', 'fortran_order': Maybe, 'shape': (1,)}", "{'descr: '<i2'}"}) {
    EXPECT_NE(failure(npy(dict, int16s({1}))).find("not a dict"), std::string::npos) << dict;
  }
  std::string v9 = good;
  v9[6] = 9;
  EXPECT_EQ(failure(v9), "\"f\": .npy version 9 is not supported (1 and 2 are)");

  const std::string table =
      npy("{'descr': '<i2', 'fortran_order': False, 'shape': (2, 2), }", int16s({1, 2, 3, 4}));
  EXPECT_EQ(failure(table), "\"f\": the array has 2 columns; choose one");
  SeriesReadOptions third;
  third.column = 3;
  EXPECT_EQ(failure(table, third), "\"f\": no column 3: the array has 2 columns");
  SeriesReadOptions beyond;
  beyond.column = 1;
  beyond.from = 2;
  EXPECT_EQ(failure(table, beyond), "\"f\": the segment starts after 2 rows, but the file holds 2");
}

TEST(TextBadInput, ColumnsFieldsBytesAndNumbers) {
  SeriesReadOptions second;
  second.column = 2;
  EXPECT_EQ(failure("1,2\n3,4\n5\n", second), "\"f\": line 3 has 1 fields, line 1 has 2");
  EXPECT_EQ(failure("1,2\n3,4,5\n", second), "\"f\": line 2 has 3 fields, line 1 has 2");
  EXPECT_EQ(failure("1 2\n3 4\n"), "\"f\": line 1 has 2 columns; choose one");
  SeriesReadOptions fifth;
  fifth.column = 5;
  EXPECT_EQ(failure("a,b\n1,2\n", fifth), "\"f\": no column 5: line 1 has 2 columns");
  SeriesReadOptions named;
  named.columnName = "volts";
  EXPECT_EQ(failure("time,amps\n1,2\n", named),
            "\"f\": no column \"volts\" in the header (line 1: time, amps)");
  EXPECT_EQ(failure("1,2\n", named),
            "\"f\": no header line to find column \"volts\" in (line 1 holds numbers)");
  EXPECT_EQ(failure("1\n2\nx3\n"), "\"f\": line 3, column 1: \"x3\" is not a number");
  EXPECT_EQ(failure("1\n\n2\n\"\"\n"), "\"f\": line 4, column 1: \"\"\"\" is not a number");
  SeriesReadOptions first;
  first.column = 1;
  EXPECT_EQ(failure("a;b\n1,5;2\n", first),
            "\"f\": line 2, column 1: \"1,5\" is not a number (decimals take a point)");
  EXPECT_EQ(failure("1,,3\n4,5,6\n", second), "\"f\": line 1, column 2: empty field");
  EXPECT_EQ(failure("1\n2\n\xC3\x28\n"), "\"f\": line 3: bytes that are not UTF-8 text");
  EXPECT_EQ(failure("1\n\xFF\xFE"
                    "2\n"),
            "\"f\": line 2: bytes that are not UTF-8 text");
  EXPECT_EQ(failure(std::string("1\n2\0\n", 5)), "\"f\": line 2: a NUL byte; this is not a text file");
  SeriesReadOptions late;
  late.from = 3;
  EXPECT_EQ(failure("1\n2\n3\n", late), "\"f\": the segment starts after 3 values, but the file holds 3");
  SeriesReadOptions none;
  none.count = 0;
  EXPECT_EQ(failure("1\n", none), "\"f\": a segment of 0 samples holds no samples");
  SeriesReadOptions channel;
  channel.channel = 1;
  EXPECT_EQ(failure("1\n", channel), "\"f\": a text file has columns, not channels; choose a column");

  // Comments, blank lines, a byte-order mark, CRLF, quotes, '+', and the header all read.
  SeriesValues values;
  std::string error;
  ASSERT_TRUE(
      parseSeriesBytes("\xEF\xBB\xBF# made by hand\r\n\r\n\"x\"\r\n+1.5 # first\r\n\"-2e1\"\r\n  \r\nnan\r\n",
                       "f", {}, values, error))
      << error;
  ASSERT_EQ(values.values.size(), 3u);
  EXPECT_EQ(values.values[0], 1.5);
  EXPECT_EQ(values.values[1], -20);
  EXPECT_TRUE(values.values[2] != values.values[2]);  // NaN reaches the scaling, which names line 7
  EXPECT_EQ(values.position(2), "line 7");
  // Only blank lines and comments: nothing to read (the scaling says "no samples").
  ASSERT_TRUE(parseSeriesBytes("\n\n# nothing\n  \n", "f", {}, values, error)) << error;
  EXPECT_EQ(values.totalSize, 0u);
  // Past the kept limit values are counted, not stored.
  std::string many;
  for (int i = 0; i < 40000; ++i) many += "1\n";
  ASSERT_TRUE(parseSeriesBytes(many, "f", {}, values, error)) << error;
  EXPECT_EQ(values.totalSize, 40000u);
  EXPECT_EQ(values.values.size(), 32768u);
}

TEST(EtalonsBadInput, RowsValuesAndFormats) {
  EXPECT_EQ(etalonFailure(""), "\"f\": no etalons");
  EXPECT_EQ(etalonFailure("# only a comment\n"), "\"f\": no etalons");
  EXPECT_EQ(etalonFailure("1,2,3\n4,x,6\n"), "\"f\": line 2, column 2: \"x\" is not a number");
  EXPECT_EQ(etalonFailure("RIFF....WAVE"),
            "\"f\": etalons are read from text, .npy or JSON files, not from sound files");
  EXPECT_EQ(etalonFailure("{\"etalons\": [{\"samples\": [1, \"a\"]}]}"),
            "\"f\": etalon 1, sample 2: not a number");
  EXPECT_EQ(etalonFailure("{\"etalons\": [1]}"), "\"f\": etalon 1 has no array \"samples\"");
  EXPECT_EQ(etalonFailure("{\"etalons\": [{\"samples\": [1, 2]}"), "\"f\": not a JSON object");
  EXPECT_EQ(etalonFailure(npy("{'descr': '<i2', 'fortran_order': False, 'shape': (0, 2), }", "")),
            "\"f\": no etalons");
  // Unequal rows read; the scaling refuses them (one check for every source).
  EtalonValues values;
  std::string error;
  ASSERT_TRUE(parseEtalonBytes("1 2 3\n4 5\n", "f", values, error)) << error;
  EXPECT_EQ(values.rows[1].size(), 2u);
  EXPECT_EQ(values.position(1, 1), "line 2, value 2");
  std::string rows;
  for (int i = 0; i < 30; ++i) rows += "1 2\n";
  ASSERT_TRUE(parseEtalonBytes(rows, "f", values, error));
  EXPECT_EQ(values.totalRows, 30u);
  EXPECT_EQ(values.rows.size(), 21u);
}

TEST(SoundAndJsonBadInput, TruncatedHeadersAndMissingArrays) {
  std::string wav(
      "RIFF\x2c\x00\x00\x00WAVEfmt \x10\x00\x00\x00\x01\x00\x01\x00\x40\x1f\x00\x00\x80\x3e\x00\x00"
      "\x02\x00\x10\x00"
      "data\x08\x00\x00\x00\x01\x00\x02\x00\x03\x00\x04\x00",
      52);
  SeriesValues values;
  std::string error;
  ASSERT_TRUE(parseSeriesBytes(wav, "f", {}, values, error)) << error;
  EXPECT_EQ(values.values, (std::vector<double>{1, 2, 3, 4}));
  // A cut header is refused, or read as holding no frames (which the scaling refuses).
  for (size_t cut = 4; cut < 44; ++cut) {
    const bool read = parseSeriesBytes(wav.substr(0, cut), "f", {}, values, error);
    EXPECT_TRUE(!read || values.values.empty()) << cut;
  }
  SeriesReadOptions column;
  column.column = 1;
  EXPECT_EQ(failure(wav, column), "\"f\": a sound file has channels, not columns; choose a channel");
  SeriesReadOptions channel;
  channel.channel = 2;
  EXPECT_EQ(failure(wav, channel), "\"f\": no channel 2: the file has 1 channel");

  EXPECT_EQ(failure("{\"lpPureData\": [1, 2]}"), "\"f\": no array \"lpNoisyData\" in the document");
  EXPECT_EQ(failure("{\"lpNoisyData\": [1, null]}"), "\"f\": lpNoisyData entry 2: not a number");
  EXPECT_EQ(failure(std::string(100000, '{')), "\"f\": not a JSON object");
  SeriesReadOptions pure;
  pure.columnName = "lpPureData";
  ASSERT_TRUE(parseSeriesBytes("{\"lpPureData\": [1, 2.5]}", "f", pure, values, error)) << error;
  EXPECT_EQ(values.values, (std::vector<double>{1, 2.5}));
}

}  // namespace
