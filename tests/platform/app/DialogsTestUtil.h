#pragma once
// Checks shared by the dialog tests of the library without widgets and of the Qt one.
#include <gtest/gtest.h>

#include <string>

#include "platform/app/Dialogs.h"

// A message, an input query, a file dialog and the print dialog, each cancelled by the service in
// place (nobody can answer).
inline void ExpectEveryDialogCancelled() {
  EXPECT_EQ(MessageDlg("?", mtConfirmation, mbYesNo), mrCancel);
  std::string V = "1";
  EXPECT_FALSE(InputQuery("c", "p", V));
  TOpenDialog D(nullptr);
  EXPECT_FALSE(D.Execute());
  TPrintDialogData P;
  EXPECT_FALSE(ExecutePrintDialog(P));
}
