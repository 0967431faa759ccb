#pragma once
// Reader of sound files through libsndfile: WAV, AIFF, AU, FLAC, Ogg and the rest of what it
// opens, PCM of 8 to 32 bits and float. Integer PCM reads as its integer values (16-bit PCM
// as -32768..32767), float as stored. A file of several channels needs a channel.

#include <string>
#include <string_view>

#include "files/byte_source.h"
#include "files/series_values.h"

// Reads the series from the bytes of a sound file (source names it in messages); false with
// a one-line message.
bool parseSoundSeries(std::string_view bytes, const std::string& source, const SeriesReadOptions& options,
                      SeriesValues& out, std::string& error);

// The same from a source read piece by piece.
bool parseSoundSeries(ByteSource& bytes, const std::string& source, const SeriesReadOptions& options,
                      SeriesValues& out, std::string& error);

// True when the bytes start like a sound file libsndfile reads (RIFF/RIFX/RF64/FORM/.snd/
// fLaC/OggS/..., and the GUID of a Wave64 file).
bool looksLikeSound(std::string_view bytes);
