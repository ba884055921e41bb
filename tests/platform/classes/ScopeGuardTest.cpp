#include "platform/classes/ScopeGuard.h"

#include "platform/classes/StringList.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

namespace {
struct TFailure : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// Runs Body and reports whether it left by an exception.
template <class F>
bool Throws(F Body) {
  try {
    Body();
  } catch (const TFailure&) {
    return true;
  }
  return false;
}
}  // namespace

TEST(ScopeGuardTest, EveryGuardOnNormalExitAndOnException) {
  for (bool Fail : {false, true}) {
    SCOPED_TRACE(Fail ? "exception" : "normal exit");
    int Depth = 1;
    std::string Name = "old";
    int Finally = 0, OnException = 0;
    TStringList Lines;
    bool Threw = Throws([&] {
      TRestore<int> SavedDepth(Depth);
      TRestore<std::string> SavedName(Name, "new");
      TFinally Done([&] { ++Finally; });
      TOnException Undo([&] { ++OnException; });
      TUpdateScope Update(Lines);
      Depth = 7;
      EXPECT_EQ(Name, "new");
      EXPECT_EQ(Lines.UpdateCount(), 1);
      if (Fail) throw TFailure("x");
    });
    EXPECT_EQ(Threw, Fail);
    EXPECT_EQ(Depth, 1);
    EXPECT_EQ(Name, "old");
    EXPECT_EQ(Finally, 1);
    EXPECT_EQ(OnException, Fail ? 1 : 0);
    EXPECT_EQ(Lines.UpdateCount(), 0);
  }
}

TEST(ScopeGuardTest, ThrowingCleanupKeepsTheFirstFailureAndPropagatesOnNormalExit) {
  // While unwinding, the cleanup's own exception is dropped: the caller sees the original one.
  try {
    TFinally Cleanup([] { throw std::logic_error("cleanup"); });
    throw TFailure("first");
  } catch (const TFailure& E) {
    EXPECT_STREQ(E.what(), "first");
  } catch (...) {
    ADD_FAILURE() << "the cleanup's exception replaced the first one";
  }
  // On a normal exit a failing cleanup is reported like any statement.
  EXPECT_THROW({ TFinally Cleanup([] { throw TFailure("cleanup"); }); }, TFailure);

  TStringList Lines;
  Lines.OnChange = [](TObject*) { throw TFailure("change event"); };
  EXPECT_THROW({ TUpdateScope Update(Lines); Lines.Add("a"); }, TFailure);
  EXPECT_EQ(Lines.UpdateCount(), 0);
}

TEST(ScopeGuardTest, GuardInsideADestructorDuringUnwindingSeesItsOwnExit) {
  // A guard made while another exception is already in flight must not mistake that one for its own.
  struct TCleansUp {
    int& Ran;
    ~TCleansUp() {
      TOnException Undo([this] { ++Ran; });
    }
  };
  int Ran = 0;
  EXPECT_TRUE(Throws([&] {
    TCleansUp C{Ran};
    throw TFailure("x");
  }));
  EXPECT_EQ(Ran, 0);
}
