#include "lxreport/forms/LXFormDataSets.h"

#include <gtest/gtest.h>

#include "platform/data/MemDataSet.h"
#include "platform/app/DataModule.h"
#include "platform/forms/ExtCtrls.h"
#include "platform/forms/Forms.h"
#include "platform/forms/StdCtrls.h"

namespace {
using LXFormDataSetsTest = ::testing::Test;  // the test main started the application

TDataSet* NewDataSet(TComponent* Owner, const char* Name) {
  auto* D = new TMemoryDataSet(Owner);
  D->SetName(Name);
  return D;
}

std::vector<std::string> Names(const TStringList& L) {
  std::vector<std::string> R;
  for (int I = 0; I < L.Count(); ++I) {
    R.push_back(L.Strings(I));
    EXPECT_EQ(static_cast<TComponent*>(L.Objects(I))->Name(), L.Strings(I));
  }
  return R;
}
}  // namespace

TEST_F(LXFormDataSetsTest, ListsFormDataSetsRecursivelyAndDataModulesOnRequest) {
  TForm Form(nullptr);
  NewDataSet(&Form, "Clientes");
  auto* Panel = new TPanel(&Form);
  NewDataSet(Panel, "Pedidos");  // found through the windowed control
  auto* Label = new TLabel(&Form);
  NewDataSet(Label, "Oculto");  // a non-windowed owner is not searched
  NewDataSet(&Form, "Itens");
  TDataModule Module(nullptr);
  NewDataSet(&Module, "Produtos");
  auto* Inner = new TPanel(&Module);
  NewDataSet(Inner, "Fundo");  // data modules are not searched recursively

  EXPECT_EQ(Names(*ListDataSets(&Form, false)), (std::vector<std::string>{"Clientes", "Pedidos", "Itens"}));
  EXPECT_EQ(Names(*ListDataSets(&Form, true)),
            (std::vector<std::string>{"Clientes", "Pedidos", "Itens", "Produtos"}));
  EXPECT_EQ(ListDataSets(nullptr, false)->Count(), 0);
  EXPECT_EQ(Names(*ListDataSets(nullptr, true)), (std::vector<std::string>{"Produtos"}));
}
