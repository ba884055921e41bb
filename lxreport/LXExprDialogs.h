#pragma once
// The design-time dialogs of expressions, variables and text printables as
// requests to the dialog service: the library has no widgets, lxreport/forms shows them (and
// tests answer them). Pointers in a request are the caller's and outlive it.
#include <string>

#include "platform/app/DialogService.h"

class TComponent;
class TLXEvEnvironment;

// The expression builder ("Expression Wizard").
struct TLXExpressionRequest : TDialogRequestOf<TLXExpressionRequest> {
  // Replaces "Enter expression:" when not empty.
  std::string Heading;
  // In: the text to edit; out on OK: the edited text on one line.
  std::string Expression;
  // Whose data sets (and the data modules') the builder offers; may be null.
  TComponent* DataSetForm = nullptr;
  // Variables of the report, listed before the shared ones; may be null.
  TLXEvEnvironment* LocalEnvironment = nullptr;
  // A window the builder runs inside, without a frame, instead of its own.
  TComponent* HostForm = nullptr;
};

// The variables dialog ("User Defined Functions Edtor"). Its edits reach the
// environments at once, so it has no answer beyond being closed.
struct TLXEnvironmentRequest : TDialogRequestOf<TLXEnvironmentRequest> {
  TLXEvEnvironment* LocalEnvironment = nullptr;
  bool AllowGlobal = false;
  TComponent* Owner = nullptr;
};

// "Text Settings" of a label, or "Expression settings" of an expression
// printable with its format mask and the builder for its expression. The
// sizes travel as the texts of their masked edits.
struct TLXTextSettingsRequest : TDialogRequestOf<TLXTextSettingsRequest> {
  bool ExpressionSettings = false;
  std::string Value;
  std::string Width, Height;
  bool AutoSize = false, Stretch = false, Transparent = false;
  std::string Mask;
  // Whose data sets the builder offers (expression settings only); may be null.
  TComponent* DataSetForm = nullptr;
};

// True when the builder was closed with OK; Expression then holds the edited
// text, otherwise it is emptied.
bool EditExpression(const std::string& Heading, std::string& Expression, TComponent* DataSetForm,
                    TLXEvEnvironment* LocalEnvironment, TComponent* HostForm);
void EditEnvironment(TLXEvEnvironment* LocalEnvironment, bool AllowGlobal, TComponent* Owner);

// Every carriage return goes, with the character after it (the line feed of a CR LF).
std::string StripLineBreaks(const std::string& Text);
