#pragma once
// A small report for the template tests (and the template fuzz targets' seeds): a header band, a
// detail band with labels (one pointing at another, one with a float), and a group with its bands.
#include <string>

#include "tests/ppreport/core/ppModelTestSupport.h"

namespace pptest {

// A band whose kind is streamed, a label with a float and a reference to another component.
class TTemplateBand : public TModelBand {
  DECLARE_CLASSINFO(TTemplateBand)
public:
  explicit TTemplateBand(TComponent* AOwner, TppBandType Kind = btDetail) : TModelBand(AOwner, Kind) {}
  ~TTemplateBand() override { BeforeDestruction(); }
  int GetKind() const { return Kind; }
  void SetKind(int Value) { Kind = static_cast<TppBandType>(Value); }
  // A group band read from a stream joins its group by its kind, once that is read.
  void SetParentComponent(TComponent* Value) override;
  void Loaded() override;
};

class TTemplateLabel : public TModelComponent {
  DECLARE_CLASSINFO(TTemplateLabel)
public:
  using TModelComponent::TModelComponent;
  ~TTemplateLabel() override { BeforeDestruction(); }
  double Ratio() const { return FRatio; }
  void SetRatio(double Value) { FRatio = Value; }
  TppCommunicator* Partner() const { return FPartner; }
  void SetPartner(TppCommunicator* Value);

  // Report objects hear of each other's end through the communicator, not through the owner
  // (moving to another owner keeps the link).
  void Notify(TppCommunicator* Partner, TppNotifyOperation Operation) override;

private:
  double FRatio = 0;
  TppCommunicator* FPartner = nullptr;
};

// Registers the model classes and the two above while alive.
struct TTemplateClasses {
  TModelClasses Model;
  TTemplateClasses();
  ~TTemplateClasses();
};

// Fills an empty report owned by a form: Header, Detail (Label1, Label2 -> Label1, Ratio 1.25),
// Group1 with its header (Label3) and footer.
void BuildTemplateReport(TModelReport* Report);

// The report's template in binary form, as a save writes it.
std::string SaveTemplate(TModelReport* Report, TppFormatType Format = ftBinary);

}  // namespace pptest
