#pragma once
// Edits with an input mask in the class library's notation.
#include "platform/forms/StdCtrls.h"

// The class library's edit mask ("mask;save literals;blank", e.g. "999\ %;0; ")
// in Qt's input-mask notation. The class library's '0' is a required digit and
// '9' an optional one (Qt has them the other way round); 'L'/'l' letters,
// 'A'/'a' letters or digits, 'C'/'c' any character; '\' makes the next one literal.
std::string QtInputMask(const std::string& EditMask);

class TMaskEdit : public TEdit {
  DECLARE_CLASSINFO(TMaskEdit)
public:
  explicit TMaskEdit(TComponent* AOwner);
  const std::string& EditMask() const { return FEditMask; }
  void SetEditMask(const std::string& V);
  // The text as shown, literals and blanks included.
  std::string EditText() const;

protected:
  // Without saved literals (";0"), Text holds only what was typed.
  std::string GetText() const override;

private:
  std::string FEditMask;
  std::vector<bool> FLiteral;  // per shown position
  bool FSaveLiterals = true;
  char FBlank = '_';
};
