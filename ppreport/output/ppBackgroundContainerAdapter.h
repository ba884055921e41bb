#pragma once
// TppBackgroundContainerAdapter: on the worker thread, the copy of a report's owner with the
// report in it, set up from a background print request to print directly and quietly.
//
// The copy comes from a factory registered for the owner's class: it must build components only
// (a data module, never a form or another widget), since it runs on the worker thread.
#include <functional>
#include <memory>
#include <string>

#include "platform/classes/Classes.h"
#include "ppreport/core/ppComm.h"

class TppBackgroundPrintRequest;
class TppPageRequest;
class TppPrinterSetup;
class TppProducer;

// Builds a new, ownerless container of the registered class. Runs on a background print thread.
using TppBackgroundContainerFactory = std::function<TComponent*()>;
// Any thread; a second registration for a class replaces the first.
void RegisterBackgroundContainerClass(const TClassInfo& OwnerClass, TppBackgroundContainerFactory Factory);
void UnregisterBackgroundContainerClass(const TClassInfo& OwnerClass);
void ClearBackgroundContainerClasses();

class TppBackgroundContainerAdapter {
public:
  // Worker thread. Failures to build the container are recorded (ErrorFound); a stored definition
  // that does not fit the request raises EBackgroundPrintError.
  explicit TppBackgroundContainerAdapter(TppBackgroundPrintRequest* Request);
  ~TppBackgroundContainerAdapter();
  TppBackgroundContainerAdapter(const TppBackgroundContainerAdapter&) = delete;
  TppBackgroundContainerAdapter& operator=(const TppBackgroundContainerAdapter&) = delete;

  bool ErrorFound() const { return FErrorFound; }
  const std::string& ErrorMessage() const { return FErrorMessage; }
  TComponent* Container() const { return FContainer; }
  TppProducer* Producer() const { return FProducer; }
  // Called on every page a device of the producer receives (the worker's cancel check).
  std::function<void()> OnPageReceive;

private:
  void CreateContainer(TppBackgroundPrintRequest* Request);
  void RecordError(const std::string& Text);
  // Event 1 (printing begins): every device gets the request's pages.
  void ProducerEvent(TppCommunicator* Sender, int EventID, TraParamList* Params);

  bool FErrorFound = false;
  std::string FErrorMessage;
  TComponent* FContainer = nullptr;  // owned
  TppProducer* FProducer = nullptr;  // in the container
  std::unique_ptr<TppPrinterSetup> FPrinterSetup;
  std::unique_ptr<TppPageRequest> FPageRequest;
  std::unique_ptr<TppCommunicator, TComponentDeleter> FCommunicator;
};
