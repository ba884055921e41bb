#pragma once
// TppBackgroundReportGenerator: on the worker thread, builds the report copy of a request and
// prints it. Every failure is recorded, never raised across the thread.
#include <functional>
#include <memory>
#include <string>

#include "ppreport/core/ppComm.h"

class TppBackgroundContainerAdapter;
class TppBackgroundPrintRequest;

class TppBackgroundReportGenerator : public TppCommunicator {
  DECLARE_CLASSINFO(TppBackgroundReportGenerator)
public:
  explicit TppBackgroundReportGenerator(TComponent* AOwner = nullptr);
  ~TppBackgroundReportGenerator() override;

  // Fires once the copy exists or could not be made (also on error): the caller's wait ends.
  std::function<void()> OnContainerCreated;
  // Asked on every page the copy prints; True stops the print (the producer's Cancel).
  std::function<bool()> OnCancelRequested;

  void ProcessRequest(TppBackgroundPrintRequest* Request);
  // The copy's Cancel; worker thread only.
  void Cancel();

  bool ErrorFound() const { return FErrorFound; }
  const std::string& ErrorMessage() const { return FErrorMessage; }

protected:
  void Destroying() override;

private:
  bool CancelRequested() const { return OnCancelRequested && OnCancelRequested(); }

  std::unique_ptr<TppBackgroundContainerAdapter> FAdapter;
  bool FErrorFound = false;
  std::string FErrorMessage;
};
