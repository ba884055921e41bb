#include "tests/exceptions/DebugSample.h"

namespace {
uintptr_t Trail[64];
int TrailCount = 0;

int Hidden(int X) {
  return sample::Note() + X;
}

__attribute__((always_inline)) inline int Inlined(int X) {
  return sample::Note() * X;
}
}  // namespace

namespace sample {
__attribute__((noinline)) int Note() {
  if (TrailCount < 64) Trail[TrailCount++] = reinterpret_cast<uintptr_t>(__builtin_return_address(0));
  return TrailCount;
}

Shape::~Shape() = default;

int Shape::Area() const {
  return Note();
}

int Shape::Count() {
  return Note() + 2;
}

int Square::Area() const {
  int A = Note();
  return A * A;
}

int FreeFunction(int X) {
  int Y = Inlined(X);
  return Hidden(Y);
}

int Lambdas(int X) {
  auto Twice = [](int V) {
    return Note() + V * 2;
  };
  return Twice(X);
}
}  // namespace sample

extern "C" int SampleCollect(uintptr_t* Out, int Max) {
  TrailCount = 0;
  sample::Square Sq;
  sample::Shape Sh;
  sample::Shape* Shapes[] = {&Sq, &Sh};
  int Sum = 0;
  for (sample::Shape* S : Shapes) Sum += S->Area();
  Sum += sample::Shape::Count();
  Sum += sample::FreeFunction(Sum);
  Sum += sample::Lambdas(Sum);
  Sum += sample::Note();
  sample::Holder<int> H;
  Sum += H.Touch();
  Sum += sample::OtherFile(Sum);
  int N = TrailCount < Max ? TrailCount : Max;
  for (int I = 0; I < N; ++I) Out[I] = Trail[I];
  return Sum > 0 ? N : N;
}
