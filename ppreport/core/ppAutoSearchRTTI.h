#pragma once
// Descriptor of the autosearch criterion, and the class-level access to a report's autosearch
// criteria that background printing uses to carry them into a report copy on another thread.
#include <string>

#include "ppreport/core/ppRTTI.h"
#include "ppreport/core/ppTypes.h"

class TppAutoSearchField;
class TppAutoSearchGroups;
class TPersistent;

// "Value", "ValueCount" (read-only), indexed "Values" (by "Index"), method "DisableCriteria".
const TraRTTI& TraTppAutoSearchFieldRTTI();

// The autosearch criteria of a report, found on a producer with dynamic_cast. The report keeps
// the lifetime of its criteria; nothing is freed through the interface.
class IppAutoSearchFields {
public:
  virtual int GetAutoSearchFieldCount() const = 0;
  // Null outside the range.
  virtual TppAutoSearchField* GetAutoSearchField(int Index) const = 0;
  // A new criterion owned by the report.
  virtual TppAutoSearchField* CreateAutoSearchCriteria(const std::string& DataPipelineName,
                                                       const std::string& FieldName, TppSearchOperatorType Operator,
                                                       const std::string& Expression, bool Mandatory) = 0;
  // A new criterion owned by the report with every given setting.
  virtual TppAutoSearchField* CreateAutoSearchField(const std::string& TableName, const std::string& FieldName,
                                                    bool Mandatory, const std::string& SearchExpression,
                                                    TppSearchOperatorType SearchOperator, TppDataType DataType,
                                                    const std::string& FieldAlias) = 0;

protected:
  ~IppAutoSearchFields() = default;
};

// Stateless. A producer without the interface has no criteria.
class TppAutoSearchRTTI {
public:
  static int GetAutoSearchFieldCount(TPersistent* Producer);
  static TppAutoSearchField* GetAutoSearchField(TPersistent* Producer, int Index);
  static bool HasAutoSearchFields(TPersistent* Producer) { return GetAutoSearchFieldCount(Producer) != 0; }
  // Copies of the producer's criteria, in index order, into Groups (which then own them).
  static void ReadAutoSearchFields(TPersistent* Producer, TppAutoSearchGroups* Groups);
  // The groups' criteria onto the producer: matched by index onto the criteria it has
  // (EBackgroundPrintError when their number differs), else created. The groups are emptied.
  static void WriteAutoSearchFields(TPersistent* Producer, TppAutoSearchGroups* Groups);
};
