#pragma once
// Autosearch: a report asks its user for search values before it runs. A TppAutoSearchField is
// one criterion (a pipeline field, an operator, an expression); the dialog shows the criteria in
// TppAutoSearchGroup objects, one per pipeline description, built by TppAutoSearchGroups, and
// writes the user's values back; the report describes the criteria in words (GetDescription).
#include <string>
#include <vector>

#include "platform/rtl/Variants.h"
#include "ppreport/core/ppFieldSettings.h"
#include "ppreport/core/ppRelatv.h"

class TppDataPipeline;
class TppField;

class TppAutoSearchField : public TppRelative, public TppFieldSettings {
  DECLARE_CLASSINFO(TppAutoSearchField)
public:
  explicit TppAutoSearchField(TComponent* AOwner);
  ~TppAutoSearchField() override;

  // The shared settings; these five tell OnChange (all but SetDataType, which only stores).
  void SetFieldName(const std::string& Value);
  void SetDataType(TppDataType Value) { FSettings.DataType = Value; }
  void SetMandatory(bool Value);
  void SetSearchExpression(const std::string& Value);
  void SetShowAllValues(bool Value);

  const std::string& Delimiter() const { return FDelimiter; }
  void SetDelimiter(const std::string& Value) { FDelimiter = Value; }
  TppSearchOperatorType SearchOperator() const { return FSearchOperator; }
  void SetSearchOperator(TppSearchOperatorType Value);
  const std::string& WildCard() const { return FWildCard; }
  void SetWildCard(const std::string& Value) { FWildCard = Value; }

  // What the criterion refers to (cleared when they are freed).
  TppField* Field() const { return FField; }
  void SetField(TppField* Value);
  TppDataPipeline* DataPipeline() const { return FDataPipeline; }
  void SetDataPipeline(TppDataPipeline* Value);
  const std::string& DataPipelineName() const { return FDataPipelineName; }
  void SetDataPipelineName(const std::string& Value);
  // Set by the report on the first criterion of a description.
  bool FirstField() const { return FFirstField; }
  void SetFirstField(bool Value) { FFirstField = Value; }
  bool CriteriaEnabled() const { return FCriteriaEnabled; }
  void DisableCriteria();

  // Takes Other's expression and "show all values" when either differs: true when it did.
  virtual bool AssignCriteria(const TppAutoSearchField* Other);
  void Assign(const TPersistent* Source) override;

  // The comma-separated parts of the expression (an empty last part is not one).
  int GetValueCount() const;
  // Part Index converted by DataType: a date-time, an integer, a float, a currency or, for
  // texts, the text with the wildcard appended when it lacks it; the empty text beyond the
  // parts or for other types. Conversion errors pass to the caller (EConvertError).
  Variant GetValues(int Index) const;
  Variant GetValue() const { return GetValues(0); }
  // "Mostrar todos os dados onde <alias> é igual a <expression>" and the like.
  std::string GetDescription() const;
  std::string GetOperatorDescription() const;

  void Notify(TppCommunicator* Partner, TppNotifyOperation Operation) override;
  // "DataPipelineName": the criterion keeps naming its pipeline through a template.
  void DefineProperties(TFiler* Filer) override;

  // Fired after each change outside reading and loading (the dialog's panels listen).
  TNotifyEvent OnChange;

private:
  void DoChange();

  std::string FDelimiter;
  TppSearchOperatorType FSearchOperator = soEqual;
  std::string FWildCard;
  TppField* FField = nullptr;
  TppDataPipeline* FDataPipeline = nullptr;
  std::string FDataPipelineName;
  bool FFirstField = false;
  bool FCriteriaEnabled = true;
};

// The criteria of one pipeline description. A criterion may be a child here while its parent is
// elsewhere (AddField) or belong to the group (CopyGroup).
class TppAutoSearchGroup : public TppRelative {
  DECLARE_CLASSINFO(TppAutoSearchGroup)
public:
  explicit TppAutoSearchGroup(TComponent* AOwner);
  ~TppAutoSearchGroup() override;

  const std::string& Description() const { return FDescription; }
  void SetDescription(const std::string& Value) { FDescription = Value; }
  int TabOrder() const { return FTabOrder; }
  void SetTabOrder(int Value) { FTabOrder = Value; }

  // Lists Field here without taking it from its parent.
  virtual void AddField(TppAutoSearchField* Field);
  TppAutoSearchField* GetField(int Index) const;  // EListError outside
  int FieldCount() const { return GetChildCount(); }
  // Description, tab order and copies of Source's criteria, which belong to this group.
  virtual void CopyGroup(const TppAutoSearchGroup* Source);
  // Frees the criteria that belong here, lets go of the others.
  virtual void ReleaseFields();

  void Assign(const TPersistent* Source) override;
  void Notify(TppCommunicator* Partner, TppNotifyOperation Operation) override;

protected:
  // Writes the tab order back into the first criterion's pipeline ("AutoSearchTabOrder"),
  // then lets the criteria go.
  void Destroying() override;

private:
  std::string FDescription;
  int FTabOrder = 0;
};

class TppAutoSearchGroups : public TppRelative {
  DECLARE_CLASSINFO(TppAutoSearchGroups)
public:
  using TppRelative::TppRelative;
  ~TppAutoSearchGroups() override;

  // One group per pipeline "Description" (letter case counts), in the order of first use, with
  // the pipeline's "AutoSearchTabOrder"; the criteria stay with their parents.
  virtual void CreateGroups(const std::vector<TppAutoSearchField*>& Fields);
  TppAutoSearchGroup* GetGroup(int Index) const;  // null outside
  int GroupCount() const { return GetChildCount(); }
  void FreeGroups();
  // Every criterion of every group, in group order.
  void GetFieldList(std::vector<TppAutoSearchField*>& List) const;
  void Assign(const TPersistent* Source) override;
};
