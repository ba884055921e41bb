#pragma once
// A small library whose functions of every kind (free, hidden, member, static member, template,
// lambda, inlined, in a second file) each note the address their call of Note returns to. The
// tests load it twice: built with reporter data, and without (exports only).
#include <cstdint>

extern "C" {
// Runs every function once; writes the noted return addresses (at most Max) and returns how many.
int SampleCollect(uintptr_t* Out, int Max);
}

namespace sample {
// Notes the address it returns to.
int Note();

struct Shape {
  virtual ~Shape();
  virtual int Area() const;
  static int Count();
};

struct Square : Shape {
  int Area() const override;
};

template <class T>
struct Holder {
  int Touch() {
    return Note() + 1;  // DebugSample.h: the template's call
  }
};

int FreeFunction(int X);
int Lambdas(int X);
int OtherFile(int X);
}  // namespace sample
