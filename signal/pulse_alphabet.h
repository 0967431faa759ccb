#pragma once
#include <cstdint>

#include "signal/pulse_header.h"

class MessageSink;
struct RandomSeeds;

// Builds count etalons of the given length into alphabet[0 .. count-1]: storage first
// (records with enough storage keep it), then every shape. Noise etalons draw from
// seeds.seedNoisePulses. Returns 1, or 0 after the message "Не могу выделить память!"
// when storage is exhausted (the records allocated by this call are then released).
int makePulses(MessageSink& window, int16_t amplitude, uint16_t count, uint16_t length, PulseHeader* alphabet,
               RandomSeeds& seeds);

// Releases lpData of the first count records and clears their sizes. Accepts null.
void freePulses(PulseHeader* alphabet, uint16_t count);

// Shapes: each fills length samples of out.
void makeHalfSinePulse(int16_t amplitude, int16_t length, int16_t* out);
void makeSinePulse(int16_t amplitude, int16_t length, int16_t* out);
void makeDampedSinePulse(int16_t amplitude, int16_t rise, int16_t cycles, int16_t length, int16_t* out);
void makeEnvelopePulse(int16_t amplitude, int16_t rise, int16_t cycles, int16_t length, int16_t* out);
// Copies sourceLength samples to length samples through resamplePulse and negates them.
void makeMirrorPulse(int16_t sourceLength, const int16_t* source, int16_t length, int16_t* out);
// Linear resampling from sourceLength to length samples; the last output sample is the
// last source sample. With equal lengths the output equals the input.
void resamplePulse(int16_t sourceLength, const int16_t* source, int16_t length, int16_t* out);
