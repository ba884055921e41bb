// The print dialog's form: its controls, texts and layout. What the controls do is in
// ppPDlgRun.cpp.
#include "ppreport/output/forms/ppPDlg.h"

#include <algorithm>
#include <vector>

#include "platform/graphics/Bitmap.h"
#include "ppreport/core/ppConvert.h"
#include "ppreport/core/ppLanguage.h"
#include "ppreport/core/ppPrinter.h"
#include "ppreport/output/forms/ppIcons.h"

const TClassInfo& TppPrintDialog::StaticClassInfo() {
  static const TClassInfo Info =
      TClassDef<TppPrintDialog>("TppPrintDialog", &TppCustomPrintDialog::StaticClassInfo());
  return Info;
}

namespace {
template <class C>
C* Make(TWinControl* Parent, int Left, int Top, int Width = -1, int Height = -1) {
  auto* Control = new C(Parent->Owner() ? Parent->Owner() : Parent);
  Control->SetParent(Parent);
  Control->SetBounds(Left, Top, Width < 0 ? Control->Width() : Width, Height < 0 ? Control->Height() : Height);
  return Control;
}

TLabel* MakeLabel(TWinControl* Parent, int Left, int Top, const std::string& Caption) {
  auto* L = Make<TLabel>(Parent, Left, Top);
  L->SetCaption(Caption);
  return L;
}

// A label over a frame's top edge: it paints its background so the frame line stops at it.
TLabel* MakeFrameTitle(TWinControl* Parent, int Left, int Top, const std::string& Caption) {
  TLabel* L = MakeLabel(Parent, Left, Top, Caption);
  L->SetTransparent(false);
  L->SetColor(clBtnFace);
  return L;
}

TBevel* MakeFrame(TWinControl* Parent, int Left, int Top, int Width, int Height) {
  auto* B = Make<TBevel>(Parent, Left, Top, Width, Height);
  B->SetShape(bsFrame);
  return B;
}

TPanel* MakePanel(TForm* Form, int Top, int Height) {
  auto* P = new TPanel(Form);
  P->SetParent(Form);
  P->SetBounds(0, Top, 482, Height);
  P->SetBevelOuter(bvNone);
  P->SetAlign(alTop);
  return P;
}

int TextWidthIn(const TFont& Font, const std::string& Text) {
  TBitmap Measure(1, 1);
  Measure.Canvas().Font() = Font;
  return Measure.Canvas().TextWidth(Text);
}
}  // namespace

TppPrintDialog::TppPrintDialog(TComponent* AOwner)
    : TppCustomPrintDialog(AOwner),
      FOwnPageRequest(std::make_unique<TppPageRequest>()),
      FBackgroundPrintSettings(std::make_unique<TppBackgroundPrintSettings>()) {
  SetBorderStyle(bsDialog);
  SetBorderIcons(biSystemMenu);
  TFont F = Font();
  F.SetName("MS Sans Serif");
  F.SetHeight(-11);
  F.SetColor(clBlack);
  SetFont(F);
  SetPosition(poScreenCenter);
  SetClientWidth(482);
  SetClientHeight(388);
  SetCaption("Print");

  imlPrinterTypes = new TImageList(this);
  imlPrinterTypes->Add(TppMetaBitmap::CreateGlyph<TppPrinterIcon>());
  imlPrinterTypes->Add(TppMetaBitmap::CreateGlyph<TppNetworkPrinterIcon>());
  imlCollation = new TImageList(this);
  imlCollation->SetWidth(102);
  imlCollation->SetHeight(53);
  // Masked with maroon, as the pictures were made: their face colour stays.
  imlCollation->AddMasked(TPixelImage::FromDib(TppMetaBitmap::CreateBitmap<TppCollationBitmap>()->Dib()), 0x800000);
  imlCollation->AddMasked(TPixelImage::FromDib(TppMetaBitmap::CreateBitmap<TppNonCollationBitmap>()->Dib()), 0x800000);

  BuildPrinterPanel();
  BuildPagesAndCopies();
  BuildPrintToFilePanel();
  BuildButtons();

  SaveDialog1 = new TSaveDialog(this);
  SaveDialog1->SetDefaultExt("txt");
  SaveDialog1->SetFilter("Text files|*.TXT|All files|*.*");
  SaveDialog1->SetOptions(ofHideReadOnly | ofPathMustExist | ofShareAware);

  SetPageRequest(FOwnPageRequest.get());
  DoCreate();
}

TppPrintDialog::~TppPrintDialog() { BeforeDestruction(); }

void TppPrintDialog::BuildPrinterPanel() {
  pnlPrint = MakePanel(this, 0, 253);
  bvlPrinter = MakeFrame(pnlPrint, 7, 13, 471, 84);
  lblPrinter = MakeFrameTitle(pnlPrint, 14, 7, "Printer");
  lblPrinterName = MakeLabel(pnlPrint, 14, 28, "&Name:");
  lblPrinterName->SetAutoSize(false);
  lblPrinterName->SetWidth(67);
  cbxPrinters = Make<TComboBox>(pnlPrint, 84, 25, 300);
  cbxPrinters->SetStyle(csDropDownList);
  cbxPrinters->SetImages(imlPrinterTypes);
  cbxPrinters->OnGetImageIndex = [this](int I) { return PrinterPicture(cbxPrinters->Items().Get(I)); };
  cbxPrinters->OnChange = [this](TObject*) { cbxPrintersChange(); };
  lblNoPrintersInstalled = MakeLabel(pnlPrint, 84, 28, "lblNoPrintersInstalled");
  lblNoPrintersInstalled->SetAutoSize(false);
  lblNoPrintersInstalled->SetWidth(389);
  lblNoPrintersInstalled->SetVisible(false);
  btnPrinterProperties = Make<TButton>(pnlPrint, 392, 25, 75, 21);
  btnPrinterProperties->SetCaption("&Properties");
  btnPrinterProperties->OnClick = [this](TObject*) { btnPrinterPropertiesClick(); };
  lblPrinterType = MakeLabel(pnlPrint, 14, 52, "Type:");
  lblPrinterTypeDesc = MakeLabel(pnlPrint, 84, 52, "lblPrinterTypeDesc");
  lblPrinterTypeDesc->SetAutoSize(false);
  lblPrinterTypeDesc->SetWidth(389);
  lblPrinterWhere = MakeLabel(pnlPrint, 14, 74, "Where:");
  lblPrinterWhereDesc = MakeLabel(pnlPrint, 84, 74, "lblPrinterWhereDesc");
  lblPrinterWhereDesc->SetAutoSize(false);
  lblPrinterWhereDesc->SetWidth(389);
}

void TppPrintDialog::BuildPagesAndCopies() {
  bvlPageRange = MakeFrame(pnlPrint, 7, 105, 242, 110);
  lblPageRange = MakeFrameTitle(pnlPrint, 14, 99, "Page range");
  rdbAll = Make<TRadioButton>(pnlPrint, 16, 115, 202);
  rdbAll->SetCaption("&All");
  rdbAll->SetChecked(true);
  rdbCurrentPage = Make<TRadioButton>(pnlPrint, 16, 135, 202);
  rdbCurrentPage->SetCaption("Curre&nt page");
  rdbPages = Make<TRadioButton>(pnlPrint, 16, 156, 63);
  rdbPages->SetCaption("Pa&ges:");
  edtPageRange = Make<TEdit>(pnlPrint, 78, 154, 159);
  // Choosing All or the current page empties the list; typing in it or clicking it chooses it.
  auto ClearPages = [this](TObject* Sender) {
    if (!FInitialising && static_cast<TRadioButton*>(Sender)->Checked()) edtPageRange->Clear();
  };
  rdbAll->OnClick = ClearPages;
  rdbCurrentPage->OnClick = ClearPages;
  edtPageRange->OnMouseDown = [this](TObject*, TMouseButton Button, TShiftState, int, int) {
    if (!FInitialising && Button == mbLeft) rdbPages->SetChecked(true);
  };
  edtPageRange->OnKeyPress = [this](TObject*, char&) {
    if (!rdbPages->Checked()) rdbPages->SetChecked(true);
  };
  lblPageRangeDescription = MakeLabel(pnlPrint, 16, 180,
                                      "Enter page numbers and/or page ranges separated by commas.  For example, 1,3,5-12");
  // Wrapped at its width, as tall as its lines.
  lblPageRangeDescription->SetBounds(16, 180, 217, 26);
  lblPageRangeDescription->SetWordWrap(true);

  bvlCopies = MakeFrame(pnlPrint, 259, 105, 220, 110);
  lblCopies = MakeFrameTitle(pnlPrint, 266, 99, "Copies");
  lblNumberOfCopies = MakeLabel(pnlPrint, 275, 119, "Number of &copies");
  edtCopies = Make<TEdit>(pnlPrint, 396, 116, 61);
  edtCopies->SetMaxLength(3);
  edtCopies->SetText("1");
  edtCopies->OnExit = [this](TObject*) { SetCopiesText(CopiesValue()); };
  udCopies = TppUpDown::CreateForEdit(edtCopies);
  udCopies->OnClick = [this](TObject*, TUDBtnType Button) { udCopiesClick(Button); };
  imgCollate = Make<TPaintBox>(pnlPrint, 272, 148, 103, 53);
  imgCollate->OnPaint = [this](TObject*) { imlCollation->Draw(imgCollate->Canvas(), 0, 0, FCollationPicture); };
  cbxCollate = Make<TCheckBox>(pnlPrint, 396, 152, 13);
  cbxCollate->SetTabStop(false);
  cbxCollate->OnClick = [this](TObject*) {
    if (FWorkPrinter) FWorkPrinter->GetPrinterSetup()->SetCollation(cbxCollate->Checked());
    UpdateCollationPicture();
  };
  lblCollate = MakeLabel(pnlPrint, 414, 154, "Colla&te");
  lblCollate->OnClick = [this](TObject*) { cbxCollate->SetChecked(!cbxCollate->Checked()); };

  cbxBackgroundPrinting = Make<TCheckBox>(pnlPrint, 16, 227, 233);
  cbxBackgroundPrinting->SetCaption("Background Printing");
  cbxBackgroundPrinting->OnClick = [this](TObject*) {
    FBackgroundPrintSettings->SetActive(cbxBackgroundPrinting->Checked());
  };
  lblPrintWhat = MakeLabel(pnlPrint, 261, 230, "P&rint:");
  cbxPrintWhat = Make<TComboBox>(pnlPrint, 292, 225, 187);
  cbxPrintWhat->SetStyle(csDropDownList);
  cbxPrintWhat->OnChange = [this](TObject*) { cbxPrintWhatChange(); };
}

void TppPrintDialog::BuildPrintToFilePanel() {
  pnlPrintToFile = MakePanel(this, 253, 95);
  pnlPrintToFile->SetVisible(false);
  bvlPrintToFile = MakeFrame(pnlPrintToFile, 7, 5, 471, 90);
  cbxPrintToFile = Make<TCheckBox>(pnlPrintToFile, 16, -2, 13);
  cbxPrintToFile->OnClick = [this](TObject*) {
    if (!FInitialising) UpdatePrintToFileControls();
  };
  lblPrintToFile = MakeFrameTitle(pnlPrintToFile, 35, -1, "Print to fi&le");
  lblPrintToFile->OnClick = [this](TObject*) {
    // The check box's own click already brings the controls up to date.
    cbxPrintToFile->SetChecked(!cbxPrintToFile->Checked());
    UpdatePrintToFileControls();
  };
  lblPrintToFileType = MakeLabel(pnlPrintToFile, 21, 24, "Type:");
  cbxPrintToFileTypes = Make<TComboBox>(pnlPrintToFile, 75, 21, 190);
  cbxPrintToFileTypes->SetStyle(csDropDownList);
  cbxPrintToFileTypes->OnChange = [this](TObject*) { UpdatePrintToFileControls(); };
  lblPrintToFileWhere = MakeLabel(pnlPrintToFile, 21, 54, "Where:");
  edtPrintToFileName = Make<TEdit>(pnlPrintToFile, 75, 50, 370);
  edtPrintToFileName->OnChange = [this](TObject*) { edtPrintToFileNameChange(); };
  spbPrintToFile = Make<TSpeedButton>(pnlPrintToFile, 452, 52, 17, 17);
  spbPrintToFile->SetCaption("...");
  spbPrintToFile->OnClick = [this](TObject*) { btnPrintToFileClick(); };
}

void TppPrintDialog::BuildButtons() {
  pnlBottom = MakePanel(this, 348, 40);
  btnOK = Make<TButton>(pnlBottom, 322, 9, 75, 23);
  btnOK->SetCaption("OK");
  btnOK->SetDefault(true);
  btnOK->OnClick = [this](TObject*) { btnOKClick(); };
  btnCancel = Make<TButton>(pnlBottom, 402, 9, 75, 23);
  btnCancel->SetCaption("Cancel");
  btnCancel->SetCancel(true);
  btnCancel->SetModalResult(mrCancel);
}

void TppPrintDialog::LanguageChanged() {
  SetCaption(LanguageString(22));
  lblPrinter->SetCaption(LanguageString(25));
  lblPrinterName->SetCaption(LanguageString(1010) + ":");
  lblNoPrintersInstalled->SetCaption(LanguageString(8));
  btnPrinterProperties->SetCaption(LanguageString(1013));
  lblPrinterType->SetCaption(LanguageString(1011) + ":");
  lblPrinterWhere->SetCaption(LanguageString(1012) + ":");
  lblPageRange->SetCaption(LanguageString(19));
  rdbAll->SetCaption(LanguageString(3));
  rdbCurrentPage->SetCaption(LanguageString(9));
  rdbPages->SetCaption(LanguageString(20));
  lblPageRangeDescription->SetCaption(LanguageString(11));
  lblCopies->SetCaption(LanguageString(7));
  lblNumberOfCopies->SetCaption(LanguageString(1014) + ":");
  lblCollate->SetCaption(LanguageString(1015));
  cbxBackgroundPrinting->SetCaption(LanguageString(1073));
  lblPrintWhat->SetCaption(LanguageString(1016));
  lblPrintToFile->SetCaption(LanguageString(26));
  lblPrintToFileType->SetCaption(LanguageString(1011) + ":");
  lblPrintToFileWhere->SetCaption(LanguageString(1012) + ":");
  btnOK->SetCaption(LanguageString(17));
  btnCancel->SetCaption(LanguageString(5));
  {
    TRestore<bool> Quiet(FInitialising, true);
    cbxPrintWhat->Items().Clear();
    for (int N : {1017, 1018, 1019}) cbxPrintWhat->Items().Add(LanguageString(N));
    cbxPrintWhat->SetItemIndex(0);
  }
  AdjustWidths();
  AdjustLayout();
}

void TppPrintDialog::AdjustWidths() {
  // Everything right of a widened part moves with it: the frame, the panels and the form.
  auto Widen = [this](int By) {
    bvlPrinter->SetWidth(bvlPrinter->Width() + By);
    pnlPrint->SetWidth(pnlPrint->Width() + By);
    SetClientWidth(ClientWidth() + By);
    for (TControl* C : {static_cast<TControl*>(btnOK), static_cast<TControl*>(btnCancel)}) C->SetLeft(C->Left() + By);
  };
  // The button widens to its caption, measured on a bitmap or as the button lays it out, whichever
  // is wider; widened once, since the language may be set again.
  const int Properties = TextWidthIn(btnPrinterProperties->Font(), btnPrinterProperties->Caption());
  const int PropertiesWidth = std::max({75, Properties > 75 ? Properties + 15 : 0,
                                        btnPrinterProperties->CaptionExtent().cx});
  if (btnPrinterProperties->Width() < PropertiesWidth) {
    Widen(PropertiesWidth - btnPrinterProperties->Width());
    btnPrinterProperties->SetWidth(PropertiesWidth);
  }
  // "Pages" as wide as its caption; the page edit beside it keeps its right edge.
  if (const int Grow = rdbPages->CaptionExtent().cx - rdbPages->Width(); Grow > 0) {
    rdbPages->SetWidth(rdbPages->Width() + Grow);
    edtPageRange->SetBounds(edtPageRange->Left() + Grow, edtPageRange->Top(), edtPageRange->Width() - Grow,
                            edtPageRange->Height());
  }
  const int Collate = TextWidthIn(lblCollate->Font(), lblCollate->Caption());
  if (Collate >= 60) {
    bvlCopies->SetWidth(Collate + lblCollate->Left() - bvlCopies->Left());
    const int CopiesRight = bvlCopies->Left() + bvlCopies->Width();
    const int PrinterRight = bvlPrinter->Left() + bvlPrinter->Width();
    if (CopiesRight < PrinterRight) {
      bvlCopies->SetWidth(PrinterRight - bvlCopies->Left());
    } else {
      btnPrinterProperties->SetLeft(btnPrinterProperties->Left() + CopiesRight - PrinterRight);
      Widen(CopiesRight - PrinterRight);
    }
  }
}

void TppPrintDialog::AdjustLayout() {
  const int Margin = static_cast<int>(ConvertFromMicrons(2381, utScreenPixels, ppHorizontal, nullptr));
  // The description has taken the height of its lines (an auto-sized, word-wrapped label): each
  // line a whole line spacing, so the last one is not cut.
  const int PrintWhatWidth = TextWidthIn(lblPrintWhat->Font(), lblPrintWhat->Caption());
  lblPrintWhat->SetWidth(PrintWhatWidth);
  lblPrintWhat->SetLeft(285 - PrintWhatWidth);

  const int Old = bvlPageRange->Height();
  const int New =
      lblPageRangeDescription->Top() + lblPageRangeDescription->Height() + Margin - bvlPageRange->Top();
  bvlPageRange->SetHeight(New);
  bvlCopies->SetHeight(New);
  const int Delta = New - Old;
  for (TControl* C : {static_cast<TControl*>(lblPrintWhat), static_cast<TControl*>(cbxPrintWhat),
                      static_cast<TControl*>(cbxBackgroundPrinting)})
    C->SetTop(C->Top() + Delta);
  pnlPrint->SetHeight(pnlPrint->Height() + Delta);
  SetClientHeight(ClientHeight() + Delta);
}
