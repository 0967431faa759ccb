#pragma once
// Working storage and walking order of the long-recording solvers (processing/long_recording.h).
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "processing/chain_kernel.h"
#include "processing/chain_pass.h"
#include "processing/long_position_sets.h"

// Memory for large working arrays: on Linux mapped anonymously and marked for huge pages, so
// that the first touch of gigabytes costs a fault per 2 MB rather than per 4 KB; elsewhere
// operator new. Throws std::bad_alloc when the memory cannot be had.
void* allocateWorkingMemory(size_t bytes);
void releaseWorkingMemory(void* memory, size_t bytes);

// The same, the part below `cut` bytes or the one from there on (whole huge pages from the
// cut) given back by the side thread at once (processing/side_thread.h): pages a processor
// frees go to its own cache first, so the thread that writes a part of the next run's memory
// finds them there rather than fresh from the system, which on a virtual machine costs half
// as much again or milliseconds.
void releaseWorkingMemoryApart(void* memory, size_t bytes, size_t cut, bool sideBelowCut = false) noexcept;

// Asks the system to map the whole pages within memory .. memory + bytes for writing at once,
// which costs far less than a fault at the first write of each, as huge pages where whole
// ones lie within. Advice only: what the memory holds stays, and nothing happens where the
// system cannot.
void prefaultForWriting(void* memory, size_t bytes);

// Room for count values in v (emptied): the storage it has when that is enough (an earlier
// answer's, mapped already), else fresh memory mapped at once, as a long recording's rows
// take a fault every 4 KB otherwise.
template <class T>
void reserveAnswerRow(std::vector<T>& v, size_t count) {
  v.clear();
  if (v.capacity() >= count) return;
  std::vector<T>().swap(v);
  v.reserve(count);
  prefaultForWriting(v.data(), count * sizeof(T));
}

// count copies of value in v, in such room.
template <class T>
void fillAnswerRow(std::vector<T>& v, size_t count, const T& value) {
  reserveAnswerRow(v, count);
  v.assign(count, value);
}

// An array of trivial values left uninitialised: every pass writes each entry before it reads
// it, and a first write is the page's only touch (no clearing pass over gigabytes).
template <class T>
class UninitializedArray {
 public:
  UninitializedArray() = default;
  UninitializedArray(const UninitializedArray&) = delete;
  UninitializedArray& operator=(const UninitializedArray&) = delete;
  UninitializedArray(UninitializedArray&& other) noexcept : data_(other.data_), size_(other.size_) {
    other.data_ = nullptr;
    other.size_ = 0;
  }
  UninitializedArray& operator=(UninitializedArray&& other) noexcept {
    if (this != &other) {
      release();
      data_ = std::exchange(other.data_, nullptr);
      size_ = std::exchange(other.size_, 0);
    }
    return *this;
  }
  ~UninitializedArray() { release(); }

  // May throw std::bad_alloc.
  void resize(int64_t count) {
    release();
    data_ = static_cast<T*>(allocateWorkingMemory(static_cast<size_t>(count) * sizeof(T)));
    size_ = count;
  }
  void release() {
    if (data_ != nullptr) releaseWorkingMemory(data_, static_cast<size_t>(size_) * sizeof(T));
    data_ = nullptr;
    size_ = 0;
  }
  // The same, the entries from `cut` on (or, sideBelowCut, those below it) given back by the
  // side thread (another processor wrote them, and will again).
  void releaseApart(int64_t cut, bool sideBelowCut = false) {
    if (data_ != nullptr)
      releaseWorkingMemoryApart(data_, static_cast<size_t>(size_) * sizeof(T),
                                static_cast<size_t>(cut) * sizeof(T), sideBelowCut);
    data_ = nullptr;
    size_ = 0;
  }
  T* data() { return data_; }
  const T* data() const { return data_; }
  T& operator[](int64_t i) { return data_[i]; }
  const T& operator[](int64_t i) const { return data_[i]; }
  int64_t size() const { return size_; }

 private:
  T* data_ = nullptr;
  int64_t size_ = 0;
};

// Rows of the matching step: the caller's thread's, and one for every helper thread.
struct ScoreScratch {
  ScoreRows main;
  std::vector<ScoreRows> helpers;
};

// Values of every start position and, with breaks, the 32-bit links of the forward pass: 8
// bytes a position, 12 with breaks. The values are read through kept(): on two threads the
// pass leaves a shift to add from a position on. What the side thread wrote goes back from
// its processor.
struct ChainWork {
  UninitializedArray<int64_t> value;
  UninitializedArray<int32_t> link;
  PassOutcome pass;

  ChainWork() = default;
  ChainWork(const ChainWork&) = delete;
  ChainWork& operator=(const ChainWork&) = delete;
  ~ChainWork() {
    if (pass.secondFrom < 0) return;
    value.releaseApart(pass.secondFrom, pass.secondOnCaller);
    link.releaseApart(pass.secondFrom, pass.secondOnCaller);
  }

  KeptValues kept() const { return KeptValues{value.data(), pass.shiftFrom, pass.shift}; }

  // May throw std::bad_alloc.
  void prepare(int64_t positions, bool links) {
    value.resize(positions);
    if (links) link.resize(positions);
  }
};
